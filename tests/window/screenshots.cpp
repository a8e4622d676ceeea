// Pictures of the windows for the documentation and for a look by eye: the main window with
// three tasks, the profile pop-up on "All Profiles", the About box, the Properties and subtitle
// dialogs, and the list's State column in the middle of a run and at its end.
// Run by scripts/screenshots: reelvane_screenshots FOLDER SUFFIX "LANGUAGE NAME"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "reelvane/conversion/properties_dialog.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/dialogs/subtitle_dialog.h"
#include "reelvane/frame/about_dialog.h"
#include "reelvane/frame/application.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/ui/text_progress_bar.h"
#include "scripted_host.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <filesystem>

using namespace reelvane;

namespace {

void Settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

bool Save(const QPixmap& picture, const QString& path)
{
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: reelvane_screenshots FOLDER SUFFIX LANGUAGE\n");
        return 2;
    }
    TempFolder home;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.path("config")));
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(home.path("state")));
    QApplication app(argc, argv);
    ApplyProgramColours();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString suffix = QString::fromLocal8Bit(argv[2]);
    std::filesystem::create_directories(folder.toStdString());

    platform::SettingsStore settings;
    settings.WriteInt("firstuse", 1);
    settings.WriteString("language", argv[3]);
    settings.WriteString("ConvertDir", home.path("Videos/Reelvane/"));
    const std::string program = platform::ProgramFolder();
    WindowSetup setup{program,
                      program,
                      {program + "/ini/", home.path("data/quillon/ini/"), home.path("config/quillon/")},
                      settings,
                      LoadStartupSettings(settings, program, Languages(), 9 | (1 << 10)),
                      TaskListStore()};
    ScriptedHost host;
    MainWindow window(std::move(setup), host);
    window.resize(780, 540);
    window.show();
    window.AddFiles({QString::fromStdString(testmedia::ClipPath(testmedia::Clip::MatroskaTracks)),
                     QString::fromStdString(testmedia::ClipPath(testmedia::Clip::Anamorphic)),
                     QString::fromStdString(testmedia::ClipPath(testmedia::Clip::AudioOnly))});
    window.SelectRow(1);
    Settle();
    bool ok = Save(window.grab(), folder + "/main_window_" + suffix + ".png");

    // The pop-up on "All Profiles", drawn where it opens below the field.
    ProfilePopup* popup = window.selector()->popup();
    window.selector()->TogglePopup();
    QListWidget* categories = popup->categoryList();
    categories->setCurrentRow(categories->count() - 1);
    emit categories->itemClicked(categories->item(categories->count() - 1));
    Settle();
    const QPoint at = window.selector()->mapTo(&window, QPoint(0, window.selector()->height() + 1));
    QPixmap both(std::max(window.width(), at.x() + popup->width()),
                 std::max(window.height(), at.y() + popup->height()));
    both.fill(Qt::transparent);
    {
        QPainter painter(&both);
        painter.drawPixmap(0, 0, window.grab());
        painter.drawPixmap(at, popup->grab());
    }
    ok = Save(both, folder + "/profile_popup_" + suffix + ".png") && ok;
    popup->hide();

    AboutDialog about(
        QString::fromStdString(program), [](const QString&) {}, &window);
    about.show();
    Settle();
    ok = Save(about.grab(), folder + "/about_" + suffix + ".png") && ok;
    about.hide();

    PropertiesDialog properties(*window.tasks().Get(0), &window);
    properties.show();
    Settle();
    ok = Save(properties.grab(), folder + "/properties_" + suffix + ".png") && ok;
    properties.hide();

    SubtitleDialog subtitles(*window.tasks().Get(0), &window);
    subtitles.show();
    Settle();
    ok = Save(subtitles.grab(), folder + "/subtitle_" + suffix + ".png") && ok;
    subtitles.hide();

    // The rows as a run reports them: the first finished, the second at 42 %, the third waiting;
    // then the end, with the third failed, and the summary in the status line.
    TaskTableModel* model = window.taskModel();
    const std::string output = window.tasks().Get(0)->destinationPath;
    window.SetConverting(true);
    model->StartRun();
    model->ShowTaskStarted(0);
    model->ShowTaskFinished(0, TaskState::Finished, output, {});
    model->ShowTaskStarted(1);
    model->ShowTaskProgress(1, 42);
    window.ShowRunStatus(42, QString::fromStdString(
                                 ProgressLine(42, 3000, DestinationTail(window.tasks().Get(1)->destinationPath))));
    Settle();
    ok = Save(window.grab(), folder + "/run_states_" + suffix + ".png") && ok;
    model->ShowTaskFinished(1, TaskState::Finished, window.tasks().Get(1)->destinationPath, {});
    model->ShowTaskStarted(2);
    model->ShowTaskFinished(2, TaskState::Failed, {}, "The conversion failed.");
    model->EndRun();
    window.SetConverting(false);
    window.ShowRunStatus(100, QString::fromStdString(RunSummaryText(2, 1)));
    Settle();
    ok = Save(window.grab(), folder + "/run_summary_" + suffix + ".png") && ok;

    window.close();
    return ok ? 0 : 1;
}
