// Looking before converting: each row's picture, a folder added while the window keeps
// answering, and a trim set by eye that the run, the list and the recovery file follow.
#include "reelvane/conversion/trakkel_binding.h"
#include "reelvane/frame/application.h"
#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/queued_file_adder.h"
#include "reelvane/tasks/run_controller.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/task_pictures.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/trim_dialog.h"
#include "reelvane/ui/pictures.h"
#include "scripted_host.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "window_sandbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <set>

using namespace reelvane;
using testmedia::Clip;

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QImage Shown(const QIcon& icon)
{
    return icon.pixmap(TaskPictures::kShownSize).toImage();
}

// More than a handful of colours: a decoded picture, not an empty or flat one.
bool HasContent(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size() > 8;
}

bool AllPicturesArrived(MainWindow& window)
{
    for (int row = 0; row < window.taskModel()->rowCount(); ++row)
        if (window.view()->pictures()->Picture(row).isNull())
            return false;
    return true;
}

// Accepts the next message box and gives its text.
QString NextMessage(const std::function<void()>& ask)
{
    QString text;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    timer.start(20);
    ask();
    return text;
}

QAction* MenuAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TaskPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void EveryRowGetsItsOwnPicture();
    void FolderOfClipsKeepsTheWindowAnswering();
    void TrimSetByEyeIsConvertedAndKept();
};

void TaskPreviewTest::EveryRowGetsItsOwnPicture()
{
    Sandbox sandbox;
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage sound = Shown(AudioPicture());

    // The first task goes before its picture arrives: its picture must not land on the next row.
    window.AddFiles({Q(testmedia::ClipPath(Clip::Standard4x3)), Q(testmedia::ClipPath(Clip::AudioOnly))});
    window.taskModel()->RemoveTask(0);
    window.AddFiles({Q(testmedia::ClipPath(Clip::Anamorphic)), Q(testmedia::ClipPath(Clip::PhonePortrait))});
    QCOMPARE(window.taskModel()->rowCount(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(AllPicturesArrived(window), 20000);
    TaskPictures& pictures = *window.view()->pictures();
    QCOMPARE(Shown(pictures.Picture(0)), sound);
    for (int row : {1, 2}) {
        const QImage frame = Shown(pictures.Picture(row));
        QVERIFY2(HasContent(frame), qPrintable(QString::number(row)));
        QVERIFY(frame != sound);
    }
    // Each in its displayed shape: the wide clip fills the width, the upright one the height.
    const QSize wide = pictures.Picture(1).availableSizes().value(0);
    const QSize upright = pictures.Picture(2).availableSizes().value(0);
    QVERIFY2(
        wide.width() > wide.height() && upright.height() > upright.width(),
        qPrintable(
            QString("%1x%2 %3x%4").arg(wide.width()).arg(wide.height()).arg(upright.width()).arg(upright.height())));
    // The cell shows it before the name.
    QStyleOptionViewItem option;
    option.initFrom(window.view());
    QVERIFY(window.view()
                ->itemDelegateForColumn(TaskTableModel::SourceColumn)
                ->sizeHint(option, window.taskModel()->index(1, TaskTableModel::SourceColumn))
                .height() >= TaskPictures::kShownSize.height());
}

void TaskPreviewTest::FolderOfClipsKeepsTheWindowAnswering()
{
    Sandbox sandbox;
    namespace fs = std::filesystem;
    const std::string folder = sandbox.path("fifty");
    fs::create_directories(folder);
    const std::string clip = testmedia::SizedClipPath(1, 160, 120);
    for (int i = 0; i < 50; ++i)
        fs::copy_file(clip, folder + "/clip " + std::to_string(100 + i) + ".mkv");
    ScriptedHost host;
    MainWindow window(sandbox.Setup(), host);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    QSignalSpy done(&QueuedFileAdder::For(window), &QueuedFileAdder::finished);
    host.folder = Q(folder);
    host.answers = {false}; // no sub-folders
    clock.start();
    beat.start(20);
    QAction* addFolder = window.addMenu()->actions().value(1);
    QVERIFY(addFolder);
    addFolder->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(AllPicturesArrived(window), 60000);
    beat.stop();
    QCOMPARE(window.taskModel()->rowCount(), 50);
    qInfo("longest pause of the window while adding 50 files: %lld ms", longest);
    QVERIFY2(longest <= 200, qPrintable(QString("the window did not answer for %1 ms").arg(longest)));
    QCOMPARE(window.SelectedRows(), QList<int>{49});
}

void TaskPreviewTest::TrimSetByEyeIsConvertedAndKept()
{
    Sandbox sandbox;
    namespace fs = std::filesystem;
    fs::create_directories(sandbox.output());
    ScriptedHost host;
    TrakkelBinding trakkel; // not loaded: nothing is extracted on adding
    MainWindow window(sandbox.Setup(), host);
    ConnectTaskDialogs(window, trakkel);
    RunController run(window, host, sandbox.program());
    QSignalSpy ended(&run, &RunController::runEnded);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const std::string clip = testmedia::SizedClipPath(6, 320, 240);
    window.AddFiles({Q(clip)});
    const double wholeSize =
        window.taskModel()->index(0, TaskTableModel::EstimatedSizeColumn).data(TaskTableModel::RawRole).toDouble();

    QStringList refusals;
    bool walked = false;
    auto walk = [&] {
        QTRY_VERIFY(qobject_cast<TrimDialog*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<TrimDialog*>(QApplication::activeModalWidget());
        QTRY_COMPARE(dialog->shownMilliseconds(), 0);
        const QImage first = dialog->shownFrame();
        QVERIFY(HasContent(first));
        // The preview follows the slider to the frame the engine starts at.
        dialog->slider()->setValue(2000);
        QTRY_COMPARE(dialog->shownMilliseconds(), 2000);
        const QImage atTwo = dialog->shownFrame().convertToFormat(QImage::Format_RGB888);
        testmedia::Picture grabbed = testmedia::GrabFrame(clip, 2.0);
        QImage reference =
            QImage(grabbed.rgb.data(), grabbed.width, grabbed.height, grabbed.width * 3, QImage::Format_RGB888)
                .scaled(atTwo.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        testmedia::Picture a{atTwo.width(),
                             atTwo.height(),
                             {atTwo.constBits(), atTwo.constBits() + atTwo.sizeInBytes()}};
        testmedia::Picture b{reference.width(),
                             reference.height(),
                             {reference.constBits(), reference.constBits() + reference.sizeInBytes()}};
        QVERIFY2(testmedia::MeanDifference(a, b) < 6, qPrintable(QString::number(testmedia::MeanDifference(a, b))));
        QVERIFY(first != dialog->shownFrame());
        dialog->setStartButton()->click();
        dialog->slider()->setValue(5000);
        dialog->setEndButton()->click();
        QCOMPARE(dialog->startField()->text(), QString("00:00:02.000"));
        QCOMPARE(dialog->endField()->text(), QString("00:00:05.000"));

        // Ends that cannot be are refused, naming the field; the dialog stays open.
        for (const char* end : {"00:00:01.500", "00:00:09", "1:2:3:4"}) {
            dialog->endField()->setText(end);
            refusals << NextMessage([dialog] { dialog->accept(); });
            QVERIFY(dialog->isVisible());
        }
        dialog->endField()->setText("5");
        dialog->accept();
        walked = true;
    };
    QTimer::singleShot(0, [&] {
        walk();
        // A failed step leaves the dialog open: close it so that the failure is reported.
        if (auto* dialog = qobject_cast<TrimDialog*>(QApplication::activeModalWidget()); dialog && !walked)
            dialog->reject();
    });
    window.view()->SelectRow(0);
    QAction* trim = MenuAction(window.contextMenu(), "Trim...");
    QVERIFY(trim);
    trim->trigger();
    QVERIFY(walked);
    const QString length = Q(FormatTrimTime(SourceLength(*window.tasks().Get(0))));
    QVERIFY(length.startsWith("00:00:06."));
    QCOMPARE(refusals,
             (QStringList{"End: the end must come after the start.", "End: the source is only " + length + " long.",
                          "End: type a time as hh:mm:ss.mmm, such as 00:01:30.500."}));

    // As the builder reads it, and as the list and the estimate show it.
    const ConversionTask& task = *window.tasks().Get(0);
    const int64_t fileStart = task.probed.mediaInfo.startTime;
    QCOMPARE(task.fromStart, 0);
    QCOMPARE(task.trimStart, fileStart + 2'000'000);
    QCOMPARE(task.toEnd, 0);
    QCOMPARE(task.trimEnd, fileStart + 5'000'000);
    QCOMPARE(window.taskModel()->index(0, TaskTableModel::TrimmedLengthColumn).data().toString(), QString("00:00:03"));
    QCOMPARE(window.taskModel()->index(0, TaskTableModel::OriginalLengthColumn).data().toString(), QString("00:00:06"));
    const double trimmedSize =
        window.taskModel()->index(0, TaskTableModel::EstimatedSizeColumn).data(TaskTableModel::RawRole).toDouble();
    QVERIFY(qAbs(trimmedSize / wholeSize - 0.5) < 0.02);

    // The recovery file keeps the trim.
    std::vector<std::unique_ptr<ConversionTask>> restored = TaskListStore(sandbox.recoveryFile()).Load();
    QCOMPARE(restored.size(), std::size_t{1});
    QCOMPARE(TaskTrim(*restored[0]).start, 2'000'000);
    QCOMPARE(TaskTrim(*restored[0]).end, 5'000'000);

    QTest::mouseClick(window.findChild<QPushButton*>("convertButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    const std::string output = window.tasks().Get(0)->destinationPath;
    auto facts = testmedia::ProbeFile(output);
    QVERIFY2(facts, output.c_str());
    QVERIFY2(qAbs(facts->duration - 3.0) <= 0.1, qPrintable(QString::number(facts->duration)));
    const double similarity = testmedia::FirstFrameSimilarity(output, clip, 2.0);
    QVERIFY2(similarity >= 0.9, qPrintable(QString::number(similarity)));
}

QTEST_MAIN(TaskPreviewTest)
#include "task_preview_test.moc"
