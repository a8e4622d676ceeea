#pragma once
// The profile field of the main window and its pop-up: categories on the left, the profiles of
// the highlighted category on the right, following the pointer; a click or Enter confirms.

#include "reelvane/profiles/profile_categories.h"

#include <QFrame>
#include <QWidget>

class QListWidget;

namespace reelvane {

class ProfilePopup : public QFrame {
    Q_OBJECT
public:
    explicit ProfilePopup(QWidget* parent);

    void SetCategories(ProfileCategories categories);
    // Names the categories again in the current language.
    void ApplyTexts();
    const ProfileCategories& categories() const { return categories_; }
    // Shows the category's profiles and makes the category and the named profile confirmed.
    void SetConfirmed(int category, int profile);
    int confirmedCategory() const { return confirmedCategory_; }
    int confirmedProfile() const { return confirmedProfile_; }
    int shownCategory() const { return shownCategory_; }

    QListWidget* categoryList() const { return categoryList_; }
    QListWidget* profileList() const { return profileList_; }

signals:
    // The user confirmed the profile at this index of the confirmed category's list.
    void confirmed(int profileIndex);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillProfiles(int category);
    void CategoryChosen(int category);
    void Confirm(int profileIndex);

    ProfileCategories categories_;
    QListWidget* categoryList_;
    QListWidget* profileList_;
    int shownCategory_ = -1;
    int confirmedCategory_ = -1;
    int confirmedProfile_ = -1;
};

class ProfileSelector : public QWidget {
    Q_OBJECT
public:
    explicit ProfileSelector(QWidget* parent = nullptr);

    // Puts every category, empty ones too, into the pop-up.
    void FinishCatalogue(ProfileCategories categories);
    // Shows the profile as chosen without telling anyone; a profile that is not listed leaves
    // the field empty.
    void SelectProfile(const std::string& fileName, const std::string& profileName);
    // The confirmed entry; empty names when none.
    ProfileEntry CurrentProfile() const;

    ProfilePopup* popup() const { return popup_; }
    void TogglePopup();

    QSize sizeHint() const override;

signals:
    // Delivered queued, after the pop-up has closed.
    void profilePicked(int profileIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ProfilePopup* popup_;
};

} // namespace reelvane
