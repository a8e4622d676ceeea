#include "reelvane/tasks/main_window.h"

#include "adapters/skivo/skivo.h"
#include "reelvane/conversion/properties_dialog.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/queued_file_adder.h"
#include "reelvane/tasks/session_controls.h"
#include "reelvane/tasks/settings_menu.h"
#include "reelvane/tasks/task_adder.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_host.h"
#include "reelvane/tasks/window_texts.h"
#include "reelvane/ui/pictures.h"
#include "reelvane/ui/text_progress_bar.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

// A tooltip is also what a screen reader says for a control without a caption.
void Caption(QWidget* widget, const QString& tooltip)
{
    widget->setToolTip(tooltip);
    widget->setAccessibleName(tooltip);
}

} // namespace

MainWindow::MainWindow(WindowSetup setup, WindowHost& host, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), host_(host), model_(new TaskTableModel(tasks_, this)),
      session_(setup_.profiles, setup_.startup.outputFolder)
{
    setObjectName("MainWindow");
    setWindowIcon(ProgramIcon());
    setWindowTitle(kProductTitle);
    BuildControls();
    Connect();
    controls_->LoadChosenProfile();
    ApplyTexts();
    UpdateConvertControls();
    RefreshStatus();
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
        button->setFocusPolicy(Qt::StrongFocus);
    }
    banner_->setFocusPolicy(Qt::StrongFocus);
    updateButton_->setIcon(UpdatePicture());
    settingsButton_->setIcon(SettingsPicture());
    settingsMenu_ = new SettingsMenu(setup_.settings, host_, setup_.programFolder, setup_.dataFolder, this);

    view_ = new TaskListView(this);
    view_->setObjectName("taskList");
    view_->SetTaskModel(model_);
    controls_ = new SessionControls(session_, *model_, *view_, setup_.settings, host_, this);
    adder_ = new TaskAdder(*model_, session_, setup_.recovery, host_, this);

    commands_ = new TaskCommands(*view_, this);
    profileLabel_ = new QLabel(this);
    profileLabel_->setBuddy(controls_->selector());
    outputLabel_ = new QLabel(this);
    outputLabel_->setBuddy(controls_->outputField());
    progress_ = new TextProgressBar(this);
    progress_->setObjectName("progressBar");

    auto* top = new QHBoxLayout;
    top->addWidget(banner_);
    top->addStretch(1);
    top->addWidget(updateButton_, 0, Qt::AlignTop);
    top->addWidget(settingsButton_, 0, Qt::AlignTop);
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(profileLabel_);
    profileRow->addWidget(controls_->selector(), 1);
    profileRow->addWidget(commands_->options());
    profileRow->addWidget(controls_->applyAllBox());
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(commands_->audio());
    buttonRow->addWidget(commands_->subtitle());
    buttonRow->addStretch(1);
    buttonRow->addWidget(commands_->add());
    buttonRow->addWidget(commands_->convert());
    buttonRow->addStretch(1);
    buttonRow->addWidget(commands_->remove());
    buttonRow->addWidget(commands_->up());
    buttonRow->addWidget(commands_->down());
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputLabel_);
    outputRow->addWidget(controls_->outputField(), 1);
    outputRow->addWidget(controls_->changeFolderButton());
    outputRow->addWidget(controls_->openFolderButton());
    outputRow->addWidget(controls_->mergeBox());
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(controls_->discSize());
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
    const QList<QWidget*> order = {banner_,
                                   updateButton_,
                                   settingsButton_,
                                   controls_->selector(),
                                   commands_->options(),
                                   controls_->applyAllBox(),
                                   view_,
                                   commands_->audio(),
                                   commands_->subtitle(),
                                   commands_->add(),
                                   commands_->convert(),
                                   commands_->remove(),
                                   commands_->up(),
                                   commands_->down(),
                                   controls_->outputField(),
                                   controls_->changeFolderButton(),
                                   controls_->openFolderButton(),
                                   controls_->mergeBox(),
                                   controls_->discSize()};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::Connect()
{
    const QString productPage = Q(ProductPage(setup_.dataFolder));
    connect(banner_, &QToolButton::clicked, this, [this, productPage] { host_.OpenExternal(productPage); });
    connect(updateButton_, &QToolButton::clicked, this, [this, productPage] { host_.OpenExternal(productPage); });
    connect(settingsButton_, &QToolButton::clicked, this,
            [this] { TaskListView::PopupBelow(settingsMenu_, settingsButton_); });
    connect(settingsMenu_, &SettingsMenu::languageChanged, this, &MainWindow::ApplyTexts);
    connect(commands_, &TaskCommands::convertRequested, this, &MainWindow::convertRequested);
    connect(commands_, &TaskCommands::cancelRequested, this, &MainWindow::cancelRequested);
    connect(commands_, &TaskCommands::optionsRequested, this, &MainWindow::optionsRequested);
    connect(commands_, &TaskCommands::audioTracksRequested, this, &MainWindow::audioTracksRequested);
    connect(commands_, &TaskCommands::subtitleRequested, this, &MainWindow::subtitleRequested);
    connect(controls_, &SessionControls::changed, this, &MainWindow::RefreshStatus);
    connect(adder_, &TaskAdder::tasksAdded, this, &MainWindow::TasksAdded);
    connect(model_, &TaskTableModel::tasksChanged, this, [this] { setup_.recovery.Save(tasks_); });

    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateConvertControls();
        controls_->FollowSelection();
    });
    connect(view_, &TaskListView::filesDropped, adder_, &TaskAdder::AddDropped);
    connect(view_, &TaskListView::addFilesRequested, adder_, &TaskAdder::ChooseFiles);
    connect(view_, &TaskListView::addFolderRequested, adder_, &TaskAdder::ChooseFolder);
    connect(adder_, &TaskAdder::folderScanned, this,
            [this](const QStringList& files) { QueuedFileAdder::For(*this).Add(files); });
    connect(view_, &TaskListView::propertiesRequested, this, &MainWindow::ShowProperties);
    connect(view_, &TaskListView::logRequested, this, &MainWindow::ShowLog);
    connect(view_, &TaskListView::listChanged, this, [this] {
        UpdateConvertControls();
        RefreshStatus();
    });
}

void MainWindow::ApplyTexts()
{
    const QString website = Main("strWebsiteTooltip", "welcome to %s website").replace("%s", kProductTitle);
    Caption(banner_, website);
    Caption(updateButton_, Main("btnUpdateTooltip", "Check for update"));
    Caption(settingsButton_, Main("btnSettingsTooltip", "System settings"));
    profileLabel_->setText(Main("strOutputProfileNameInfo", "profile:"));
    controls_->selector()->setAccessibleName(QString(profileLabel_->text()).remove('&'));
    outputLabel_->setText(Main("strOutputFolderInfo", "Default output folder:"));
    controls_->outputField()->setAccessibleName(QString(outputLabel_->text()).remove('&'));
    controls_->applyAllBox()->setText(Main("btnApplyAllInfo", "Apply to All"));
    controls_->mergeBox()->setText(Main("btnMergeFileInfo", "Merge into one file"));

    const struct {
        QPushButton* button;
        const char* key;
        const char* text;
        const char* tipKey;
        const char* tip;
    } buttons[] = {
        {commands_->options(), "btnOptionInfo", "O&ptions", "btnOptionTooltip", "Change profile option"},
        {commands_->add(), "btnAddInfo", "&New Task", "btnAddTooltip", "Add File(s)"},
        {commands_->audio(), "btnAudioTrackInfo", "Audio...", "btnAudioTrackTooltip", "Audio track settings"},
        {commands_->subtitle(), "btnSubtitleInfo", "Subtitle...", "btnSubtitleTooltip", "Subtitle settings"},
        {commands_->remove(), "btnRemoveInfo", "&Delete", "btnRemoveTooltip", "Remove files in the list"},
        {commands_->up(), "btnUpInfo", "&Up", "btnUpTooltip", "Move Up"},
        {commands_->down(), "btnDownInfo", "&Down", "btnDownTooltip", "Move Down"},
        {controls_->changeFolderButton(), "btnChangeOutputFolderInfo", "...", "btnChangeOutputFolderTooltip",
         "Change output folder"},
        {controls_->openFolderButton(), "btnOpenOutputFolderInfo", "&Open", "btnOpenOutputFolderTooltip",
         "Open output folder"},
    };
    for (const auto& b : buttons) {
        b.button->setText(Main(b.key, b.text));
        b.button->setToolTip(Main(b.tipKey, b.tip));
        b.button->setAccessibleDescription(b.button->toolTip());
    }
    controls_->changeFolderButton()->setAccessibleName(controls_->changeFolderButton()->toolTip());
    view_->setAccessibleName(Main("strList0Info", "Source"));
    view_->ApplyTexts();
    settingsMenu_->ApplyTexts();
    controls_->ApplyTexts();
    model_->RetranslateHeaders();
    UpdateConvertControls();
    RefreshStatus();
}

void MainWindow::StartUp(const QStringList& files)
{
    adder_->OfferRecovery();
    if (!files.isEmpty())
        AddFiles(files);
    QTimer::singleShot(50, this, [this] {
        if (!commands_->converting() && commands_->add()->isEnabled())
            TaskListView::PopupBelow(view_->addMenu(), commands_->add());
    });
    if (setup_.startup.firstUse == 0)
        QTimer::singleShot(50, this, [this] {
            setup_.startup.firstUse = 1;
            setup_.settings.WriteInt("firstuse", 1);
            host_.OpenExternal(Q(ProductPage(setup_.dataFolder)));
        });
}

void MainWindow::TasksAdded(int lastRow)
{
    if (lastRow >= 0)
        SelectRow(lastRow);
    UpdateConvertControls();
    RefreshStatus();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && commands_->converting()) {
        commands_->ConvertOrCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::SetConverting(bool converting)
{
    commands_->SetConverting(converting);
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

void MainWindow::UpdateConvertControls()
{
    controls_->SetLocked(commands_->converting());
    commands_->Update();
    if (tasks_.Count() == 0)
        view_->viewport()->update();
}

void MainWindow::RefreshStatus()
{
    if (commands_->converting())
        return;
    const IdleStatus status = session_.IdleStatusOf(tasks_);
    progress_->SetValue(status.barPercent);
    progress_->SetText(Q(status.text));
}

void MainWindow::ShowProperties(int row)
{
    const ConversionTask* task = tasks_.Get(row);
    if (!task)
        return;
    PropertiesDialog dialog(*task, this, runSettings().copyFitting);
    dialog.exec();
}

void MainWindow::ShowLog(int row)
{
    if (const ConversionTask* task = tasks_.Get(row); task && !task->log.empty())
        host_.ShowMessage(this, Q(task->log));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (commands_->converting()) {
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
