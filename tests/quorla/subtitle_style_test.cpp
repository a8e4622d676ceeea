// The subtitle style: chosen in quorla's dialog, stored in the settings file, and drawn by vexen
// into the converted picture.
#include "adapters/quorla/quorla.h"
#include "adapters/quorla/subtitle_style.h"
#include "adapters/vexen/vexen.h"
#include "platform/library_loader.h"
#include "platform/process_runner.h"
#include "temp_folder.h"
#include "tests/media/media_facts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <cstdlib>

namespace {

enum { kInit, kExit, kDialog, kStore };
const std::vector<std::string> kExports = {"ST_Init", "ST_Exit", "ST_GetSubtitleStyleDialog", "ST_SetIniSubtitleStyle"};

// Counts pixels near `color` in rows [top, bottom).
int CountNear(const testmedia::Picture& picture, testmedia::Rgb color, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < picture.width; ++x) {
            testmedia::Rgb p = picture.At(x, y);
            if (std::abs(p.r - color.r) < 40 && std::abs(p.g - color.g) < 40 && std::abs(p.b - color.b) < 40)
                ++count;
        }
    return count;
}

} // namespace

class SubtitleStyleTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ::setenv("XDG_CONFIG_HOME", folder_.path("config").c_str(), 1);
        QVERIFY(quorla_.LoadFrom(QUORLA_FOLDER, "quorla", kExports));
    }
    void cleanup() { quorla_.Unload(); }

    void dialogReturnsTheChoiceAndStartsFromTheStoredStyle()
    {
        QuorlaStyle buffer{};
        QCOMPARE(quorla_.Call<int32_t>(kDialog, -9, int32_t(0), &buffer, static_cast<void*>(nullptr)), -1);

        quorla_.Call<int32_t>(kInit, -9, int32_t(0));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChildren<QCheckBox*>()[1]->setChecked(true); // italic
            dialog->findChildren<QComboBox*>().last()->setCurrentIndex(QUORLA_TOP);
            dialog->findChildren<QSpinBox*>()[0]->setValue(40);
            dialog->accept();
        });
        QCOMPARE(quorla_.Call<int32_t>(kDialog, -9, int32_t(0), &buffer, static_cast<void*>(nullptr)), 0);
        QCOMPARE(buffer.italic, 1);
        QCOMPARE(buffer.bold, 0);
        QCOMPARE(buffer.position, int32_t(QUORLA_TOP));
        QCOMPARE(buffer.fontSize, 40);
        QCOMPARE(buffer.textColor, 0xFFFFFF);
        QCOMPARE(quorla_.Call<int32_t>(kStore, -9, static_cast<const QuorlaStyle*>(&buffer)), 0);

        // The next dialog opens with what was stored; cancelling leaves the buffer alone.
        QuorlaStyle untouched{};
        QTimer::singleShot(0, [] {
            auto* dialog = QApplication::activeModalWidget();
            QCOMPARE(dialog->findChildren<QSpinBox*>()[0]->value(), 40);
            QVERIFY(dialog->findChildren<QCheckBox*>()[1]->isChecked());
            qobject_cast<QDialog*>(dialog)->reject();
        });
        QCOMPARE(quorla_.Call<int32_t>(kDialog, -9, int32_t(0), &untouched, static_cast<void*>(nullptr)), 1);
        QCOMPARE(untouched.fontSize, 0);
        quorla_.Call<int32_t>(kExit, -9);
    }

    void storedStyleIsDrawnIntoTheConvertedPicture()
    {
        const std::string clip = folder_.path("grey.mkv");
        QCOMPARE(platform::RunAndWait("ffmpeg", {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                                 "color=c=0x808080:size=320x240:rate=25:duration=2", "-c:v", "libx264",
                                                 "-preset", "ultrafast", "-pix_fmt", "yuv420p", clip}),
                 0);
        const std::string subtitle = folder_.write("line.srt", "1\n00:00:00,500 --> 00:00:01,200\nWWWW\n");

        // Magenta text without outline, at the top with a small margin.
        QuorlaStyle style{};
        std::strcpy(style.fontName, "DejaVu Sans");
        style.fontSize = 40;
        style.bold = 1;
        style.textColor = 0xFF00FF;
        style.outlineWidth = 0;
        style.position = QUORLA_TOP;
        style.margin = 10;
        QCOMPARE(quorla_.Call<int32_t>(kStore, -9, static_cast<const QuorlaStyle*>(&style)), 0);

        const std::string output = folder_.path("burnt.mkv");
        std::vector<std::string> words = {"ffmain", "-i",      clip,    "-vhook",  "SubTitleHook -f " + subtitle,
                                          "-an",    "-vcodec", "mjpeg", "-qscale", "2",
                                          output};
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        QCOMPARE(ffmain(static_cast<int32_t>(argv.size()), argv.data(), nullptr), 0);

        const testmedia::Rgb magenta{255, 0, 255};
        testmedia::Picture shown = testmedia::GrabFrame(output, 0.8);
        QCOMPARE(shown.width, 320);
        QVERIFY2(CountNear(shown, magenta, 0, 80) > 200, "the text is drawn in its colour at the top");
        QCOMPARE(CountNear(shown, magenta, 80, 240), 0);
        testmedia::Picture after = testmedia::GrabFrame(output, 1.6);
        QCOMPARE(CountNear(after, magenta, 0, 240), 0);

        // At the bottom once the style says so.
        style.position = QUORLA_BOTTOM;
        QCOMPARE(quorla_.Call<int32_t>(kStore, -9, static_cast<const QuorlaStyle*>(&style)), 0);
        const std::string lower = folder_.path("lower.mkv");
        words.back() = lower;
        argv.back() = words.back().data();
        QCOMPARE(ffmain(static_cast<int32_t>(argv.size()), argv.data(), nullptr), 0);
        testmedia::Picture bottom = testmedia::GrabFrame(lower, 0.8);
        QCOMPARE(CountNear(bottom, magenta, 0, 160), 0);
        QVERIFY(CountNear(bottom, magenta, 160, 240) > 200);
    }

    void styleValuesAreKeptInRangeAndReadBack()
    {
        platform::SettingsStore store(folder_.path("other.ini"));
        QVERIFY(!quorla::ReadStoredStyle(store));
        quorla::SubtitleStyle wild;
        wild.fontName = "Bad,Font=Name";
        wild.fontSize = 5000;
        wild.margin = -3;
        wild.textColor = 0xFF123456;
        QVERIFY(quorla::StoreStyle(store, wild));
        auto read = quorla::ReadStoredStyle(store);
        QVERIFY(read);
        QCOMPARE(read->fontName, std::string("BadFontName"));
        QCOMPARE(read->fontSize, quorla::kMaxFontSize);
        QCOMPARE(read->margin, 0);
        QCOMPARE(read->textColor, 0x123456u);
        QVERIFY(quorla::ForceStyleText(*read).find("PrimaryColour=&H00563412") != std::string::npos);
    }

private:
    TempFolder folder_;
    platform::LibraryLoader quorla_;
};

QTEST_MAIN(SubtitleStyleTest)
#include "subtitle_style_test.moc"
