// The main window walked as a user walks it: offscreen, with generated clips, a private program
// folder and private settings.
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "reelvane/conversion/trakkel_binding.h"
#include "reelvane/frame/application.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_selector.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/run_controller.h"
#include "reelvane/tasks/split_size_dialog.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/ui/text_progress_bar.h"
#include "scripted_host.h"
#include "window_sandbox.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace reelvane;
using testmedia::Clip;

namespace {

QString Cell(MainWindow& window, int row, int column)
{
    return window.taskModel()->index(row, column).data().toString();
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Runs `check` on the next modal window, then closes it.
void WhenModal(std::function<void(QWidget*)> check)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        check(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->accept();
        else
            modal->close();
    });
    timer->start(20);
}

void Hover(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(row)).center());
}

int RowOf(QListWidget* list, const QString& text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

// Opens the pop-up, follows the pointer to the category and clicks the profile.
void PickProfile(MainWindow& window, const QString& category, const QString& profile)
{
    ProfilePopup* popup = window.selector()->popup();
    QTest::mouseClick(window.selector(), Qt::LeftButton);
    QTRY_VERIFY(popup->isVisible());
    const int categoryRow = RowOf(popup->categoryList(), category);
    QVERIFY(categoryRow >= 0);
    // The pointer comes from another entry, as a hand moving down the list does.
    Hover(popup->categoryList(), categoryRow == 0 ? 1 : 0);
    Hover(popup->categoryList(), categoryRow);
    QTRY_COMPARE(popup->shownCategory(), categoryRow);
    const int profileRow = RowOf(popup->profileList(), profile);
    QVERIFY(profileRow >= 0);
    QTest::mouseClick(popup->profileList()->viewport(), Qt::LeftButton, {},
                      popup->profileList()->visualItemRect(popup->profileList()->item(profileRow)).center());
    QTRY_VERIFY(!popup->isVisible());
    QTRY_COMPARE(Q(window.session().currentProfile().profileName), profile);
}

void Drop(MainWindow& window, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    // The file manager's drag enters the list first, then drops.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.view()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.view()->viewport(), &drop);
}

QPushButton* ButtonNamed(MainWindow& window, const char* name)
{
    return window.findChild<QPushButton*>(name);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void UserPath();
    void ProfilePickWithoutApplyToAll();
    void OutputFolderAndMenus();
    void MissingRememberedProfile();
    void KilledProgramIsRestored();
    void ConvertsToTheEndAndCancels();
    void DiscStepCannotBeCancelled();
    void TaskDialogsChangeTheSavedList();
    void EachRowShowsItsStateAndTheRunItsSummary();
    void BlurayRunWithoutADriveSaysWhereTheImageIs();
    void BurnerEntryOpensTheBurnersWindow();
    void SpecialAndForeignFilesAreNotRead();
};

void MainWindowTest::UserPath()
{
    Sandbox sandbox;
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.StartUp({});

    // First start: the defaults are written back, the Add menu opens and the product page once.
    platform::SettingsStore settings;
    QCOMPARE(Q(*settings.ReadString("ConvertDir")), Q(sandbox.output() + "/"));
    QCOMPARE(Q(*settings.ReadString("language")), QString("English"));
    QTRY_VERIFY(window.addMenu()->isVisible());
    window.addMenu()->hide();
    QTRY_COMPARE(host.opened, QStringList(Q(sandbox.program() + "/help/product.html")));
    QCOMPARE(settings.ReadInt("firstuse").value_or(-1), 1);
    QCOMPARE(Q(window.selector()->CurrentProfile().profileName), QString("MP4 Video"));
    QCOMPARE(window.progressBar()->text(), QString("Please Add File(s)"));
    QVERIFY(!ButtonNamed(window, "convertButton")->isEnabled());

    // Two clips through the file dialog, one dropped from a file manager (the .avi is refused).
    const QString tracks = Q(testmedia::ClipPath(Clip::MatroskaTracks));
    const QString audio = Q(testmedia::ClipPath(Clip::AudioOnly));
    const QString anamorphic = Q(testmedia::ClipPath(Clip::Anamorphic));
    host.files = {tracks, audio};
    window.addMenu()->actions().at(0)->trigger();
    // The file dialog starts in the videos folder and offers the Matroska files first, then all.
    QCOMPARE(host.fileDialogFolder, Q(sandbox.path("videos")));
    QCOMPARE(host.fileDialogFilter.split(";;"), QStringList({"MKV files (*.mkv *.mka)", "All files (*)"}));
    Drop(window, {anamorphic, Q(sandbox.path("notes.avi"))});
    QCOMPARE(window.taskModel()->rowCount(), 3);
    QCOMPARE(window.SelectedRows(), QList<int>{2});

    const QString output = Q(sandbox.output() + "/");
    const QStringList names = {"tracks", "audio_only", "anamorphic"};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(Cell(window, row, TaskTableModel::OriginalLengthColumn), QString("00:00:02"));
        QCOMPARE(Cell(window, row, TaskTableModel::TrimmedLengthColumn), QString("00:00:02"));
        QCOMPARE(Cell(window, row, TaskTableModel::DestinationColumn), names[row] + ".mp4");
        QCOMPARE(Q(window.tasks().Get(row)->destinationPath), output + names[row] + ".mp4");
    }
    // MP4: video 3.0 x 320 x 240 x 0.9765625 / 1000 = 225, two AAC tracks of 128.
    const float seconds = window.tasks().Get(0)->probed.duration;
    QCOMPARE(Cell(window, 0, TaskTableModel::EstimatedSizeColumn),
             QString::asprintf("%.2f MB", (225 + 2 * 128) * seconds * 1000 / 8388608.0));
    QVERIFY(window.progressBar()->text().startsWith("Total: 3 | Length: 00:00:0"));
    QVERIFY(window.progressBar()->text().endsWith("| No split"));
    QVERIFY(QFile::exists(Q(sandbox.recoveryFile())));

    // The pop-up follows the pointer across the categories; a click picks for every task.
    ProfilePopup* popup = window.selector()->popup();
    QTest::mouseClick(window.selector(), Qt::LeftButton);
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->size(), QSize(500, 380));
    Hover(popup->categoryList(), RowOf(popup->categoryList(), "Other Profiles"));
    QTRY_COMPARE(popup->profileList()->count(), 2);
    QCOMPARE(popup->profileList()->item(0)->text(), QString("A"));
    Hover(popup->categoryList(), RowOf(popup->categoryList(), "All Profiles"));
    int allProfiles = 0;
    for (const std::string& file : ListProfileFiles(sandbox.program() + "/ini/"))
        allProfiles += static_cast<int>(ProfileSectionNames(sandbox.program() + "/ini/" + file).size());
    QTRY_COMPARE(popup->profileList()->count(), allProfiles);
    QTest::keyClick(popup, Qt::Key_Escape);
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(Q(window.selector()->CurrentProfile().profileName), QString("MP4 Video"));

    PickProfile(window, "All Profiles", "MKV Video");
    QCOMPARE(popup->confirmedProfile(), RowOf(popup->profileList(), "MKV Video"));
    for (int row = 0; row < 3; ++row)
        QCOMPARE(Cell(window, row, TaskTableModel::DestinationColumn), names[row] + ".mkv");
    QCOMPARE(window.tasks().Get(0)->settings.nVideoDefaultBitRate, 450);
    // The pick is the user's: the shipped choice stays as it was.
    QCOMPARE(Q(platform::ini::ReadString(sandbox.path("config") + "/quillon/tvcdef.ini", "OUTPUT_DEFAULT",
                                         "outputinifile")),
             QString("mkv.ini"));
    QCOMPARE(Q(platform::ini::ReadString(sandbox.program() + "/ini/tvcdef.ini", "OUTPUT_DEFAULT", "outputinifile")),
             QString("mp4.ini"));

    // Up and down follow the rows; the ends stay where they are.
    QPushButton* up = ButtonNamed(window, "upButton");
    QPushButton* down = ButtonNamed(window, "downButton");
    QVERIFY(up->isEnabled());
    QVERIFY(!down->isEnabled());
    up->click();
    QCOMPARE(Cell(window, 1, 0), QString("anamorphic.mkv"));
    QCOMPARE(window.SelectedRows(), QList<int>{1});
    window.SelectRow(0);
    QVERIFY(!up->isEnabled());
    down->click();
    QCOMPARE(Cell(window, 0, 0), QString("anamorphic.mkv"));
    QCOMPARE(Cell(window, 1, 0), QString("tracks.mkv"));

    // Remove the selected one through the Delete drop-down.
    window.findChild<QMenu*>("removeMenu")->actions().at(0)->trigger();
    QCOMPARE(window.taskModel()->rowCount(), 2);
    QCOMPARE(Cell(window, 0, 0), QString("anamorphic.mkv"));
    QCOMPARE(Cell(window, 1, 0), QString("audio_only.mka"));

    // Properties of the clip with two audio tracks... none left with two: add it again first.
    window.AddFiles({tracks});
    const QRect rowRect = window.view()->visualRect(window.taskModel()->index(2, 0));
    bool shown = false;
    WhenModal([&](QWidget* dialog) {
        shown = true;
        QCOMPARE(dialog->findChild<QLineEdit*>("fileName")->text(), QString("tracks.mkv"));
        QCOMPARE(dialog->findChild<QLineEdit*>("length")->text(), QString("00:00:02"));
        QCOMPARE(dialog->findChild<QPlainTextEdit*>("audio")->toPlainText().count('\n'), 1);
        QVERIFY(dialog->findChild<QPlainTextEdit*>("video")->toPlainText().contains("320x240"));
        // What a run would do with each chosen stream, and why.
        const QString plan = dialog->findChild<QPlainTextEdit*>("streamPlan")->toPlainText();
        QCOMPARE(plan.count('\n'), 1);
        QVERIFY2(plan.contains("Audio 1: encode (the codec ac3 is not the profile's aac)"), qPrintable(plan));
    });
    QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {}, rowRect.center());
    QTest::mouseDClick(window.view()->viewport(), Qt::LeftButton, {}, rowRect.center());
    QVERIFY(shown);

    // Apply to All: off asks nothing; on asks, and No leaves it off and the tasks as they are.
    auto* applyAll = window.findChild<QCheckBox*>("applyAllBox");
    applyAll->click();
    QVERIFY(!window.session().applyToAll());
    QVERIFY(host.questions.isEmpty());
    window.tasks().Get(0)->settings.nVideoCustomBitRate = 777;
    host.answers = {false};
    applyAll->click();
    QVERIFY(!applyAll->isChecked());
    QVERIFY(!window.session().applyToAll());
    QCOMPARE(window.tasks().Get(0)->settings.nVideoCustomBitRate, 777);
    host.answers = {true};
    applyAll->click();
    QVERIFY(applyAll->isChecked());
    QVERIFY(window.session().applyToAll());
    QCOMPARE(window.tasks().Get(0)->settings.nVideoCustomBitRate,
             window.session().currentProfile().nVideoCustomBitRate);
    QCOMPARE(host.questions.size(), 2);

    // German from the settings menu: the open window changes at once and the choice is kept.
    QAction* german = nullptr;
    for (QAction* action : window.findChild<QMenu*>("languageMenu")->actions())
        if (action->text() == "Deutsch (German)")
            german = action;
    QVERIFY(german);
    german->trigger();
    QCOMPARE(ButtonNamed(window, "convertButton")->text(), QString("&Konvertieren"));
    QCOMPARE(window.taskModel()->headerData(0, Qt::Horizontal).toString(), QString("Quelle"));
    QVERIFY(window.progressBar()->text().startsWith("Gesamt: 3"));
    QCOMPARE(Q(*settings.ReadString("language")), QString("Deutsch (German)"));
    QVERIFY(german->isChecked());

    // While the run flag is set: Cancel once, closing refused; afterwards it closes and the
    // recovery file goes.
    QSignalSpy cancels(&window, &MainWindow::cancelRequested);
    window.SetConverting(true);
    QPushButton* convert = ButtonNamed(window, "convertButton");
    QCOMPARE(convert->text(), QString("&Abbrechen"));
    QVERIFY(!ButtonNamed(window, "addButton")->isEnabled());
    QVERIFY(!window.selector()->isEnabled());
    QVERIFY(ButtonNamed(window, "openFolderButton")->isEnabled());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(host.messages.size(), 1);
    QVERIFY(host.messages.first().startsWith("Bitte brechen Sie die Konvertierung ab"));
    convert->click();
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(cancels.count(), 1);
    QVERIFY(!convert->isEnabled());
    window.ShowRunStatus(42, "Abgeschlossen: 42%");
    QCOMPARE(window.progressBar()->value(), 42);
    window.SetConverting(false);
    QVERIFY(convert->isEnabled());
    QVERIFY(window.close());
    QVERIFY(!QFile::exists(Q(sandbox.recoveryFile())));
    QVERIFY(host.unexpected.isEmpty());
}

void MainWindowTest::ProfilePickWithoutApplyToAll()
{
    Sandbox sandbox;
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::ClipPath(Clip::MatroskaTracks)), Q(testmedia::ClipPath(Clip::Anamorphic))});
    window.findChild<QCheckBox*>("applyAllBox")->click();
    QVERIFY(!window.session().applyToAll());

    window.SelectRow(0);
    PickProfile(window, "Other Profiles", "A");
    QCOMPARE(Cell(window, 0, TaskTableModel::DestinationColumn), QString("tracks.avi"));
    QCOMPARE(Cell(window, 1, TaskTableModel::DestinationColumn), QString("anamorphic.mp4"));

    // Selecting a row shows its own profile, and the record takes that profile's file too.
    window.SelectRow(1);
    QCOMPARE(Q(window.selector()->CurrentProfile().profileName), QString("MP4 Video"));
    QCOMPARE(Q(window.session().currentProfile().iniPath), Q(sandbox.program() + "/ini/mp4.ini"));
    window.SelectRow(0);
    QCOMPARE(Q(window.selector()->CurrentProfile().fileName), QString("mine.ini"));
    QCOMPARE(Q(window.session().currentProfile().iniPath), Q(sandbox.program() + "/ini/mine.ini"));

    // With both rows selected a pick changes no task.
    window.view()->selectAll();
    QSignalSpy optionsAsked(&window, &MainWindow::optionsRequested);
    QVERIFY(ButtonNamed(window, "optionsButton")->isEnabled());
    ButtonNamed(window, "optionsButton")->click();
    QCOMPARE(optionsAsked.count(), 0); // one sheet edits one task: several rows open nothing
    PickProfile(window, "Common Video", "MKV Video");
    QCOMPARE(Cell(window, 0, TaskTableModel::DestinationColumn), QString("tracks.avi"));
    QCOMPARE(Cell(window, 1, TaskTableModel::DestinationColumn), QString("anamorphic.mp4"));

    // Merge checks Apply to All without asking and names every destination again.
    window.findChild<QCheckBox*>("mergeBox")->click();
    QVERIFY(window.session().merge());
    QVERIFY(window.session().applyToAll());
    QVERIFY(window.findChild<QCheckBox*>("applyAllBox")->isChecked());
    QCOMPARE(Cell(window, 0, TaskTableModel::DestinationColumn), QString("tracks.mkv"));
    QCOMPARE(Cell(window, 1, TaskTableModel::DestinationColumn), QString("anamorphic.mkv"));
    QVERIFY(host.questions.isEmpty());
}

void MainWindowTest::OutputFolderAndMenus()
{
    Sandbox sandbox;
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::ClipPath(Clip::MatroskaTracks))});
    QPushButton* change = ButtonNamed(window, "changeFolderButton");

    // The same folder again, even without its trailing slash, changes nothing and asks nothing.
    host.folder = Q(sandbox.output());
    change->click();
    QVERIFY(host.questions.isEmpty());
    std::filesystem::create_directories(sandbox.path("elsewhere"));
    host.folder = Q(sandbox.path("elsewhere"));
    host.answers = {true};
    change->click();
    QCOMPARE(host.questions.size(), 1);
    QCOMPARE(Q(window.session().outputFolder()), Q(sandbox.path("elsewhere") + "/"));
    QCOMPARE(Q(*platform::SettingsStore().ReadString("ConvertDir")), Q(sandbox.path("elsewhere") + "/"));
    QCOMPARE(window.findChild<QLineEdit*>("outputFolder")->text(), Q(sandbox.path("elsewhere") + "/"));
    QCOMPARE(Q(window.tasks().Get(0)->destinationPath), Q(sandbox.path("elsewhere") + "/tracks.mp4"));

    // The right-click menu: without a selection only adding; during a run tracks but no removing.
    QMenu* menu = window.contextMenu();
    auto enabled = [menu] {
        QStringList on;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isEnabled())
                on << action->text();
        return on;
    };
    window.view()->clearSelection();
    emit window.view()->customContextMenuRequested({10, 10});
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(enabled(), (QStringList{"Add file(s)...", "Add folder..."}));
    menu->hide();
    window.SelectRow(0);
    window.SetConverting(true);
    emit window.view()->customContextMenuRequested({10, 10});
    QCOMPARE(enabled(), (QStringList{"Audio track...", "Subtitle..."}));
    menu->hide();
    window.SetConverting(false);
    QSignalSpy audioAsked(&window, &MainWindow::audioTracksRequested);
    ButtonNamed(window, "audioButton")->click();
    QCOMPARE(audioAsked.count(), 1);
    QCOMPARE(audioAsked.first().first().toInt(), 0);

    // The custom split size is asked once picked and shown in the status line.
    auto* discSize = window.findChild<QComboBox*>("discSize");
    discSize->setCurrentIndex(discSize->findData("Custom"));
    WhenModal([](QWidget* dialog) { dialog->findChild<QSpinBox*>()->setValue(700); });
    emit discSize->activated(discSize->currentIndex());
    QCOMPARE(window.session().customSplitMegabytes(), int64_t(700));
    QCOMPARE(Q(window.session().splitChoice()), QString("Custom"));
    QVERIFY(window.progressBar()->text().endsWith("| Split size: 700 MB"));

    // Accelerators work with the menu closed.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QTest::keyClick(&window, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(host.opened, QStringList(Q(sandbox.program() + "/help/support.html")));
    QCOMPARE(host.started, (QStringList{Q(sandbox.program() + "/discora"), Q(sandbox.program() + "/qlm")}));

    // Emptied, a click on the list offers the Add menu.
    window.findChild<QMenu*>("removeMenu")->actions().at(1)->trigger();
    QCOMPARE(window.taskModel()->rowCount(), 0);
    QVERIFY(!ButtonNamed(window, "convertButton")->isEnabled());
    QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {}, {30, 30});
    QTRY_VERIFY(window.addMenu()->isVisible());
    window.addMenu()->hide();
    QVERIFY(!QFile::exists(Q(sandbox.recoveryFile())));
}

void MainWindowTest::MissingRememberedProfile()
{
    Sandbox sandbox;
    std::ofstream(sandbox.program() + "/ini/tvcdef.ini")
        << "[OUTPUT_DEFAULT]\noutputinifile=gone.ini\noutputprofile=Gone\n";
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    QVERIFY(window.selector()->CurrentProfile().profileName.empty());
    QCOMPARE(window.session().currentProfile().TargetType[0], '\0');
    QCOMPARE(window.session().currentProfile().nVideoBitRateLevel, 0.0f);
    QCOMPARE(Q(window.session().splitChoice()), QString("No split"));
}

void MainWindowTest::KilledProgramIsRestored()
{
    Sandbox sandbox;
    {
        platform::SettingsStore settings;
        settings.WriteInt("firstuse", 1);
        settings.WriteString("ConvertDir", sandbox.path("out") + "/");
    }
    // Clips without subtitle tracks: a subtitle track would first ask whether to extract it.
    const QStringList clips = {Q(testmedia::ClipPath(Clip::Anamorphic)), Q(testmedia::ClipPath(Clip::AudioOnly))};
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(REELVANE_PROGRAM, clips);
    QVERIFY(program.waitForStarted());
    auto savedTasks = [&] {
        QFile file(Q(sandbox.recoveryFile()));
        if (!file.open(QIODevice::ReadOnly))
            return qsizetype(0);
        return QJsonDocument::fromJson(file.readAll()).object()["tasks"].toArray().size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(savedTasks(), qsizetype(2), 30000);
    {
        // A window started beside the running one neither offers nor touches its tasks.
        ScriptedHost beside;
        MainWindow window(sandbox.Setup(), beside);
        window.StartUp({Q(testmedia::ClipPath(Clip::AudioOnly))});
        QVERIFY(beside.questions.isEmpty());
        QCOMPARE(savedTasks(), qsizetype(2));
    }
    program.kill();
    QVERIFY(program.waitForFinished());

    ScriptedHost host;
    host.answers = {true};
    MainWindow window(sandbox.Setup(), host);
    window.StartUp({});
    QCOMPARE(host.questions.size(), 1);
    QVERIFY(host.questions.first().contains("2"));
    QCOMPARE(window.taskModel()->rowCount(), 2);
    QCOMPARE(Q(window.tasks().Get(0)->sourcePath), clips[0]);
    QCOMPARE(Q(window.tasks().Get(1)->sourcePath), clips[1]);
    QCOMPARE(Q(window.tasks().Get(1)->destinationPath), Q(sandbox.path("out") + "/audio_only.mp4"));
    QCOMPARE(window.tasks().Get(1)->probed.audioTracks.size(), std::size_t(1));
}

void MainWindowTest::ConvertsToTheEndAndCancels()
{
    namespace fs = std::filesystem;
    Sandbox sandbox;
    fs::create_directories(sandbox.output());
    ScriptedHost host;
    auto convertWith = [&](const QStringList& files, bool cancel) {
        MainWindow window(sandbox.Setup(), host);
        RunController run(window, host, sandbox.program());
        QSignalSpy ended(&run, &RunController::runEnded);
        // One task at a time from the settings menu, so that the bar shows each task reach 100 %.
        auto* jobs = window.settingsMenu()->findChild<QMenu*>("jobsMenu");
        [&] { QVERIFY(jobs && jobs->actions().size() >= 2); }();
        jobs->actions()[1]->trigger();
        [&] { QCOMPARE(window.runSettings().jobs, 1); }();
        window.show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(&window)); }();
        QPushButton* convert = ButtonNamed(window, "convertButton");
        int highest = 0; // the bar's highest value while the run goes
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] { highest = std::max(highest, window.progressBar()->value()); });
        watch.start(10);
        window.AddFiles(files);
        QTest::mouseClick(convert, Qt::LeftButton);
        [&] { QVERIFY(window.converting() && !ButtonNamed(window, "addButton")->isEnabled()); }();
        if (cancel) {
            [&] { QTRY_VERIFY_WITH_TIMEOUT(window.progressBar()->text().startsWith("Completed"), 30000); }();
            QTest::mouseClick(convert, Qt::LeftButton);
            [&] { QVERIFY(!convert->isEnabled()); }();
        }
        [&] { QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000); }();
        [&] { QVERIFY(!window.converting() && convert->isEnabled()); }();
        return std::make_pair(ended.value(0), highest);
    };

    auto [done, highest] =
        convertWith({Q(testmedia::ClipPath(Clip::MatroskaTracks)), Q(testmedia::ClipPath(Clip::Anamorphic))}, false);
    QCOMPARE(done.value(0).toBool(), true);
    QCOMPARE(done.value(1).toInt(), 2);
    QCOMPARE(highest, 100);
    QVERIFY(fs::exists(sandbox.output() + "/tracks.mp4"));
    QVERIFY(fs::exists(sandbox.output() + "/anamorphic.mp4"));
    QCOMPARE(host.shown.size(), 1);

    // A long clip cancelled once its progress shows: the run ends cancelled and leaves no file.
    auto [cancelled, ignored] = convertWith({Q(testmedia::SizedClipPath(30, 640, 480))}, true);
    QCOMPARE(cancelled.value(3).toBool(), true);
    for (const auto& entry : fs::directory_iterator(sandbox.output()))
        QVERIFY2(entry.path().filename().string().find("sized") == std::string::npos, entry.path().c_str());
}

void MainWindowTest::DiscStepCannotBeCancelled()
{
    Sandbox sandbox;
    std::filesystem::create_directories(sandbox.program() + "/output");
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    RunController run(window, host, sandbox.program());
    QSignalSpy ended(&run, &RunController::runEnded);
    QSignalSpy cancels(&window, &MainWindow::cancelRequested);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::SizedClipPath(2, 320, 240))});
    PickProfile(window, "All Profiles", "PAL DVD (720x576)");
    window.tasks().Get(0)->toEnd = 0;
    window.tasks().Get(0)->trimEnd = 500000;
    QAction* german = nullptr;
    for (QAction* action : window.findChild<QMenu*>("languageMenu")->actions())
        if (action->text() == "Deutsch (German)")
            german = action;
    QVERIFY(german);

    // The burner question comes in the disc step: whatever the user does then, Cancel stays off.
    QPushButton* convert = ButtonNamed(window, "convertButton");
    QStringList enabledWhileAsked;
    bool convertingWhenAsked = false;
    host.onQuestion = [&](const QString&) {
        convertingWhenAsked = window.converting();
        enabledWhileAsked << QString::number(convert->isEnabled());
        QTest::mouseClick(window.view()->viewport(), Qt::LeftButton, {},
                          window.view()->visualRect(window.taskModel()->index(0, 0)).center());
        enabledWhileAsked << QString::number(convert->isEnabled());
        german->trigger();
        enabledWhileAsked << QString::number(convert->isEnabled());
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::mouseClick(convert, Qt::LeftButton);
    };
    host.answers = {false};
    QTest::mouseClick(convert, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    QCOMPARE(host.questions.size(), 1);
    QVERIFY(convertingWhenAsked);
    QCOMPARE(enabledWhileAsked, (QStringList{"0", "0", "0"}));
    QCOMPARE(cancels.count(), 0);
    QCOMPARE(ended.first().value(0).toBool(), true);
    QCOMPARE(ended.first().value(3).toBool(), false);
    QVERIFY(host.unexpected.isEmpty());
}

void MainWindowTest::TaskDialogsChangeTheSavedList()
{
    Sandbox sandbox;
    ScriptedHost host;
    TrakkelBinding trakkel; // not loaded: no track is extracted on adding
    MainWindow window(sandbox.Setup(), host);
    ConnectTaskDialogs(window, trakkel);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::ClipPath(Clip::Anamorphic))});
    const std::string subtitle = sandbox.path("line.srt");
    std::ofstream(subtitle) << "1\n00:00:00,000 --> 00:00:01,000\nHi\n";
    window.tasks().Get(0)->subtitleCandidates = {subtitle};
    auto savedSubtitle = [&] {
        QFile file(Q(sandbox.recoveryFile()));
        if (!file.open(QIODevice::ReadOnly))
            return QString("(no file)");
        const QJsonObject task = QJsonDocument::fromJson(file.readAll()).object()["tasks"].toArray().at(0).toObject();
        return task["subtitlePath"].toString();
    };
    QCOMPARE(savedSubtitle(), QString());

    WhenModal([](QWidget* dialog) { dialog->findChild<QListWidget*>("candidates")->setCurrentRow(0); });
    ButtonNamed(window, "subtitleButton")->click();
    QCOMPARE(Q(window.tasks().Get(0)->subtitlePath), Q(subtitle));
    QCOMPARE(savedSubtitle(), Q(subtitle));
}

void MainWindowTest::EachRowShowsItsStateAndTheRunItsSummary()
{
    Sandbox sandbox;
    // One task at a time, so that each row's turn follows the one before it.
    WriteRunSettings(platform::SettingsStore(), {1, false});
    std::filesystem::create_directories(sandbox.program() + "/output");
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    RunController run(window, host, sandbox.program());
    QSignalSpy ended(&run, &RunController::runEnded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::ClipPath(Clip::Anamorphic)), Q(testmedia::ClipPath(Clip::NotMedia)),
                     Q(testmedia::ClipPath(Clip::MatroskaTracks))});
    TaskTableModel* model = window.taskModel();
    auto state = [model](int row) {
        return model->index(row, TaskTableModel::StateColumn).data(TaskTableModel::RawRole).value<TaskState>();
    };
    QCOMPARE(state(0), TaskState::NotStarted);
    QCOMPARE(Cell(window, 0, TaskTableModel::StateColumn), QString());

    // Every change of a row's state, with the states of all rows at that moment.
    QStringList seen[3];
    for (int row = 0; row < 3; ++row)
        seen[row] << QString::number(static_cast<int>(state(row)));
    QStringList whileSecondConverted;
    QObject::connect(model, &QAbstractItemModel::dataChanged, [&] {
        for (int row = 0; row < 3; ++row) {
            const QString text = QString::number(static_cast<int>(state(row)));
            if (seen[row].isEmpty() || seen[row].last() != text)
                seen[row] << text;
        }
        if (state(1) == TaskState::Converting && whileSecondConverted.isEmpty())
            whileSecondConverted << QString::number(static_cast<int>(state(0)))
                                 << QString::number(static_cast<int>(state(2)));
    });
    QTest::mouseClick(ButtonNamed(window, "convertButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);

    auto states = [](std::initializer_list<TaskState> list) {
        QStringList texts;
        for (TaskState s : list)
            texts << QString::number(static_cast<int>(s));
        return texts;
    };
    using enum TaskState;
    QCOMPARE(seen[0], states({NotStarted, Waiting, Converting, Finished}));
    QCOMPARE(seen[1], states({NotStarted, Waiting, Converting, Failed}));
    QCOMPARE(seen[2], states({NotStarted, Waiting, Converting, Finished}));
    QCOMPARE(whileSecondConverted, states({Finished, Waiting}));
    QCOMPARE(Cell(window, 0, TaskTableModel::StateColumn), QString("Finished"));
    QCOMPARE(Cell(window, 1, TaskTableModel::StateColumn), QString("Failed"));

    // The failure was shown as it happened and is kept in the row's log, shown from its menu.
    QCOMPARE(host.messages.size(), 1);
    QVERIFY(host.messages.first().contains("failed"));
    QVERIFY(Q(window.tasks().Get(1)->log).contains(host.messages.first()));
    window.SelectRow(1);
    emit window.view()->customContextMenuRequested({10, 10});
    QAction* showLog = window.contextMenu()->actions().last();
    QVERIFY(showLog->isEnabled());
    showLog->trigger();
    window.contextMenu()->hide();
    QCOMPARE(host.messages.size(), 2);
    QCOMPARE(host.messages.last(), Q(window.tasks().Get(1)->log));

    QCOMPARE(window.progressBar()->text(), QString("2 finished, 1 failed"));
    QCOMPARE(ended.first().value(1).toInt(), 2);
    QCOMPARE(ended.first().value(2).toInt(), 1);
    // Only the failed task is left to recover after a crash.
    QFile saved(Q(sandbox.recoveryFile()));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QJsonArray tasks = QJsonDocument::fromJson(saved.readAll()).object()["tasks"].toArray();
    QCOMPARE(tasks.size(), qsizetype(1));
    QVERIFY(host.unexpected.isEmpty());
}

void MainWindowTest::BlurayRunWithoutADriveSaysWhereTheImageIs()
{
    namespace fs = std::filesystem;
    Sandbox sandbox;
    const QString profile = "Blu-ray H.264 (1080p, 23.976 fps)";
    platform::ini::WriteString(sandbox.program() + "/ini/blu-ray_h264.ini", profile.toStdString(), "Para",
                               "-f mpegts -preset ultrafast -profile:v high -level:v 4.1 -pix_fmt yuv420p -g 24 "
                               "-bf 2 -fs 0");
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    const std::string out = window.session().outputFolder();
    fs::create_directories(out);
    // The built program's folder: the disc libraries and the burner, which finds no drive here.
    RunController run(window, host, QFileInfo(REELVANE_PROGRAM).absolutePath().toStdString());
    QSignalSpy ended(&run, &RunController::runEnded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.AddFiles({Q(testmedia::SizedClipPath(2, 320, 240))});
    PickProfile(window, "All Profiles", profile);
    window.tasks().Get(0)->toEnd = 0;
    window.tasks().Get(0)->trimEnd = 1000000;

    QString statusWhenAsked;
    host.onQuestion = [&](const QString&) { statusWhenAsked = window.progressBar()->text(); };
    host.answers = {true};
    QTest::mouseClick(ButtonNamed(window, "convertButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 90000);

    const QString image = Q(out + "sized_2s_320x240.iso");
    QVERIFY(QFile::exists(image));
    QCOMPARE(statusWhenAsked, "Image written: " + image);
    QCOMPARE(host.questions.size(), 1);
    QVERIFY(host.questions.first().startsWith("The Discora will automatically start"));
    QVERIFY(host.questions.first().endsWith("\n" + image));
    QCOMPARE(host.messages.size(), 1);
    QVERIFY2(host.messages.first().contains("No writable optical drive was found"), qPrintable(host.messages.first()));
    QVERIFY(host.messages.first().endsWith("\n" + image));
    // Only the burner's own words: the drive scan's chatter stays out of the message.
    QVERIFY2(!host.messages.first().contains("xorriso"), qPrintable(host.messages.first()));
    QCOMPARE(ended.first().value(0).toBool(), false); // the disc step did not end on a disc
    QVERIFY(host.unexpected.isEmpty());
}

// Ctrl+B starts the built burner as the menu starts it, without parameters: it opens its window
// and stays, instead of refusing its command line.
void MainWindowTest::BurnerEntryOpensTheBurnersWindow()
{
    Sandbox sandbox;
    ScriptedHost host;
    WindowSetup setup = sandbox.Setup();
    setup.programFolder = QFileInfo(REELVANE_PROGRAM).absolutePath().toStdString();
    MainWindow window(std::move(setup), host);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(host.started, QStringList(QFileInfo(REELVANE_PROGRAM).absolutePath() + "/discora"));

    QProcess burner;
    burner.setProcessChannelMode(QProcess::MergedChannels);
    burner.start(host.started.first(), {});
    QVERIFY(burner.waitForStarted());
    QVERIFY2(!burner.waitForFinished(3000), burner.readAll().constData());
    burner.kill();
    burner.waitForFinished();
}

// A pipe or a device in the recovery file's place, or a recovery file another user could have
// written, is neither waited on nor offered; a restored list is written back once; a pipe given
// as a source is refused before any program reads it.
void MainWindowTest::SpecialAndForeignFilesAreNotRead()
{
    namespace fs = std::filesystem;
    Sandbox sandbox;
    platform::SettingsStore().WriteInt("firstuse", 1);
    const std::string recovery = sandbox.recoveryFile();
    fs::create_directories(fs::path(recovery).parent_path());
    const std::string clip = testmedia::ClipPath(Clip::AudioOnly);
    std::string saved = "{\"version\": 1, \"tasks\": [";
    for (int i = 0; i < 5; ++i)
        saved += std::string(i ? "," : "") + "{\"source\": \"" + clip + "\"}";
    saved += "]}";
    auto offered = [&](bool answer) {
        ScriptedHost host;
        host.answers = {answer};
        MainWindow window(sandbox.Setup(), host);
        window.StartUp({});
        return host.questions.size();
    };

    QCOMPARE(::mkfifo(recovery.c_str(), 0600), 0);
    QCOMPARE(offered(false), qsizetype(0));
    QVERIFY(fs::is_fifo(recovery));
    fs::remove(recovery);
    fs::create_symlink("/dev/zero", recovery);
    QCOMPARE(offered(false), qsizetype(0));
    fs::remove(recovery);

    std::ofstream(recovery) << saved;
    QCOMPARE(::chown(recovery.c_str(), 4242, 4242), 0);
    QCOMPARE(offered(false), qsizetype(0));
    std::ofstream(recovery) << saved;
    QCOMPARE(::chmod(recovery.c_str(), 0666), 0);
    QCOMPARE(offered(false), qsizetype(0));

    // Larger than any real list: not read, though well formed (blanks may follow the JSON).
    std::ofstream(recovery) << saved << std::string(64 << 20, ' ');
    QCOMPARE(offered(false), qsizetype(0));

    std::ofstream(recovery) << saved;
    QCOMPARE(::chmod(recovery.c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(::inotify_add_watch(watch, fs::path(recovery).parent_path().c_str(), IN_MOVED_TO) >= 0);
    {
        ScriptedHost host;
        host.answers = {true};
        MainWindow window(sandbox.Setup(), host);
        window.StartUp({});
        QCOMPARE(window.taskModel()->rowCount(), 5);

        int writes = 0;
        alignas(inotify_event) char events[4096];
        for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
            for (ssize_t at = 0; at < n;) {
                auto* event = reinterpret_cast<inotify_event*>(events + at);
                writes += event->len > 0 && std::string(event->name) == "tasks.json";
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        ::close(watch);
        QCOMPARE(writes, 1);

        const std::string pipe = sandbox.path("x.mkv");
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);
        window.AddFiles({Q(pipe)});
        QCOMPARE(window.taskModel()->rowCount(), 5);
        QVERIFY(!host.messages.isEmpty());
        QVERIFY2(host.messages.last().contains("FIFO"), qPrintable(host.messages.last()));
    }
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
