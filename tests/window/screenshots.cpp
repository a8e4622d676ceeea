// Pictures of the windows for the documentation and for a look by eye: the main window with
// three tasks and their pictures, the profile pop-up on "All Profiles", the About box, the
// Properties dialog, the option sheet with its preview (also under a dark palette), the trim
// dialog, the list's State column in the middle of a run and at its end, and the burner's window
// after a burn that found no drive.
// Run by scripts/screenshots: reelvane_screenshots FOLDER SUFFIX "LANGUAGE NAME"
#include "adapters/discora/burner_window.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "reelvane/conversion/properties_dialog.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/dialogs/option_sheet_dialog.h"
#include "reelvane/dialogs/output_preview_pane.h"
#include "reelvane/frame/about_dialog.h"
#include "reelvane/frame/application.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_pictures.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/trim_dialog.h"
#include "reelvane/ui/text_progress_bar.h"
#include "scripted_host.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSlider>
#include <QTabWidget>
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
    // Each row's picture is made off the window's thread; the picture waits for them.
    QElapsedTimer waited;
    waited.start();
    auto picturesShown = [&] {
        for (int row = 0; row < window.taskModel()->rowCount(); ++row)
            if (window.view()->pictures()->Picture(row).isNull())
                return false;
        return true;
    };
    while (!picturesShown() && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Settle();
    bool ok = picturesShown() && Save(window.grab(), folder + "/main_window_" + suffix + ".png");

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

    // The anamorphic clip cropped, padded in blue and with a burnt-in subtitle, at 0.8 s.
    ConversionTask subtitled = *window.tasks().Get(1);
    subtitled.subtitlePath = testmedia::ClipPath(testmedia::Clip::SubtitleText);
    ProfileSettings edited = window.session().currentProfile();
    edited.nSourceWidth = subtitled.probed.sourceWidth;
    edited.nSourceHeight = subtitled.probed.sourceHeight;
    edited.bVideoEnableCrop = 1;
    edited.nVideoCropLeft = edited.nVideoCropRight = 32;
    edited.bVideoEnablePad = 1;
    edited.nVideoPadTop = edited.nVideoPadBottom = 24;
    edited.nVideoPadColor = 0x1F4E99;
    OptionSheetDialog sheet(edited, &window, &subtitled);
    sheet.findChild<QTabWidget*>()->setCurrentIndex(3);
    sheet.show();
    QEventLoop waiting;
    QObject::connect(sheet.preview(), &OutputPreviewPane::pictureShown, &waiting, &QEventLoop::quit);
    QTimer::singleShot(30000, &waiting, &QEventLoop::quit);
    sheet.findChild<QSlider*>("previewTime")->setValue(8);
    waiting.exec();
    ok = !sheet.preview()->picture().isNull() && ok;
    Settle();
    ok = Save(sheet.grab(), folder + "/option_sheet_" + suffix + ".png") && ok;
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2D, 0x31));
    dark.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1F, 0x22));
    dark.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3C, 0x41));
    dark.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Dark, QColor(0x10, 0x10, 0x12));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x83, 0x8A));
    sheet.setPalette(dark);
    Settle();
    ok = Save(sheet.grab(), folder + "/option_sheet_dark_" + suffix + ".png") && ok;
    sheet.hide();

    // The trim dialog on the anamorphic clip: from 0.4 s to 1.6 s, the slider at 1.2 s.
    TrimDialog trim(*window.tasks().Get(1), &window);
    trim.show();
    trim.startField()->setText("00:00:00.400");
    trim.endField()->setText("00:00:01.600");
    trim.slider()->setValue(1200);
    waited.restart();
    while (trim.shownMilliseconds() != 1200 && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    Settle();
    ok = trim.shownMilliseconds() == 1200 && Save(trim.grab(), folder + "/trim_" + suffix + ".png") && ok;
    trim.hide();

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

    // The burner's window: an image picked, and the burn told that there is no drive.
    discora::BurnerWindow burner;
    burner.show();
    burner.PickImage(QString::fromStdString(home.write("Holiday.iso", std::string(32768, '\0'))));
    QEventLoop wait;
    QObject::connect(&burner, &discora::BurnerWindow::burnEnded, &wait, &QEventLoop::quit);
    burner.Burn();
    wait.exec();
    Settle();
    ok = Save(burner.grab(), folder + "/discora_" + suffix + ".png") && ok;

    window.close();
    return ok ? 0 : 1;
}
