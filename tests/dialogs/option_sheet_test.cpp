// The option sheet as a user drives it: each page changes the task's engine vector, refused
// values keep it open, the preview shows the output, and the save choices write the profile file.
#include "modal_script.h"
#include "platform/ini_file.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/dialogs/new_profile_dialog.h"
#include "reelvane/dialogs/option_sheet_dialog.h"
#include "reelvane/dialogs/output_preview_pane.h"
#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_rules.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace reelvane;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string After(const std::vector<std::string>& words, const std::string& option)
{
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == option)
            return words[i + 1];
    return "(none)";
}

template <typename T>
T* Find(QWidget* sheet, const char* name)
{
    T* found = sheet->findChild<T*>(name);
    if (!found)
        qFatal("no control %s", name ? name : "(unnamed)");
    return found;
}

void Click(QWidget* sheet, const char* name)
{
    Find<QAbstractButton>(sheet, name)->click();
}

void Type(QWidget* sheet, const char* name, const QString& text)
{
    Find<QLineEdit>(sheet, name)->setText(text);
}

bool IsColour(QRgb pixel, QRgb colour)
{
    constexpr int kNear = 16; // the picture went through 4:2:0 and back
    return std::abs(qRed(pixel) - qRed(colour)) < kNear && std::abs(qGreen(pixel) - qGreen(colour)) < kNear &&
           std::abs(qBlue(pixel) - qBlue(colour)) < kNear;
}

// How many pixels of `colour` from (x, y) on, in steps of (dx, dy).
int RunOf(const QImage& image, int x, int y, int dx, int dy, QRgb colour)
{
    int count = 0;
    for (; image.valid(x, y) && IsColour(image.pixel(x, y), colour); x += dx, y += dy)
        ++count;
    return count;
}

// The processes this test process started that still run.
int RunningChildren()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        char state = 0;
        int parent = 0;
        fields >> state >> parent;
        count += parent == getpid() && state != 'Z';
    }
    return count;
}

} // namespace

class OptionSheetTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // The shipped profile under the name "MP4", beside a profile named "New MP4".
        std::string text = ReadAll(PROFILE_SOURCE);
        text.replace(text.find("[MP4 Video]"), 11, "[MP4]");
        profilePath_ = folder_.write("mp4.ini", text + "\n[New MP4]\nTargetType=mp4\nnAudioVolume=256\n");
        std::filesystem::create_directories(folder_.path("out"));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder_.path("config")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder_.path("data")));
        current_ = EmptyProfileSettings();
        ReadProfile("MP4", current_, profilePath_);
        SetText(current_.iniPath, profilePath_);
    }

    void cleanup() { std::filesystem::remove(folder_.path("config/quillon/tvcdef.ini")); }

    void everyPageChangesTheEngineVector()
    {
        auto task = MakeTask();
        std::vector<std::string> before = Vector(*task);
        QCOMPARE(After(before, "-b"), std::string("225"));
        QCOMPARE(After(before, "-acodec"), std::string("aac"));
        QCOMPARE(After(before, "-vol"), std::string("(none)"));

        WhenShown<OptionSheetDialog>([](OptionSheetDialog* sheet) {
            QCOMPARE(sheet->windowTitle(), QString("MP4 - Options"));
            auto* tabs = Find<QTabWidget>(sheet, nullptr);
            // Audio: the cursor in the volume field checks the box.
            QVERIFY(!Find<QCheckBox>(sheet, "adjustVolume")->isChecked());
            GiveFocus(Find<QSpinBox>(sheet, "volume"));
            QVERIFY(Find<QCheckBox>(sheet, "adjustVolume")->isChecked());
            Find<QSpinBox>(sheet, "volume")->setValue(300);
            Find<QComboBox>(sheet, "audioCodec")->setCurrentText("ac3");
            Find<QComboBox>(sheet, "audioChannel")->setCurrentIndex(1);
            // Resize, then the video page shows the default bit rate of the new frame.
            Click(sheet, "size6");
            Click(sheet, "aspect2");
            tabs->setCurrentIndex(1);
            QCOMPARE(Find<QLineEdit>(sheet, "defaultBitRate")->text(), QString("900"));
            QVERIFY(!Find<QLineEdit>(sheet, "level1")->isVisible());
            Click(sheet, "advanced");
            QVERIFY(Find<QLineEdit>(sheet, "level1")->isVisible());
            Type(sheet, "level1", "4");
            QCOMPARE(Find<QLineEdit>(sheet, "defaultBitRate")->text(), QString("1200"));
            GiveFocus(Find<QLineEdit>(sheet, "videoBitRate"));
            Type(sheet, "videoBitRate", "800");
            Find<QComboBox>(sheet, "videoCodec")->setCurrentText("mpeg4");
            // Crop and pad fields follow their boxes.
            tabs->setCurrentIndex(3);
            QVERIFY(!Find<QLineEdit>(sheet, "crop2")->isEnabled());
            Click(sheet, "enableCrop");
            QVERIFY(Find<QLineEdit>(sheet, "crop2")->isEnabled());
            Type(sheet, "crop2", "8");
            QVERIFY(!Find<QPushButton>(sheet, "choosePadColor")->isEnabled());
            Click(sheet, "enablePad");
            QVERIFY(Find<QPushButton>(sheet, "choosePadColor")->isEnabled());
            for (const char* side : {"pad0", "pad1"})
                Type(sheet, side, "16");
            for (const char* side : {"pad2", "pad3"})
                Type(sheet, side, "8");
            Click(sheet, "ok");
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));

        std::vector<std::string> after = Vector(*task);
        QCOMPARE(After(after, "-vol"), std::string("300"));
        QCOMPARE(After(after, "-acodec"), std::string("ac3"));
        QCOMPARE(After(after, "-ac"), std::string("1"));
        QCOMPARE(After(after, "-vcodec"), std::string("mpeg4"));
        QCOMPARE(After(after, "-b"), std::string("800"));
        QCOMPARE(After(after, "-croptop"), std::string("8"));
        QCOMPARE(After(after, "-padleft"), std::string("16"));
        QCOMPARE(After(after, "-s"), std::string("608x464"));
        QCOMPARE(After(after, "-aspect"), std::string("16:9"));
        QCOMPARE(task->settings.nVideoDefaultBitRate, 1200);
        QCOMPARE(task->settings.nSourceWidth, 320);
        QCOMPARE(current_.nAudioVolume, 300);
        // Nothing was saved.
        QCOMPARE(platform::ini::ReadString(profilePath_, "MP4", "bAudioCustomVolume"), std::string("0"));
    }

    void outOfRangeValuesKeepTheSheetOpen()
    {
        auto task = MakeTask();
        QStringList messages;
        WhenShown<OptionSheetDialog>([&messages](OptionSheetDialog* sheet) {
            auto* tabs = Find<QTabWidget>(sheet, nullptr);
            Click(sheet, "adjustVolume");
            Find<QSpinBox>(sheet, "volume")->setValue(700);
            tabs->setCurrentIndex(2);
            auto answer = [&messages](QMessageBox* box) {
                messages << box->text();
                box->accept();
            };
            WhenShown<QMessageBox>(answer);
            Click(sheet, "ok");
            QVERIFY(sheet->isVisible());
            QCOMPARE(tabs->currentIndex(), 0);

            Find<QSpinBox>(sheet, "volume")->setValue(600);
            Click(sheet, "advanced");
            Type(sheet, "level2", "150");
            WhenShown<QMessageBox>(answer);
            Click(sheet, "ok");
            QVERIFY(sheet->isVisible());
            QCOMPARE(tabs->currentIndex(), 1);
            Type(sheet, "level2", "100");
            Click(sheet, "ok");
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].contains("100") && messages[0].contains("600"));
        QCOMPARE(task->settings.nAudioVolume, 600);
        QCOMPARE(task->settings.nVideoBitRateLevel2, 100.0f);
    }

    void previewShowsCropAndPadAndACropTooLargeIsRefused()
    {
        auto task = MakeTask();
        const QRgb magenta = qRgb(255, 0, 255);
        QImage picture;
        QString refusal;
        int page = -1;
        bool stayedOpen = false;
        WhenShown<OptionSheetDialog>([&](OptionSheetDialog* sheet) {
            OutputPreviewPane* preview = sheet->preview();
            QVERIFY(preview);
            QSignalSpy shown(preview, &OutputPreviewPane::pictureShown);
            Click(sheet, "enableCrop");
            for (const char* side : {"crop0", "crop1"})
                Type(sheet, side, "20");
            Click(sheet, "enablePad");
            for (auto [side, pixels] : {std::pair{"pad0", "16"}, {"pad1", "16"}, {"pad2", "8"}, {"pad3", "8"}})
                Type(sheet, side, pixels);
            WhenShown<QColorDialog>([](QColorDialog* chooser) {
                chooser->setCurrentColor(QColor(255, 0, 255));
                chooser->accept();
            });
            Click(sheet, "choosePadColor");
            // Only the picture of the last values is shown, however many were asked for.
            QVERIFY(shown.wait(30000));
            picture = preview->picture();

            Type(sheet, "crop0", "5000");
            WhenShown<QMessageBox>([&refusal](QMessageBox* box) {
                refusal = box->text();
                box->accept();
            });
            Click(sheet, "ok");
            stayedOpen = sheet->isVisible();
            page = Find<QTabWidget>(sheet, nullptr)->currentIndex();

            // Closed while the engine makes the next picture.
            Type(sheet, "crop0", "30");
            for (int i = 0; i < 1000 && RunningChildren() == 0; ++i)
                QTest::qWait(5);
            QVERIFY(RunningChildren() > 0);
            sheet->reject();
        });
        QVERIFY(!RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(RunningChildren(), 0);

        // 320x240 less 20 + 20 columns, inside pads of 16 beside and 8 above and below.
        QCOMPARE(picture.size(), QSize(312, 256));
        const int middleX = picture.width() / 2, middleY = picture.height() / 2;
        QVERIFY(IsColour(picture.pixel(0, 0), magenta));
        QCOMPARE(RunOf(picture, 0, middleY, 1, 0, magenta), 16);
        QCOMPARE(RunOf(picture, picture.width() - 1, middleY, -1, 0, magenta), 16);
        QCOMPARE(RunOf(picture, middleX, 0, 0, 1, magenta), 8);
        QCOMPARE(RunOf(picture, middleX, picture.height() - 1, 0, -1, magenta), 8);

        QVERIFY(stayedOpen);
        QCOMPARE(page, 3);
        QVERIFY2(refusal.contains("Crop") && refusal.contains("Left") && refusal.contains("320"), qPrintable(refusal));
        QCOMPARE(task->settings.bVideoEnableCrop, 0);
        QCOMPARE(task->settings.nVideoCropLeft, 0);
    }

    void saveAsOntoAnExistingNameShowsTheClashAndAsksAgain()
    {
        auto task = MakeTask();
        QStringList offered;
        QString clash;
        WhenShown<OptionSheetDialog>([&](OptionSheetDialog* sheet) {
            auto* menu = Find<QPushButton>(sheet, "saveApply")->menu();
            QCOMPARE(menu->actions().size(), 2);
            Click(sheet, "adjustVolume");
            Find<QSpinBox>(sheet, "volume")->setValue(400);
            WhenShown<NewProfileDialog>([&](NewProfileDialog* first) {
                offered << Find<QLineEdit>(first, "profileName")->text();
                WhenShown<QMessageBox>([&](QMessageBox* box) {
                    clash = box->text();
                    WhenShown<NewProfileDialog>([&](NewProfileDialog* second) {
                        offered << Find<QLineEdit>(second, "profileName")->text();
                        Find<QLineEdit>(second, "profileName")->setText("Louder MP4");
                        second->accept();
                    });
                    box->accept();
                });
                first->accept();
            });
            menu->findChild<QAction*>("saveAs")->trigger();
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(offered, QStringList({"New MP4", "New MP4"}));
        QVERIFY(clash.contains("conflicted"));
        QCOMPARE(std::string(task->settings.profileName), std::string("Louder MP4"));

        ProfileSettings saved = EmptyProfileSettings();
        ReadProfile("Louder MP4", saved, profilePath_);
        QCOMPARE(saved.bAudioCustomVolume, 1);
        QCOMPARE(saved.nAudioVolume, 400);
        QCOMPARE(std::string(saved.cVideoCodec), std::string("h264"));
        QCOMPARE(platform::ini::ReadString(profilePath_, "New MP4", "nAudioVolume"), std::string("256"));
        QCOMPARE(platform::ini::ReadString(folder_.path("config/quillon/tvcdef.ini"), "default", "mp4.ini"),
                 std::string("Louder MP4"));
    }

    void padColorRoundTripAndChooser()
    {
        WriteProfileInt("MP4", "nVideoPadColor", 0x060606, profilePath_);
        ReadProfile("MP4", current_, profilePath_);
        auto task = MakeTask();
        WhenShown<OptionSheetDialog>([](OptionSheetDialog* sheet) {
            QCOMPARE(Find<QLineEdit>(sheet, "padColorText")->text(), QString("0x060606"));
            QCOMPARE(Find<QLabel>(sheet, "padSwatch")->palette().color(QPalette::Window), QColor(6, 6, 6));
            sheet->findChild<QAction*>("save")->trigger();
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(platform::ini::ReadString(profilePath_, "MP4", "nVideoPadColor"), std::string("394758"));

        WhenShown<OptionSheetDialog>([](OptionSheetDialog* sheet) {
            Click(sheet, "enablePad");
            WhenShown<QColorDialog>([](QColorDialog* chooser) {
                QCOMPARE(chooser->currentColor(), QColor(6, 6, 6));
                chooser->setCurrentColor(QColor(255, 0, 0));
                chooser->accept();
            });
            Click(sheet, "choosePadColor");
            QCOMPARE(Find<QLineEdit>(sheet, "padColorText")->text(), QString("0xFF0000"));
            Click(sheet, "ok");
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(task->settings.nVideoPadColor, 0xFF0000);
        QCOMPARE(After(Vector(*task), "-padcolor"), std::string("0xff0000"));
    }

    void disableVideoDisablesThePage()
    {
        WriteProfileInt("MP4", "bDisableVideo", 1, profilePath_);
        ReadProfile("MP4", current_, profilePath_);
        auto task = MakeTask();
        WhenShown<OptionSheetDialog>([](OptionSheetDialog* sheet) {
            auto* disable = Find<QCheckBox>(sheet, "disableVideo");
            QVERIFY(disable->isChecked() && disable->isEnabled());
            QVERIFY(!Find<QComboBox>(sheet, "videoCodec")->isEnabled());
            QVERIFY(!Find<QLineEdit>(sheet, "videoBitRate")->isEnabled());
            QVERIFY(!Find<QCheckBox>(sheet, "advanced")->isEnabled());
            disable->click();
            QVERIFY(Find<QComboBox>(sheet, "videoCodec")->isEnabled());
            sheet->reject();
        });
        QVERIFY(!RunOptionSheet(nullptr, task.get(), current_));
        QCOMPARE(task->settings.bDisableVideo, 1);
    }

    void aSaveThatCannotBeWrittenIsReportedAndTheTaskKeepsTheEdit()
    {
        const std::string blocked = folder_.write("blocked", "a file, not a folder") + "/mp4.ini";
        SetText(current_.iniPath, blocked);
        auto task = MakeTask();
        QString message;
        WhenShown<OptionSheetDialog>([&message](OptionSheetDialog* sheet) {
            Click(sheet, "adjustVolume");
            Find<QSpinBox>(sheet, "volume")->setValue(500);
            WhenShown<QMessageBox>([&message](QMessageBox* box) {
                message = box->text();
                box->accept();
            });
            sheet->findChild<QAction*>("save")->trigger();
        });
        QVERIFY(RunOptionSheet(nullptr, task.get(), current_));
        QVERIFY(message.contains(QString::fromStdString(blocked)));
        QCOMPARE(task->settings.nAudioVolume, 500);
    }

    void noSelectedTaskIsSaid()
    {
        QString message;
        WhenShown<QMessageBox>([&message](QMessageBox* box) {
            message = box->text();
            box->accept();
        });
        QVERIFY(!RunOptionSheet(nullptr, nullptr, current_));
        QCOMPARE(message, QString("No items were selected!"));
    }

private:
    std::unique_ptr<ConversionTask> MakeTask()
    {
        return CreateTask(testmedia::ClipPath(testmedia::Clip::Standard4x3), current_, -1, folder_.path("out/"));
    }

    static std::vector<std::string> Vector(const ConversionTask& task)
    {
        SplitRule split;
        split.runChoice = split.currentChoice = "No split";
        return BuildPerFileArguments(
                   {task.settings, task.probed, task.sourcePath, task.destinationPath, task.subtitlePath}, split)
            .entries();
    }

    TempFolder folder_;
    std::string profilePath_;
    ProfileSettings current_;
};

QTEST_MAIN(OptionSheetTest)
#include "option_sheet_test.moc"
