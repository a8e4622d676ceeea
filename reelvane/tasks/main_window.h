#pragma once
// The program's one window: the profile selector, the task list, the task commands, the output
// folder, the disc-size choice and the progress bar with its status text. The conversion run
// is not here: the window asks for it (convertRequested, cancelRequested) and shows it
// (SetConverting, ShowRunStatus).

#include "platform/settings_store.h"
#include "reelvane/conversion/run_settings.h"
#include "reelvane/frame/startup_settings.h"
#include "reelvane/tasks/conversion_session.h"
#include "reelvane/tasks/task_list.h"
#include "reelvane/tasks/task_list_store.h"

#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace reelvane {

class ProfileSelector;
class SplitSizeDialog;
class TaskListView;
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
    int AddFile(const QString& path);
    // Adds tasks already made from their files (probed off the window's thread) in one batch;
    // the last row, or -1 when there are none.
    int AddNewTasks(std::vector<std::unique_ptr<ConversionTask>> tasks);
    // Adds files as one batch: the last row is selected and the status refreshed after.
    void AddFiles(const QStringList& paths);
    // Called for every new task before it joins the list (track preparation).
    void SetTrackPreparation(std::function<void(ConversionTask&)> prepare) { prepareTracks_ = std::move(prepare); }

    // What a conversion run reads.
    TaskList& tasks() { return tasks_; }
    TaskTableModel* taskModel() const { return model_; }
    ConversionSession& session() { return session_; }
    bool converting() const { return converting_; }

    ProfileSelector* selector() const { return selector_; }
    TaskListView* view() const { return view_; }
    QMenu* addMenu() const { return addMenu_; }
    QMenu* contextMenu() const;
    QMenu* settingsMenu() const { return settingsMenu_; }
    // "Tasks at once" and "Copy streams that already fit", as the settings menu keeps them.
    RunSettings runSettings() const { return ReadRunSettings(setup_.settings); }
    TextProgressBar* progressBar() const { return progress_; }
    // The selected rows, in order.
    QList<int> SelectedRows() const;
    void SelectRow(int row);

public slots:
    // The converting state: Cancel caption, other commands disabled, closing refused.
    void SetConverting(bool converting);
    // The bar and the text drawn over it while a run goes.
    void ShowRunStatus(int percent, const QString& text);
    // The disc libraries cannot be stopped: Cancel is off while they run.
    void SetCancelAllowed(bool allowed);
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
    void BuildMenus();
    void ApplyTexts();
    void BuildLanguageMenu();
    void BuildRunMenu();
    void LoadChosenProfileAtStart();
    void FillSplitChoices();
    void OfferRecovery();

    void AddFilesCommand();
    void AddFolderCommand();
    void DropFiles(const QStringList& paths);
    void ApplyAllToggled(bool checked);
    void MergeToggled(bool checked);
    void ProfilePicked(int index);
    void SelectionChanged();
    void ConvertClicked();
    void ChangeOutputFolder();
    void ShowProperties(int row);
    void ShowAbout();
    void ShowLog(int row);
    void SplitChoiceActivated();
    void ApplyCurrentToAll(bool renameDestinations);
    void OptionsCommand();

    WindowSetup setup_;
    WindowHost& host_;
    TaskList tasks_;
    TaskTableModel* model_;
    ConversionSession session_;
    bool converting_ = false;
    bool cancelAsked_ = false;
    bool cancelAllowed_ = true; // false while the disc libraries run
    QString rememberedFolder_;
    std::function<void(ConversionTask&)> prepareTracks_;

    QToolButton* banner_;
    QToolButton* updateButton_;
    QToolButton* settingsButton_;
    QLabel* profileLabel_;
    ProfileSelector* selector_;
    QPushButton* optionsButton_;
    QCheckBox* applyAllBox_;
    TaskListView* view_;
    QPushButton* audioButton_;
    QPushButton* subtitleButton_;
    QPushButton* addButton_;
    QPushButton* convertButton_;
    QPushButton* removeButton_;
    QPushButton* upButton_;
    QPushButton* downButton_;
    QLabel* outputLabel_;
    QLineEdit* outputField_;
    QPushButton* changeFolderButton_;
    QPushButton* openFolderButton_;
    QCheckBox* mergeBox_;
    QComboBox* discSize_;
    TextProgressBar* progress_;
    SplitSizeDialog* splitDialog_;

    QMenu* addMenu_;
    QMenu* removeMenu_;
    QMenu* settingsMenu_;
    QMenu* languageMenu_;
    QMenu* jobsMenu_;
    QAction* automaticJobsAction_;
    QAction* copyFittingAction_;
    QAction* addFilesAction_;
    QAction* addFolderAction_;
    QAction* removeSelectedAction_;
    QAction* removeAllAction_;
    QAction* helpAction_;
    QAction* discoraAction_;
    QAction* playerAction_;
    QAction* aboutAction_;
    QAction* exitAction_;
};

} // namespace reelvane
