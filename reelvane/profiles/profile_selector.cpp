#include "reelvane/profiles/profile_selector.h"

#include "reelvane/ui/pictures.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace reelvane {
namespace {

constexpr int kPopupWidth = 500;
constexpr int kPopupHeight = 380;

QListWidget* MakeList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setMouseTracking(true);
    list->setIconSize({32, 32});
    list->setSpacing(1);
    list->setAccessibleName(name);
    list->setFrameShape(QFrame::NoFrame);
    return list;
}

} // namespace

ProfilePopup::ProfilePopup(QWidget* parent) : QFrame(parent, Qt::Popup)
{
    setAttribute(Qt::WA_NoMouseReplay);
    setFrameShape(QFrame::Box);
    setFixedSize(kPopupWidth, kPopupHeight);
    categoryList_ = MakeList(this, "Categories");
    profileList_ = MakeList(this, "Profiles");
    categoryList_->setFixedWidth(kPopupWidth * 2 / 5);
    // Every category fits without scrolling.
    categoryList_->setIconSize({18, 18});
    categoryList_->setSpacing(0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addWidget(categoryList_);
    layout->addWidget(profileList_);

    // The list under the pointer takes the focus and its entry; the profiles follow the category.
    connect(categoryList_, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        categoryList_->setFocus();
        categoryList_->setCurrentItem(item);
        if (categoryList_->row(item) != shownCategory_)
            CategoryChosen(categoryList_->row(item));
    });
    connect(profileList_, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        profileList_->setFocus();
        profileList_->setCurrentItem(item);
    });
    connect(categoryList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { CategoryChosen(categoryList_->row(item)); });
    connect(profileList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Confirm(profileList_->row(item)); });
    categoryList_->installEventFilter(this);
    profileList_->installEventFilter(this);

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            hide();
    });
}

void ProfilePopup::SetCategories(ProfileCategories categories)
{
    categories_ = std::move(categories);
    categoryList_->clear();
    for (const CategoryEntry& category : categories_.categories())
        categoryList_->addItem(new QListWidgetItem(CataloguePicture(category.image), {}));
    ApplyTexts();
    SetConfirmed(-1, -1);
}

void ProfilePopup::ApplyTexts()
{
    const std::vector<CategoryEntry>& categories = categories_.categories();
    for (int row = 0; row < categoryList_->count() && row < static_cast<int>(categories.size()); ++row)
        categoryList_->item(row)->setText(
            QString::fromStdString(CategoryText(categories[static_cast<std::size_t>(row)].name)));
}

void ProfilePopup::FillProfiles(int category)
{
    profileList_->clear();
    shownCategory_ = category;
    for (const ProfileEntry& profile : categories_.ProfilesShown(category)) {
        auto* item = new QListWidgetItem(CataloguePicture(profile.image), QString::fromStdString(profile.profileName));
        item->setToolTip(QString::fromStdString(profile.fileName));
        profileList_->addItem(item);
    }
}

void ProfilePopup::SetConfirmed(int category, int profile)
{
    confirmedCategory_ = category;
    categoryList_->setCurrentRow(category);
    FillProfiles(category);
    confirmedProfile_ = profile >= 0 && profile < profileList_->count() ? profile : -1;
    profileList_->setCurrentRow(confirmedProfile_);
}

void ProfilePopup::CategoryChosen(int category)
{
    if (category < 0 || category >= categoryList_->count())
        return;
    FillProfiles(category);
    profileList_->setFocus();
    profileList_->setCurrentRow(0);
}

void ProfilePopup::Confirm(int profileIndex)
{
    if (profileIndex < 0 || profileIndex >= profileList_->count())
        return;
    confirmedCategory_ = shownCategory_;
    confirmedProfile_ = profileIndex;
    hide();
    emit confirmed(profileIndex);
}

void ProfilePopup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Confirm(std::max(profileList_->currentRow(), 0));
        return;
    }
    QFrame::keyPressEvent(event);
}

bool ProfilePopup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            keyPressEvent(key);
            return true;
        }
        // Left and right move between the two lists.
        if (watched == categoryList_ && key->key() == Qt::Key_Right) {
            CategoryChosen(categoryList_->currentRow());
            return true;
        }
        if (watched == profileList_ && key->key() == Qt::Key_Left) {
            categoryList_->setFocus();
            return true;
        }
        if (watched == categoryList_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            bool handled = QFrame::eventFilter(watched, event);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (categoryList_->currentRow() != shownCategory_)
                        FillProfiles(categoryList_->currentRow());
                },
                Qt::QueuedConnection);
            return handled;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void ProfilePopup::hideEvent(QHideEvent* event)
{
    // Closing without a pick goes back to what was confirmed.
    SetConfirmed(confirmedCategory_, confirmedProfile_);
    QFrame::hideEvent(event);
}

ProfileSelector::ProfileSelector(QWidget* parent) : QWidget(parent), popup_(new ProfilePopup(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(popup_, &ProfilePopup::confirmed, this, [this](int index) {
        setFocus();
        update();
        QMetaObject::invokeMethod(
            this, [this, index] { emit profilePicked(index); }, Qt::QueuedConnection);
    });
}

void ProfileSelector::FinishCatalogue(ProfileCategories categories)
{
    popup_->SetCategories(std::move(categories));
    update();
}

void ProfileSelector::SelectProfile(const std::string& fileName, const std::string& profileName)
{
    CataloguePosition position = popup_->categories().Find(fileName, profileName);
    if (position.category < 0)
        return;
    popup_->SetConfirmed(position.category, position.profile);
    update();
}

ProfileEntry ProfileSelector::CurrentProfile() const
{
    const std::vector<ProfileEntry> shown = popup_->categories().ProfilesShown(popup_->confirmedCategory());
    const int index = popup_->confirmedProfile();
    if (index < 0 || index >= static_cast<int>(shown.size()))
        return {};
    return shown[static_cast<std::size_t>(index)];
}

void ProfileSelector::TogglePopup()
{
    if (popup_->isVisible()) {
        popup_->hide();
        return;
    }
    popup_->move(mapToGlobal(QPoint(0, height() + 1)));
    popup_->show();
    popup_->activateWindow();
    popup_->profileList()->setFocus();
}

QSize ProfileSelector::sizeHint() const
{
    QStyleOptionComboBox option;
    option.initFrom(this);
    const QSize content(240, std::max(fontMetrics().height(), 20) + 4);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this);
}

void ProfileSelector::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = false;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);

    const ProfileEntry current = CurrentProfile();
    if (current.profileName.empty())
        return;
    QRect area = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int picture = std::min(area.height() - 2, 20);
    const QRect pictureRect(area.left() + 4, area.center().y() - picture / 2, picture, picture);
    CataloguePicture(current.image).paint(&painter, pictureRect);
    QRect textRect = area.adjusted(pictureRect.width() + 8, 1, -1, -1);
    const QString name = QString::fromStdString(current.profileName);
    if (hasFocus()) {
        const QRect filled(textRect.left() - 2, textRect.top(), fontMetrics().horizontalAdvance(name) + 4,
                           textRect.height());
        painter.fillRect(filled, palette().highlight());
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = filled;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        painter.setPen(palette().highlightedText().color());
    } else {
        painter.setPen(palette().text().color());
    }
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(name, Qt::ElideRight, textRect.width()));
}

void ProfileSelector::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        TogglePopup();
}

void ProfileSelector::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        TogglePopup();
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down || event->key() == Qt::Key_Left ||
        event->key() == Qt::Key_Right) {
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace reelvane
