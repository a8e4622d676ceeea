// The burner's window offscreen, as a user meets it on a machine without a drive: a bad pick
// and a burn that finds no drive are said in the window and on standard error.
#include "adapters/discora/burner_window.h"
#include "tests/platform/temp_folder.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

// Standard error goes to a file while it lives.
class CapturedErrors {
public:
    explicit CapturedErrors(const std::string& path) : path_(path)
    {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        std::FILE* file = std::fopen(path.c_str(), "w");
        ::dup2(::fileno(file), STDERR_FILENO);
        std::fclose(file);
    }
    ~CapturedErrors() { Restore(); }
    void Restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

private:
    std::string path_;
    int saved_ = -1;
};

} // namespace

class BurnerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void SaysNoDriveAndBadPicksInTheWindowAndOnStandardError();
    void SavesTheImageOfAPickedFolderWithoutReplacingAFile();
};

void BurnerWindowTest::SaysNoDriveAndBadPicksInTheWindowAndOnStandardError()
{
    TempFolder folder;
    const std::string image = folder.write("holiday.iso", std::string(32768, '\0'));
    std::filesystem::create_directories(folder.path("empty"));
    discora::BurnerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* burn = window.findChild<QPushButton*>("burnButton");
    CapturedErrors errors(folder.path("stderr.txt"));

    // Nothing picked, then a folder without files: nothing starts.
    QTest::mouseClick(burn, Qt::LeftButton);
    QVERIFY(!window.busy());
    QCOMPARE(window.message(), QString("Nothing is picked: pick an image, files or a folder first."));
    window.PickFolder(QString::fromStdString(folder.path("empty")));
    QVERIFY(window.message().startsWith("The folder "));

    // An image burns as it is: the type does not apply; no drive is found.
    window.PickImage(QString::fromStdString(image));
    QVERIFY(!window.findChild<QComboBox*>("burnType")->isEnabled());
    QSignalSpy ended(&window, &discora::BurnerWindow::burnEnded);
    QTest::mouseClick(burn, Qt::LeftButton);
    QVERIFY(window.busy());
    QVERIFY(!burn->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    QCOMPARE(ended.first().first().toInt(), 1);
    const QString noDrive = "No writable optical drive was found. The image stays at " + QString::fromStdString(image);
    QCOMPARE(window.message(), noDrive);
    QVERIFY(burn->isEnabled());
    QVERIFY(std::filesystem::exists(image));

    errors.Restore();
    const QString written = QString::fromStdString(folder.read("stderr.txt"));
    QVERIFY2(written.contains("discora: Nothing is picked"), qPrintable(written));
    QVERIFY2(written.contains("discora: The folder "), qPrintable(written));
    QVERIFY2(written.contains("discora: " + noDrive + "\n"), qPrintable(written));
}

// A folder's files as a data disc, saved instead of burned: the image holds them; a second save
// to the same name is refused and leaves the first image as it was.
void BurnerWindowTest::SavesTheImageOfAPickedFolderWithoutReplacingAFile()
{
    TempFolder folder;
    std::filesystem::create_directories(folder.path("trip/more"));
    folder.write("trip/notes.txt", "first day\n");
    folder.write("trip/route.gpx", "<gpx/>\n");
    folder.write("trip/more/left_out.txt", "sub folder\n");
    discora::BurnerWindow window;
    window.show();
    window.PickFolder(QString::fromStdString(folder.path("trip")));
    auto* type = window.findChild<QComboBox*>("burnType");
    QVERIFY(type->isEnabled());
    type->setCurrentIndex(type->findData("DATA"));
    QSignalSpy ended(&window, &discora::BurnerWindow::burnEnded);
    const QString image = QString::fromStdString(folder.path("trip.iso"));
    window.SaveImage(image);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    QCOMPARE(ended.last().first().toInt(), 0);
    QCOMPARE(window.message(), "The image is saved as " + image);
    QProcess listing;
    listing.start("xorriso", {"-indev", image, "-ls", "/"});
    QVERIFY(listing.waitForFinished(30000));
    const QString names = listing.readAllStandardOutput();
    QVERIFY2(names.contains("notes.txt") && names.contains("route.gpx") && !names.contains("more"), qPrintable(names));

    const auto size = std::filesystem::file_size(image.toStdString());
    CapturedErrors errors(folder.path("stderr.txt"));
    window.SaveImage(image);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 60000);
    QCOMPARE(ended.last().first().toInt(), 1);
    QVERIFY2(window.message().contains("exists already"), qPrintable(window.message()));
    QCOMPARE(std::filesystem::file_size(image.toStdString()), size);
}

QTEST_MAIN(BurnerWindowTest)
#include "burner_window_test.moc"
