#include "reelvane/tasks/session_controls.h"

#include "platform/settings_store.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_categories.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/conversion_session.h"
#include "reelvane/tasks/split_size_dialog.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_host.h"
#include "reelvane/tasks/window_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace reelvane {
SessionControls::SessionControls(ConversionSession& session, TaskTableModel& model, TaskListView& view,
                                 platform::SettingsStore& settings, WindowHost& host, QWidget* window)
    : QObject(window), session_(session), model_(model), view_(view), settings_(settings), host_(host), window_(window)
{
    selector_ = new ProfileSelector(window);
    selector_->setObjectName("profileSelector");
    applyAllBox_ = new QCheckBox(window);
    applyAllBox_->setObjectName("applyAllBox");
    applyAllBox_->setChecked(session_.applyToAll());
    outputField_ = new QLineEdit(Q(session_.outputFolder()), window);
    outputField_->setObjectName("outputFolder");
    outputField_->setReadOnly(true);
    changeFolderButton_ = Button(window, "changeFolderButton");
    openFolderButton_ = Button(window, "openFolderButton");
    mergeBox_ = new QCheckBox(window);
    mergeBox_->setObjectName("mergeBox");
    mergeBox_->setChecked(session_.merge());
    discSize_ = new QComboBox(window);
    discSize_->setObjectName("discSize");
    discSize_->setMinimumWidth(130);
    splitDialog_ = new SplitSizeDialog(window);

    connect(selector_, &ProfileSelector::profilePicked, this, &SessionControls::ProfilePicked);
    connect(applyAllBox_, &QCheckBox::toggled, this, &SessionControls::ApplyAllToggled);
    connect(mergeBox_, &QCheckBox::toggled, this, &SessionControls::MergeToggled);
    connect(changeFolderButton_, &QPushButton::clicked, this, &SessionControls::ChangeOutputFolder);
    connect(openFolderButton_, &QPushButton::clicked, this, [this] { host_.OpenExternal(Q(session_.outputFolder())); });
    connect(discSize_, &QComboBox::activated, this, &SessionControls::SplitChoiceActivated);
}

void SessionControls::LoadChosenProfile()
{
    selector_->FinishCatalogue(BuildCatalogue(session_.profileFolders()));
    session_.LoadChosenProfile();
    selector_->SelectProfile(session_.outputDefault().profileFile, session_.outputDefault().profileName);
    FillSplitChoices();
}

void SessionControls::FillSplitChoices()
{
    const SplitChoices& choices = session_.splitChoices();
    discSize_->clear();
    for (const std::string& entry : choices.entries)
        discSize_->addItem(Q(entry), Q(entry));
    discSize_->setCurrentIndex(choices.selected);
    discSize_->setEnabled(!locked_);
    ApplyTexts();
    emit changed();
}

void SessionControls::ApplyTexts()
{
    const int splitIndex = discSize_->currentIndex();
    for (int i = 0; i < discSize_->count(); ++i)
        discSize_->setItemText(i, Q(SplitMediumText(discSize_->itemData(i).toString().toStdString())));
    discSize_->setCurrentIndex(splitIndex);
    const QString split = Q(LookupText("OPTION_GENERAL_DLG", "btnSplitInfo", "Split"));
    discSize_->setToolTip(split);
    discSize_->setAccessibleName(split);
    splitDialog_->ApplyTexts();
    selector_->popup()->ApplyTexts();
}

void SessionControls::SetLocked(bool locked)
{
    locked_ = locked;
    for (QWidget* widget :
         std::initializer_list<QWidget*>{applyAllBox_, mergeBox_, selector_, changeFolderButton_, discSize_})
        widget->setEnabled(!locked);
}

void SessionControls::ApplyCurrentToAll(bool renameDestinations)
{
    model_.WithEveryTask([&](ConversionTask& task) { session_.ApplyCurrent(task, renameDestinations); });
    emit changed();
}

void SessionControls::ApplyAllToggled(bool checked)
{
    if (!checked) {
        session_.SetApplyToAll(false);
        return;
    }
    if (host_.AskYesNo(window_, Main("strApplyAllTipsInfo", "Apply current Profile and Settings to All?"))) {
        session_.SetApplyToAll(true);
        ApplyCurrentToAll(false);
        return;
    }
    QSignalBlocker block(applyAllBox_);
    applyAllBox_->setChecked(false);
    session_.SetApplyToAll(false);
}

void SessionControls::MergeToggled(bool checked)
{
    session_.SetMerge(checked);
    if (!checked)
        return;
    {
        QSignalBlocker block(applyAllBox_);
        applyAllBox_->setChecked(true);
    }
    ApplyCurrentToAll(true);
}

void SessionControls::ProfilePicked()
{
    applyAllBox_->setEnabled(true);
    mergeBox_->setEnabled(true);
    const ProfileEntry picked = selector_->CurrentProfile();
    if (picked.profileName.empty())
        return;
    if (!session_.PickProfile(picked.fileName, picked.profileName))
        host_.ShowMessage(window_, Q(session_.profileFolders().ChoiceFailedText()));
    FillSplitChoices();

    const int row = view_.SingleSelectedRow();
    if (row < 0)
        return;
    if (session_.applyToAll()) {
        ApplyCurrentToAll(true);
    } else {
        model_.WithTask(row, [this](ConversionTask& task) { session_.ApplyCurrent(task, true); });
        emit changed();
    }
}

void SessionControls::FollowSelection()
{
    const int row = view_.SingleSelectedRow();
    if (row < 0)
        return;
    session_.FollowTask(*model_.tasks().Get(row));
    const ProfileSettings& current = session_.currentProfile();
    selector_->SelectProfile(FileNamePart(current.iniPath), current.profileName);
}

void SessionControls::SplitChoiceActivated()
{
    session_.SetSplitChoice(discSize_->currentData().toString().toStdString());
    if (session_.splitChoice() == kCustomSplit) {
        splitDialog_->exec();
        session_.SetCustomSplitMegabytes(splitDialog_->megabytes());
    }
    emit changed();
}

void SessionControls::ChangeOutputFolder()
{
    const QString chosen =
        host_.ChooseFolder(window_, Main("strFolderDescInfo", "Choose a directory for saving output files"),
                           Q(session_.outputFolder()));
    if (chosen.isEmpty())
        return;
    const bool moved = session_.SetOutputFolder(chosen.toStdString());
    settings_.WriteString("ConvertDir", session_.outputFolder());
    if (!moved)
        return;
    outputField_->setText(Q(session_.outputFolder()));
    if (model_.rowCount() == 0 || !host_.AskYesNo(window_, Main("strChangeOutputFolderTipsInfo", "Choose a directory")))
        return;
    model_.WithEveryTask([this](ConversionTask& task) { session_.MoveDestination(task); });
    emit changed();
}

} // namespace reelvane
