#include "reelvane/frame/application.h"

#include "adapters/skivo/skivo.h"
#include "adapters/vexen/vexen.h"
#include "platform/program_folder.h"
#include "platform/system_language.h"
#include "reelvane/conversion/trakkel_binding.h"
#include "reelvane/dialogs/audio_track_dialog.h"
#include "reelvane/dialogs/extract_progress_dialog.h"
#include "reelvane/dialogs/option_sheet_dialog.h"
#include "reelvane/dialogs/subtitle_dialog.h"
#include "reelvane/frame/program_info.h"
#include "reelvane/frame/qt_translations.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/run_controller.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/trim_dialog.h"
#include "reelvane/tasks/window_host.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace reelvane {

void ApplyProgramColours()
{
    QLM_InitSkin(1, 1, "lumo_skin");
    QPalette colours = QApplication::palette();
    colours.setColor(QPalette::Window, QColor(0xD9, 0xEA, 0xFF));
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7A, 0x80, 0x8A));
    QApplication::setPalette(colours);
}

void ConnectTaskDialogs(MainWindow& window, const TrakkelBinding& trakkel)
{
    window.SetTrackPreparation([&window, &trakkel](ConversionTask& task) {
        PrepareAddedTask(&window, task, trakkel, window.session().outputFolder());
    });
    // Each dialog changes its task through the model, so that the row and the recovery file follow.
    QObject::connect(&window, &MainWindow::optionsRequested, &window, [&window](int row) {
        ProfileSettings& current = window.session().currentProfile();
        const bool found = window.taskModel()->WithTask(row, [&window, &current](ConversionTask& task) {
            RunOptionSheet(&window, &task, current);
        });
        if (!found)
            RunOptionSheet(&window, nullptr, current);
        window.RefreshStatus();
    });
    QObject::connect(&window, &MainWindow::audioTracksRequested, &window, [&window](int row) {
        window.taskModel()->WithTask(row, [&window](ConversionTask& task) { RunAudioTrackDialog(&window, task); });
        window.RefreshStatus();
    });
    QObject::connect(&window, &MainWindow::subtitleRequested, &window, [&window](int row) {
        window.taskModel()->WithTask(row, [&window](ConversionTask& task) { RunSubtitleDialog(&window, task); });
    });
    QObject::connect(window.view(), &TaskListView::trimRequested, &window, [&window](int row) {
        window.taskModel()->WithTask(row, [&window](ConversionTask& task) { RunTrimDialog(&window, task); });
        window.RefreshStatus();
    });
}

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductTitle);
    QApplication::setApplicationVersion(kVersionText);
    QApplication::setDesktopFileName("reelvane");
    ApplyProgramColours();
    TrakkelBinding trakkel;
    const bool trakkelLoaded = trakkel.Load();
    VCInit();

    const std::string programFolder = platform::ProgramFolder();
    const std::string dataFolder = platform::DataFolder();
    platform::SettingsStore settings;
    WindowSetup setup{programFolder,
                      dataFolder,
                      UserProfileFolders(),
                      settings,
                      LoadStartupSettings(settings, dataFolder, Languages(), platform::SystemLanguageId()),
                      TaskListStore()};
    SwitchQtTranslations(Languages().CurrentLanguageFile());
    DesktopHost host;
    MainWindow window(std::move(setup), host);
    new RunController(window, host, programFolder);
    ConnectTaskDialogs(window, trakkel);
    window.show();
    if (!trakkelLoaded) {
        // Shown without blocking: start-up goes on and the track features report for themselves.
        auto* box =
            new QMessageBox(QMessageBox::Warning, kProductTitle, "trakkel dll load failed", QMessageBox::Ok, &window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    QStringList files;
    for (const QString& argument : QApplication::arguments().mid(1))
        files << QFileInfo(argument).absoluteFilePath();
    window.StartUp(files);
    const int status = QApplication::exec();
    VCExit();
    return status;
}

} // namespace reelvane
