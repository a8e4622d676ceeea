#pragma once
// The program's one window: the layout of the profile row, the task list, the task commands, the
// output row, the disc-size choice and the progress bar with its status text; their captions;
// and the wiring between them. The session's controls, the adding of tasks, the list's menus
// and the settings menu are their own classes. The conversion run is not here: the window asks
// for it (convertRequested, cancelRequested) and shows it (SetConverting, ShowRunStatus).

#include "platform/settings_store.h"
#include "reelvane/conversion/run_settings.h"
#include "reelvane/frame/startup_settings.h"
#include "reelvane/tasks/conversion_session.h"
#include "reelvane/tasks/session_controls.h"
#include "reelvane/tasks/settings_menu.h"
#include "reelvane/tasks/task_adder.h"
#include "reelvane/tasks/task_commands.h"
#include "reelvane/tasks/task_list.h"
#include "reelvane/tasks/task_list_store.h"
#include "reelvane/tasks/task_list_view.h"

#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QToolButton;

namespace reelvane {

class ProfileSelector;
class TaskTableModel;
class TextProgressBar;
class WindowHost;

struct WindowSetup {
    std::string programFolder; // the burner and the player
    std::string dataFolder;    // the help pages
    ProfileFolders profiles;
    platform::SettingsStore settings;
    StartupSettings startup;
    TaskListStore recovery;
};

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(WindowSetup setup, WindowHost& host, QWidget* parent = nullptr);
    ~MainWindow() override;

    // After the window is shown: offers the tasks of a start that ended without closing, adds
    // the files given, opens the Add menu and, on the first start, the product page.
    void StartUp(const QStringList& files);

    // Adds one file as a task; its row, or -1.
    int AddFile(const QString& path) { return adder_->AddFile(path); }
    // Adds tasks already made from their files (probed off the window's thread) in one batch;
    // the last row, or -1 when there are none.
    int AddNewTasks(std::vector<std::unique_ptr<ConversionTask>> tasks)
    {
        return adder_->AddNewTasks(std::move(tasks));
    }
    // Adds files as one batch: the last row is selected and the status refreshed after.
    void AddFiles(const QStringList& paths) { adder_->AddFiles(paths); }
    // Called for every new task before it joins the list (track preparation).
    void SetTrackPreparation(std::function<void(ConversionTask&)> prepare)
    {
        adder_->SetTrackPreparation(std::move(prepare));
    }

    // What a conversion run reads.
    TaskList& tasks() { return tasks_; }
    TaskTableModel* taskModel() const { return model_; }
    ConversionSession& session() { return session_; }
    bool converting() const { return commands_->converting(); }

    ProfileSelector* selector() const { return controls_->selector(); }
    TaskListView* view() const { return view_; }
    QMenu* addMenu() const { return view_->addMenu(); }
    QMenu* contextMenu() const { return view_->contextMenu(); }
    QMenu* settingsMenu() const { return settingsMenu_; }
    // "Tasks at once" and "Copy streams that already fit", as the settings menu keeps them.
    RunSettings runSettings() const { return ReadRunSettings(setup_.settings); }
    TextProgressBar* progressBar() const { return progress_; }
    // The selected rows, in order.
    QList<int> SelectedRows() const { return view_->SelectedRows(); }
    void SelectRow(int row) { view_->SelectRow(row); }

public slots:
    // The converting state: Cancel caption, other commands disabled, closing refused.
    void SetConverting(bool converting);
    // The bar and the text drawn over it while a run goes.
    void ShowRunStatus(int percent, const QString& text);
    // The disc libraries cannot be stopped: Cancel is off while they run.
    void SetCancelAllowed(bool allowed) { commands_->SetCancelAllowed(allowed); }
    void UpdateConvertControls();
    // The idle status line from the task list.
    void RefreshStatus();

signals:
    void convertRequested();
    void cancelRequested();
    void optionsRequested(int row);
    void audioTracksRequested(int row);
    void subtitleRequested(int row);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Connect();
    void ApplyTexts();
    void TasksAdded(int lastRow);
    void ShowProperties(int row);
    void ShowLog(int row);

    WindowSetup setup_;
    WindowHost& host_;
    TaskList tasks_;
    TaskTableModel* model_;
    ConversionSession session_;

    QToolButton* banner_;
    QToolButton* updateButton_;
    QToolButton* settingsButton_;
    QLabel* profileLabel_;
    TaskListView* view_;
    QLabel* outputLabel_;
    TextProgressBar* progress_;
    SettingsMenu* settingsMenu_;
    SessionControls* controls_;
    TaskCommands* commands_;
    TaskAdder* adder_;
};

} // namespace reelvane
