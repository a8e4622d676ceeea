// The burner's window offscreen, as a user meets it on a machine without a drive: a bad pick
// and a burn that finds no drive are said in the window and on standard error.
#include "adapters/discora/burner_window.h"
#include "tests/platform/temp_folder.h"

#include <QComboBox>
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

QTEST_MAIN(BurnerWindowTest)
#include "burner_window_test.moc"
