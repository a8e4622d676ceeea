#pragma once
// The window's controls over the conversion session: the profile selector, Apply to All, Merge,
// the output folder with its Change and Open buttons, and the disc-size choice. Each change goes
// to the session and, where its rules say so, to the tasks through the model. The window lays
// the controls out and gives them their captions.

#include <QObject>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {
class SettingsStore;
}

namespace reelvane {

class ConversionSession;
class ProfileSelector;
class SplitSizeDialog;
class TaskListView;
class TaskTableModel;
class WindowHost;

class SessionControls : public QObject {
    Q_OBJECT
public:
    SessionControls(ConversionSession& session, TaskTableModel& model, TaskListView& view,
                    platform::SettingsStore& settings, WindowHost& host, QWidget* window);

    ProfileSelector* selector() const { return selector_; }
    QCheckBox* applyAllBox() const { return applyAllBox_; }
    QCheckBox* mergeBox() const { return mergeBox_; }
    QLineEdit* outputField() const { return outputField_; }
    QPushButton* changeFolderButton() const { return changeFolderButton_; }
    QPushButton* openFolderButton() const { return openFolderButton_; }
    QComboBox* discSize() const { return discSize_; }

    // The catalogue and the remembered profile, once at start.
    void LoadChosenProfile();
    // A single selected row shows its own profile.
    void FollowSelection();
    // While a run goes nothing of the session changes.
    void SetLocked(bool locked);
    // The disc-size texts and the split-size dialog.
    void ApplyTexts();

signals:
    // The session or the tasks changed: the idle status is stale.
    void changed();

private:
    void FillSplitChoices();
    void ApplyCurrentToAll(bool renameDestinations);
    void ApplyAllToggled(bool checked);
    void MergeToggled(bool checked);
    void ProfilePicked();
    void SplitChoiceActivated();
    void ChangeOutputFolder();

    ConversionSession& session_;
    TaskTableModel& model_;
    TaskListView& view_;
    platform::SettingsStore& settings_;
    WindowHost& host_;
    QWidget* window_;
    bool locked_ = false;

    ProfileSelector* selector_;
    QCheckBox* applyAllBox_;
    QCheckBox* mergeBox_;
    QLineEdit* outputField_;
    QPushButton* changeFolderButton_;
    QPushButton* openFolderButton_;
    QComboBox* discSize_;
    SplitSizeDialog* splitDialog_;
};

} // namespace reelvane
