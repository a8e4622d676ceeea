#include "reelvane/tasks/main_window.h"

#include "adapters/skivo/skivo.h"
#include "platform/processor_count.h"
#include "platform/program_folder.h"
#include "reelvane/conversion/properties_dialog.h"
#include "reelvane/frame/about_dialog.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/frame/qt_translations.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/split_choices.h"
#include "reelvane/tasks/split_size_dialog.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_state_delegate.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_host.h"
#include "reelvane/ui/pictures.h"
#include "reelvane/ui/text_progress_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace reelvane {
namespace {

QString Main(const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText("MAIN_DLG", key, builtin));
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A tooltip is also what a screen reader says for a control without a caption.
void Caption(QWidget* widget, const QString& tooltip)
{
    widget->setToolTip(tooltip);
    widget->setAccessibleName(tooltip);
}

QPushButton* Button(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

MainWindow::MainWindow(WindowSetup setup, WindowHost& host, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), host_(host), model_(new TaskTableModel(tasks_, this)),
      session_(setup_.profiles, setup_.startup.outputFolder)
{
    setObjectName("MainWindow");
    setWindowIcon(ProgramIcon());
    setWindowTitle(kProductTitle);
    rememberedFolder_ = Q(platform::UserVideosFolder());
    BuildControls();
    BuildMenus();
    LoadChosenProfileAtStart();
    ApplyTexts();
    UpdateConvertControls();
    RefreshStatus();
    connect(model_, &TaskTableModel::tasksChanged, this, [this] { setup_.recovery.Save(tasks_); });
    QLM_AddFilterHook(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls()
{
    banner_ = new QToolButton(this);
    banner_->setObjectName("banner");
    banner_->setAutoRaise(true);
    banner_->setCursor(Qt::PointingHandCursor);
    const QPixmap banner = BannerPicture(52);
    banner_->setIcon(banner);
    banner_->setIconSize(banner.size());
    updateButton_ = new QToolButton(this);
    updateButton_->setObjectName("updateButton");
    settingsButton_ = new QToolButton(this);
    settingsButton_->setObjectName("settingsButton");
    for (QToolButton* button : {updateButton_, settingsButton_}) {
        button->setAutoRaise(true);
        button->setIconSize({30, 30});
    }
    updateButton_->setIcon(UpdatePicture());
    settingsButton_->setIcon(SettingsPicture());

    profileLabel_ = new QLabel(this);
    selector_ = new ProfileSelector(this);
    selector_->setObjectName("profileSelector");
    profileLabel_->setBuddy(selector_);
    optionsButton_ = Button(this, "optionsButton");
    applyAllBox_ = new QCheckBox(this);
    applyAllBox_->setObjectName("applyAllBox");

    view_ = new TaskListView(this);
    view_->setObjectName("taskList");
    view_->SetTaskModel(model_);
    view_->setItemDelegateForColumn(TaskTableModel::StateColumn, new TaskStateDelegate(view_));
    const int widths[] = {150, 100, 100, 100, 140, 110};
    static_assert(std::size(widths) == TaskTableModel::ColumnCount);
    for (int column = 0; column < TaskTableModel::ColumnCount; ++column)
        view_->setColumnWidth(column, widths[column]);
    view_->setMinimumSize(700, 250);

    audioButton_ = Button(this, "audioButton");
    subtitleButton_ = Button(this, "subtitleButton");
    addButton_ = Button(this, "addButton");
    convertButton_ = Button(this, "convertButton");
    removeButton_ = Button(this, "removeButton");
    upButton_ = Button(this, "upButton");
    downButton_ = Button(this, "downButton");
    for (QPushButton* button : {addButton_, convertButton_})
        button->setMinimumWidth(110);

    outputLabel_ = new QLabel(this);
    outputField_ = new QLineEdit(Q(session_.outputFolder()), this);
    outputField_->setObjectName("outputFolder");
    outputField_->setReadOnly(true);
    outputLabel_->setBuddy(outputField_);
    changeFolderButton_ = Button(this, "changeFolderButton");
    openFolderButton_ = Button(this, "openFolderButton");
    mergeBox_ = new QCheckBox(this);
    mergeBox_->setObjectName("mergeBox");

    discSize_ = new QComboBox(this);
    discSize_->setObjectName("discSize");
    discSize_->setMinimumWidth(130);
    progress_ = new TextProgressBar(this);
    progress_->setObjectName("progressBar");
    splitDialog_ = new SplitSizeDialog(this);

    applyAllBox_->setChecked(session_.applyToAll());
    mergeBox_->setChecked(session_.merge());

    auto* top = new QHBoxLayout;
    top->addWidget(banner_);
    top->addStretch(1);
    top->addWidget(updateButton_, 0, Qt::AlignTop);
    top->addWidget(settingsButton_, 0, Qt::AlignTop);
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(profileLabel_);
    profileRow->addWidget(selector_, 1);
    profileRow->addWidget(optionsButton_);
    profileRow->addWidget(applyAllBox_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(audioButton_);
    buttonRow->addWidget(subtitleButton_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(addButton_);
    buttonRow->addWidget(convertButton_);
    buttonRow->addStretch(1);
    buttonRow->addWidget(removeButton_);
    buttonRow->addWidget(upButton_);
    buttonRow->addWidget(downButton_);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputLabel_);
    outputRow->addWidget(outputField_, 1);
    outputRow->addWidget(changeFolderButton_);
    outputRow->addWidget(openFolderButton_);
    outputRow->addWidget(mergeBox_);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(discSize_);
    progressRow->addWidget(progress_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->addLayout(top);
    layout->addLayout(profileRow);
    layout->addWidget(view_, 1);
    layout->addLayout(buttonRow);
    layout->addSpacing(6);
    layout->addLayout(outputRow);
    layout->addLayout(progressRow);

    // Tab follows the layout, row by row.
    const QList<QWidget*> order = {banner_,           updateButton_, settingsButton_, selector_,
                                   optionsButton_,    applyAllBox_,  view_,           audioButton_,
                                   subtitleButton_,   addButton_,    convertButton_,  removeButton_,
                                   upButton_,         downButton_,   outputField_,    changeFolderButton_,
                                   openFolderButton_, mergeBox_,     discSize_};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QToolButton* button : {banner_, updateButton_, settingsButton_})
        button->setFocusPolicy(Qt::StrongFocus);

    const QString productPage = Q(ProductPage(setup_.dataFolder));
    connect(banner_, &QToolButton::clicked, this, [this, productPage] { host_.OpenExternal(productPage); });
    connect(updateButton_, &QToolButton::clicked, this, [this, productPage] { host_.OpenExternal(productPage); });
    connect(selector_, &ProfileSelector::profilePicked, this, &MainWindow::ProfilePicked);
    connect(optionsButton_, &QPushButton::clicked, this, &MainWindow::OptionsCommand);
    connect(audioButton_, &QPushButton::clicked, this,
            [this] { emit audioTracksRequested(view_->SingleSelectedRow()); });
    connect(subtitleButton_, &QPushButton::clicked, this,
            [this] { emit subtitleRequested(view_->SingleSelectedRow()); });
    connect(applyAllBox_, &QCheckBox::toggled, this, &MainWindow::ApplyAllToggled);
    connect(mergeBox_, &QCheckBox::toggled, this, &MainWindow::MergeToggled);
    connect(convertButton_, &QPushButton::clicked, this, &MainWindow::ConvertClicked);
    connect(upButton_, &QPushButton::clicked, view_, [this] { view_->MoveSelected(-1); });
    connect(downButton_, &QPushButton::clicked, view_, [this] { view_->MoveSelected(1); });
    connect(changeFolderButton_, &QPushButton::clicked, this, &MainWindow::ChangeOutputFolder);
    connect(openFolderButton_, &QPushButton::clicked, this, [this] { host_.OpenExternal(Q(session_.outputFolder())); });
    connect(discSize_, &QComboBox::activated, this, &MainWindow::SplitChoiceActivated);
    connect(view_, &TaskListView::filesDropped, this, &MainWindow::DropFiles);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::SelectionChanged);
    connect(view_, &TaskListView::propertiesRequested, this, &MainWindow::ShowProperties);
    connect(view_, &TaskListView::logRequested, this, &MainWindow::ShowLog);
    connect(view_, &TaskListView::addFilesRequested, this, &MainWindow::AddFilesCommand);
    connect(view_, &TaskListView::addFolderRequested, this, &MainWindow::AddFolderCommand);
    connect(view_, &TaskListView::convertRequested, this, &MainWindow::ConvertClicked);
    connect(view_, &TaskListView::optionsRequested, this, &MainWindow::OptionsCommand);
    connect(view_, &TaskListView::audioTracksRequested, this, &MainWindow::audioTracksRequested);
    connect(view_, &TaskListView::subtitleRequested, this, &MainWindow::subtitleRequested);
    connect(view_, &TaskListView::listChanged, this, [this] {
        UpdateConvertControls();
        RefreshStatus();
    });
}

void MainWindow::BuildMenus()
{
    addMenu_ = new QMenu(this);
    addMenu_->setObjectName("addMenu");
    addFilesAction_ = addMenu_->addAction(QString(), this, &MainWindow::AddFilesCommand);
    addFolderAction_ = addMenu_->addAction(QString(), this, &MainWindow::AddFolderCommand);
    connect(addButton_, &QPushButton::clicked, this,
            [this] { addMenu_->popup(addButton_->mapToGlobal(QPoint(0, addButton_->height()))); });
    connect(view_, &TaskListView::emptyListClicked, this, [this](const QPoint& at) {
        if (!converting_)
            addMenu_->popup(at);
    });

    removeMenu_ = new QMenu(this);
    removeMenu_->setObjectName("removeMenu");
    removeSelectedAction_ = removeMenu_->addAction(QString(), view_, &TaskListView::RemoveSelected);
    removeAllAction_ = removeMenu_->addAction(QString(), view_, &TaskListView::RemoveAll);
    connect(removeButton_, &QPushButton::clicked, this,
            [this] { removeMenu_->popup(removeButton_->mapToGlobal(QPoint(0, removeButton_->height()))); });

    settingsMenu_ = new QMenu(this);
    settingsMenu_->setObjectName("settingsMenu");
    helpAction_ =
        settingsMenu_->addAction(QString(), this, [this] { host_.OpenExternal(Q(SupportPage(setup_.dataFolder))); });
    helpAction_->setShortcut(Qt::Key_F1);
    settingsMenu_->addSeparator();
    languageMenu_ = settingsMenu_->addMenu(QString());
    languageMenu_->setObjectName("languageMenu");
    jobsMenu_ = settingsMenu_->addMenu(QString());
    jobsMenu_->setObjectName("jobsMenu");
    copyFittingAction_ = settingsMenu_->addAction(QString());
    copyFittingAction_->setObjectName("copyFittingAction");
    copyFittingAction_->setCheckable(true);
    connect(copyFittingAction_, &QAction::toggled, this, [this](bool on) {
        RunSettings run = runSettings();
        run.copyFitting = on;
        WriteRunSettings(setup_.settings, run);
    });
    discoraAction_ =
        settingsMenu_->addAction(QString(), this, [this] { host_.StartProgram(Q(setup_.programFolder + "/discora")); });
    discoraAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    playerAction_ =
        settingsMenu_->addAction(QString(), this, [this] { host_.StartProgram(Q(setup_.programFolder + "/qlm")); });
    playerAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    settingsMenu_->addSeparator();
    aboutAction_ = settingsMenu_->addAction(QString(), this, &MainWindow::ShowAbout);
    aboutAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    settingsMenu_->addSeparator();
    exitAction_ = settingsMenu_->addAction(QString(), this, &QWidget::close);
    exitAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    // The accelerators work without the menu open, ahead of the controls' own keys.
    for (QAction* action : {helpAction_, discoraAction_, playerAction_, aboutAction_, exitAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(settingsButton_, &QToolButton::clicked, this,
            [this] { settingsMenu_->popup(settingsButton_->mapToGlobal(QPoint(0, settingsButton_->height()))); });
    BuildLanguageMenu();
    BuildRunMenu();
}

void MainWindow::BuildRunMenu()
{
    const RunSettings run = runSettings();
    auto* group = new QActionGroup(jobsMenu_);
    const int processors = platform::UsableProcessorCount();
    for (int jobs = 0; jobs <= processors; ++jobs) {
        QAction* action = jobsMenu_->addAction(QString::number(jobs), this, [this, jobs] {
            RunSettings changed = runSettings();
            changed.jobs = jobs;
            WriteRunSettings(setup_.settings, changed);
        });
        action->setCheckable(true);
        action->setChecked(jobs == run.jobs || (jobs == 0 && run.jobs > processors));
        group->addAction(action);
        if (jobs == 0)
            automaticJobsAction_ = action;
    }
    copyFittingAction_->setChecked(run.copyFitting);
}

void MainWindow::BuildLanguageMenu()
{
    languageMenu_->clear();
    const std::vector<LanguagePack> packs = Languages().ListLanguages();
    for (std::size_t i = 0; i < packs.size() && i < 200; ++i) {
        QAction* action = languageMenu_->addAction(Q(packs[i].name), this, [this, i] {
            Languages().SelectLanguageByIndex(i);
            SwitchQtTranslations(Languages().CurrentLanguageFile());
            setup_.settings.WriteString("language", Languages().CurrentLanguageName());
            ApplyTexts();
        });
        action->setCheckable(true);
        action->setChecked(packs[i].name == Languages().CurrentLanguageName());
    }
}

void MainWindow::ApplyTexts()
{
    const QString website = Main("strWebsiteTooltip", "welcome to %s website").replace("%s", kProductTitle);
    Caption(banner_, website);
    Caption(updateButton_, Main("btnUpdateTooltip", "Check for update"));
    Caption(settingsButton_, Main("btnSettingsTooltip", "System settings"));
    profileLabel_->setText(Main("strOutputProfileNameInfo", "profile:"));
    selector_->setAccessibleName(QString(profileLabel_->text()).remove('&'));
    outputLabel_->setText(Main("strOutputFolderInfo", "Default output folder:"));
    outputField_->setAccessibleName(QString(outputLabel_->text()).remove('&'));
    applyAllBox_->setText(Main("btnApplyAllInfo", "Apply to All"));
    mergeBox_->setText(Main("btnMergeFileInfo", "Merge into one file"));

    const struct {
        QPushButton* button;
        const char* key;
        const char* text;
        const char* tipKey;
        const char* tip;
    } buttons[] = {
        {optionsButton_, "btnOptionInfo", "O&ptions", "btnOptionTooltip", "Change profile option"},
        {addButton_, "btnAddInfo", "&New Task", "btnAddTooltip", "Add File(s)"},
        {audioButton_, "btnAudioTrackInfo", "Audio...", "btnAudioTrackTooltip", "Audio track settings"},
        {subtitleButton_, "btnSubtitleInfo", "Subtitle...", "btnSubtitleTooltip", "Subtitle settings"},
        {removeButton_, "btnRemoveInfo", "&Delete", "btnRemoveTooltip", "Remove files in the list"},
        {upButton_, "btnUpInfo", "&Up", "btnUpTooltip", "Move Up"},
        {downButton_, "btnDownInfo", "&Down", "btnDownTooltip", "Move Down"},
        {changeFolderButton_, "btnChangeOutputFolderInfo", "...", "btnChangeOutputFolderTooltip",
         "Change output folder"},
        {openFolderButton_, "btnOpenOutputFolderInfo", "&Open", "btnOpenOutputFolderTooltip", "Open output folder"},
    };
    for (const auto& b : buttons) {
        b.button->setText(Main(b.key, b.text));
        b.button->setToolTip(Main(b.tipKey, b.tip));
        b.button->setAccessibleDescription(b.button->toolTip());
    }
    changeFolderButton_->setAccessibleName(changeFolderButton_->toolTip());
    view_->setAccessibleName(Main("strList0Info", "Source"));

    addFilesAction_->setText(Main("strAddFileInfo", "Add file(s)..."));
    addFolderAction_->setText(Main("strAddFolderInfo", "Add folder"));
    view_->ApplyTexts();
    removeSelectedAction_->setText(Main("strRemoveSelectedInfo", "Remove selected file"));
    removeAllAction_->setText(Main("strRemoveAllInfo", "Clear Flash(swf) file list"));
    helpAction_->setText(Main("strHelpInfo", "&Help"));
    languageMenu_->setTitle(Main("strLanguageInfo", "Language"));
    jobsMenu_->setTitle(Main("strTasksAtOnceInfo", "Tasks at once"));
    automaticJobsAction_->setText(Main("strTasksAutomaticInfo", "Automatic"));
    copyFittingAction_->setText(Main("strCopyFittingInfo", "Copy streams that already fit"));
    discoraAction_->setText(Main("strDiscoraInfo", "Discora"));
    playerAction_->setText(Main("strMediaplayerInfo", "Media player"));
    aboutAction_->setText(Main("strAboutInfo", "About"));
    exitAction_->setText(Main("strExitInfo", "Exit"));
    for (QAction* action : languageMenu_->actions())
        action->setChecked(action->text() == Q(Languages().CurrentLanguageName()));

    const int splitIndex = discSize_->currentIndex();
    for (int i = 0; i < discSize_->count(); ++i)
        discSize_->setItemText(i, Q(SplitMediumText(discSize_->itemData(i).toString().toStdString())));
    discSize_->setCurrentIndex(splitIndex);
    Caption(discSize_, Q(LookupText("OPTION_GENERAL_DLG", "btnSplitInfo", "Split")));
    splitDialog_->ApplyTexts();
    selector_->popup()->ApplyTexts();
    model_->RetranslateHeaders();
    UpdateConvertControls();
    RefreshStatus();
}

void MainWindow::LoadChosenProfileAtStart()
{
    selector_->FinishCatalogue(BuildCatalogue(setup_.profiles));
    session_.LoadChosenProfile();
    selector_->SelectProfile(session_.outputDefault().profileFile, session_.outputDefault().profileName);
    FillSplitChoices();
}

void MainWindow::FillSplitChoices()
{
    const SplitChoices& choices = session_.splitChoices();
    discSize_->clear();
    for (const std::string& entry : choices.entries)
        discSize_->addItem(Q(entry), Q(entry));
    discSize_->setCurrentIndex(choices.selected);
    discSize_->setEnabled(!converting_);
    ApplyTexts();
}

void MainWindow::StartUp(const QStringList& files)
{
    OfferRecovery();
    if (!files.isEmpty())
        AddFiles(files);
    QTimer::singleShot(50, this, [this] {
        if (!converting_ && addButton_->isEnabled())
            addMenu_->popup(addButton_->mapToGlobal(QPoint(0, addButton_->height())));
    });
    if (setup_.startup.firstUse == 0)
        QTimer::singleShot(50, this, [this] {
            setup_.startup.firstUse = 1;
            setup_.settings.WriteInt("firstuse", 1);
            host_.OpenExternal(Q(ProductPage(setup_.dataFolder)));
        });
}

void MainWindow::OfferRecovery()
{
    std::vector<std::unique_ptr<ConversionTask>> saved = setup_.recovery.Load();
    if (saved.empty()) {
        setup_.recovery.Remove();
        return;
    }
    const QString question = Q(LookupText("WINDOW_INFO", "strRestoreTasksInfo",
                                          "Reelvane was not closed normally last time. Restore its %d task(s)?"))
                                 .replace("%d", QString::number(saved.size()));
    if (!host_.AskYesNo(this, question)) {
        setup_.recovery.Remove();
        return;
    }
    model_->AddTasks(std::move(saved));
    SelectRow(model_->rowCount() - 1);
    UpdateConvertControls();
    RefreshStatus();
}

int MainWindow::AddFile(const QString& path)
{
    if (auto problem = SourceFileProblem(path.toStdString())) {
        host_.ShowMessage(this, Q(*problem));
        return -1;
    }
    WaitCursor wait;
    auto task = session_.NewTask(path.toStdString());
    if (!task)
        return -1;
    if (prepareTracks_)
        prepareTracks_(*task);
    return model_->AddTask(std::move(task));
}

void MainWindow::AddFiles(const QStringList& paths)
{
    int last = -1;
    for (const QString& path : paths)
        if (!path.isEmpty())
            last = std::max(last, AddFile(path));
    if (last >= 0)
        SelectRow(last);
    UpdateConvertControls();
    RefreshStatus();
}

void MainWindow::AddFilesCommand()
{
    const QString filter = "MKV files (*.mkv *.mka);;" + Main("strAllFilesInfo", "All files") + " (*)";
    const QStringList files =
        host_.ChooseFiles(this, Main("strAddFileInfo", "Add file(s)..."), rememberedFolder_, filter);
    if (files.isEmpty())
        return;
    rememberedFolder_ = QFileInfo(files.first()).absolutePath();
    AddFiles(files);
}

void MainWindow::AddFolderCommand()
{
    const QString folder =
        host_.ChooseFolder(this, Main("strAddFolderSpecInfo", "Choose a directory to add files"), rememberedFolder_);
    if (folder.isEmpty())
        return;
    const bool recurse = host_.AskYesNo(this, Main("strSearchSubFolderInfo", "Do you want search sub folder?"));
    QStringList files;
    {
        WaitCursor wait;
        for (const std::string& file : ScanFolder(folder.toStdString(), recurse))
            files << Q(file);
    }
    AddFiles(files);
}

void MainWindow::DropFiles(const QStringList& paths)
{
    if (converting_)
        return;
    QStringList accepted;
    for (const QString& path : paths)
        if (AcceptedByDrop(path.toStdString()))
            accepted << path;
    if (!accepted.isEmpty())
        AddFiles(accepted);
}

void MainWindow::ApplyCurrentToAll(bool renameDestinations)
{
    model_->WithEveryTask([&](ConversionTask& task) { session_.ApplyCurrent(task, renameDestinations); });
    RefreshStatus();
}

void MainWindow::ApplyAllToggled(bool checked)
{
    if (!checked) {
        session_.SetApplyToAll(false);
        return;
    }
    if (host_.AskYesNo(this, Main("strApplyAllTipsInfo", "Apply current Profile and Settings to All?"))) {
        session_.SetApplyToAll(true);
        ApplyCurrentToAll(false);
        return;
    }
    QSignalBlocker block(applyAllBox_);
    applyAllBox_->setChecked(false);
    session_.SetApplyToAll(false);
}

void MainWindow::MergeToggled(bool checked)
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

void MainWindow::ProfilePicked(int)
{
    applyAllBox_->setEnabled(true);
    mergeBox_->setEnabled(true);
    const ProfileEntry picked = selector_->CurrentProfile();
    if (picked.profileName.empty())
        return;
    if (!session_.PickProfile(picked.fileName, picked.profileName))
        host_.ShowMessage(this, Q(setup_.profiles.ChoiceFailedText()));
    FillSplitChoices();

    const int row = view_->SingleSelectedRow();
    if (row < 0)
        return;
    if (session_.applyToAll()) {
        ApplyCurrentToAll(true);
    } else {
        model_->WithTask(row, [this](ConversionTask& task) { session_.ApplyCurrent(task, true); });
        RefreshStatus();
    }
}

void MainWindow::SelectionChanged()
{
    UpdateConvertControls();
    const int row = view_->SingleSelectedRow();
    if (row < 0)
        return;
    session_.FollowTask(*tasks_.Get(row));
    const ProfileSettings& current = session_.currentProfile();
    selector_->SelectProfile(FileNamePart(current.iniPath), current.profileName);
}

void MainWindow::ConvertClicked()
{
    if (!converting_) {
        if (tasks_.Count() > 0)
            emit convertRequested();
        return;
    }
    if (cancelAsked_ || !cancelAllowed_)
        return;
    cancelAsked_ = true;
    UpdateConvertControls();
    emit cancelRequested();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && converting_) {
        ConvertClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::SetConverting(bool converting)
{
    converting_ = converting;
    view_->SetConverting(converting);
    cancelAsked_ = false;
    cancelAllowed_ = true;
    UpdateConvertControls();
    if (converting)
        ShowRunStatus(0, Main("strStartConvertingInfo", "Start converting"));
    else
        RefreshStatus();
}

void MainWindow::ShowRunStatus(int percent, const QString& text)
{
    progress_->SetValue(percent);
    progress_->SetText(text);
}

void MainWindow::SetCancelAllowed(bool allowed)
{
    cancelAllowed_ = allowed;
    UpdateConvertControls();
}

void MainWindow::UpdateConvertControls()
{
    const QList<QWidget*> locked = {addButton_,    optionsButton_, audioButton_,        subtitleButton_,
                                    removeButton_, upButton_,      downButton_,         applyAllBox_,
                                    mergeBox_,     selector_,      changeFolderButton_, discSize_};
    if (converting_) {
        convertButton_->setText(Main("btnConvert2Info", "&Cancel"));
        convertButton_->setToolTip(Main("btnConvert2Tooltip", "Cancel"));
        convertButton_->setEnabled(!cancelAsked_ && cancelAllowed_);
        for (QWidget* widget : locked)
            widget->setEnabled(false);
        return;
    }
    convertButton_->setText(Main("btnConvertInfo", "&Convert"));
    convertButton_->setToolTip(Main("btnConvertTooltip", "Start converting"));
    for (QWidget* widget : {static_cast<QWidget*>(addButton_), static_cast<QWidget*>(applyAllBox_),
                            static_cast<QWidget*>(mergeBox_), static_cast<QWidget*>(selector_),
                            static_cast<QWidget*>(changeFolderButton_), static_cast<QWidget*>(discSize_)})
        widget->setEnabled(true);
    const int count = tasks_.Count();
    if (count == 0) {
        for (QWidget* widget :
             {convertButton_, removeButton_, upButton_, downButton_, optionsButton_, audioButton_, subtitleButton_})
            widget->setEnabled(false);
        view_->viewport()->update();
        return;
    }
    convertButton_->setEnabled(true);
    removeButton_->setEnabled(true);
    const QList<int> rows = view_->SelectedRows();
    if (rows.isEmpty()) {
        for (QWidget* widget : {optionsButton_, audioButton_, subtitleButton_, upButton_, downButton_})
            widget->setEnabled(false);
    } else if (rows.size() == 1) {
        for (QWidget* widget : {optionsButton_, audioButton_, subtitleButton_})
            widget->setEnabled(true);
        upButton_->setEnabled(rows.first() > 0);
        downButton_->setEnabled(rows.first() < count - 1);
    }
}

void MainWindow::RefreshStatus()
{
    if (converting_)
        return;
    const IdleStatus status = session_.IdleStatusOf(tasks_);
    progress_->SetValue(status.barPercent);
    progress_->SetText(Q(status.text));
}

void MainWindow::SplitChoiceActivated()
{
    session_.SetSplitChoice(discSize_->currentData().toString().toStdString());
    if (session_.splitChoice() == kCustomSplit) {
        splitDialog_->exec();
        session_.SetCustomSplitMegabytes(splitDialog_->megabytes());
    }
    RefreshStatus();
}

void MainWindow::ChangeOutputFolder()
{
    const QString chosen =
        host_.ChooseFolder(this, Main("strFolderDescInfo", "Choose a directory for saving output files"),
                           Q(session_.outputFolder()));
    if (chosen.isEmpty())
        return;
    const bool changed = session_.SetOutputFolder(chosen.toStdString());
    setup_.settings.WriteString("ConvertDir", session_.outputFolder());
    if (!changed)
        return;
    outputField_->setText(Q(session_.outputFolder()));
    if (tasks_.Count() == 0 || !host_.AskYesNo(this, Main("strChangeOutputFolderTipsInfo", "Choose a directory")))
        return;
    model_->WithEveryTask([this](ConversionTask& task) { session_.MoveDestination(task); });
    RefreshStatus();
}

void MainWindow::ShowProperties(int row)
{
    const ConversionTask* task = tasks_.Get(row);
    if (!task)
        return;
    PropertiesDialog dialog(*task, this, runSettings().copyFitting);
    dialog.exec();
}

void MainWindow::OptionsCommand()
{
    // One sheet edits one task; with several rows selected there is nothing to open.
    if (view_->SelectedRows().size() > 1)
        return;
    emit optionsRequested(view_->SingleSelectedRow());
}

QList<int> MainWindow::SelectedRows() const
{
    return view_->SelectedRows();
}

void MainWindow::SelectRow(int row)
{
    view_->SelectRow(row);
}

QMenu* MainWindow::contextMenu() const
{
    return view_->contextMenu();
}

void MainWindow::ShowLog(int row)
{
    if (const ConversionTask* task = tasks_.Get(row); task && !task->log.empty())
        host_.ShowMessage(this, Q(task->log));
}

void MainWindow::ShowAbout()
{
    AboutDialog about(
        Q(setup_.dataFolder), [this](const QString& target) { host_.OpenExternal(target); }, this);
    about.exec();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (converting_) {
        host_.ShowMessage(
            this, Q(LookupText("WINDOW_INFO", "strCloseRefusedInfo",
                               "Please cancel the conversion process, then try to close the application again.")));
        event->ignore();
        return;
    }
    model_->RemoveAll();
    setup_.recovery.Remove();
    event->accept();
}

} // namespace reelvane
