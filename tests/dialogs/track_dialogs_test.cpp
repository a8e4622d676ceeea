// The audio track and subtitle dialogs, and the extraction of a new task's subtitle tracks, as a
// user meets them.
#include "adapters/quorla/subtitle_style.h"
#include "modal_script.h"
#include "platform/process_runner.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/dialogs/audio_track_dialog.h"
#include "reelvane/dialogs/extract_progress_dialog.h"
#include "reelvane/dialogs/subtitle_dialog.h"
#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_rules.h"
#include "temp_folder.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <cstdlib>

using namespace reelvane;

namespace {

void Check(QDialog* dialog, int row, bool checked)
{
    dialog->findChild<QListWidget*>("tracks")->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace

class TrackDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ::setenv("XDG_CONFIG_HOME", folder_.path("config").c_str(), 1);
        std::filesystem::create_directories(folder_.path("out"));
        current_ = EmptyProfileSettings();
        ReadProfile("MP4 Video", current_, PROFILE_SOURCE);
    }

    void uncheckingEveryTrackAndCancellingStillClearsTheFlags()
    {
        auto task =
            CreateTask(testmedia::ClipPath(testmedia::Clip::MatroskaTracks), current_, -1, folder_.path("out/"));
        QCOMPARE(task->probed.audioTracks.size(), std::size_t(2));
        WhenShown<AudioTrackDialog>([](AudioTrackDialog* dialog) {
            QCOMPARE(dialog->findChild<QListWidget*>("tracks")->item(0)->checkState(), Qt::Checked);
            Check(dialog, 0, false);
            Check(dialog, 1, false);
            dialog->reject();
        });
        RunAudioTrackDialog(nullptr, *task);
        for (const AudioTrackEntry& entry : task->probed.audioTracks)
            QCOMPARE(entry.selected, 0);
    }

    void keepingTracksOneAndTwoGivesExactlyThoseTwoStreams()
    {
        const std::string clip = folder_.path("three.mkv");
        QCOMPARE(platform::RunAndWait("ffmpeg",
                                      {"-v",   "error",   "-nostdin", "-y",
                                       "-f",   "lavfi",   "-i",       "testsrc2=size=160x120:rate=25:duration=1",
                                       "-f",   "lavfi",   "-i",       "sine=frequency=300:duration=1",
                                       "-f",   "lavfi",   "-i",       "sine=frequency=500:duration=1",
                                       "-f",   "lavfi",   "-i",       "sine=frequency=700:duration=1",
                                       "-map", "0",       "-map",     "1",
                                       "-map", "2",       "-map",     "3",
                                       "-c:v", "libx264", "-preset",  "ultrafast",
                                       "-c:a", "aac",     clip}),
                 0);
        auto task = CreateTask(clip, current_, -1, folder_.path("out/"));
        QCOMPARE(task->probed.audioTracks.size(), std::size_t(3));
        WhenShown<AudioTrackDialog>([](AudioTrackDialog* dialog) {
            // Only the first track is kept when a file is added.
            QCOMPARE(dialog->findChild<QListWidget*>("tracks")->item(1)->checkState(), Qt::Unchecked);
            Check(dialog, 1, true);
            dialog->accept();
        });
        RunAudioTrackDialog(nullptr, *task);

        SplitRule split;
        split.runChoice = split.currentChoice = "No split";
        EngineArguments arguments = BuildPerFileArguments(
            {task->settings, task->probed, task->sourcePath, task->destinationPath, task->subtitlePath}, split);
        std::vector<char*> argv = arguments.Argv();
        QCOMPARE(ffmain(static_cast<int32_t>(argv.size()), argv.data(), nullptr), 0);
        auto facts = testmedia::ProbeFile(task->destinationPath);
        QVERIFY(facts);
        QCOMPARE(facts->Count("audio"), 2);
        QCOMPARE(facts->Count("video"), 1);
    }

    void subtitleDialogRefusesWhatCannotBeReadAndTakesTheChosenLine()
    {
        ConversionTask task;
        const std::string good = folder_.write("good.srt", "1\n00:00:00,000 --> 00:00:01,000\nHi\n");
        task.subtitleCandidates = {folder_.path("gone.srt"), good};
        std::filesystem::create_directories(folder_.path("folder.srt"));
        QStringList messages;
        WhenShown<SubtitleDialog>([&](SubtitleDialog* dialog) {
            auto* ok = dialog->findChild<QPushButton*>("ok");
            ok->click(); // nothing chosen: nothing happens
            QVERIFY(dialog->isVisible());

            auto* list = dialog->findChild<QListWidget*>("candidates");
            QCOMPARE(list->item(0)->text(), QString("gone.srt"));
            list->setCurrentRow(0);
            auto answer = [&messages](QMessageBox* box) {
                messages << box->text();
                box->accept();
            };
            WhenShown<QMessageBox>(answer);
            ok->click();
            QVERIFY(dialog->isVisible());

            dialog->Choose(folder_.path("folder.srt"));
            WhenShown<QMessageBox>(answer);
            ok->click();
            QVERIFY(dialog->isVisible());

            list->setCurrentRow(1);
            QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
            QCOMPARE(list->item(1)->checkState(), Qt::Checked);
            ok->click();
        });
        QVERIFY(RunSubtitleDialog(nullptr, task));
        QCOMPARE(messages, QStringList({"Cannot open subtitle file", "Cannot open subtitle file"}));
        QCOMPARE(task.subtitlePath, good);

        // Cancel changes nothing.
        WhenShown<SubtitleDialog>([](SubtitleDialog* dialog) {
            dialog->findChild<QListWidget*>("candidates")->setCurrentRow(0);
            dialog->reject();
        });
        QVERIFY(!RunSubtitleDialog(nullptr, task));
        QCOMPARE(task.subtitlePath, good);
    }

    void textTracksAreOfferedOnlyWhereTheOutputHoldsThem()
    {
        auto task =
            CreateTask(testmedia::ClipPath(testmedia::Clip::SurroundTracks), current_, -1, folder_.path("out/"));
        SetText(task->settings.TargetType, "avi");
        SetText(task->settings.Para, "-f avi -fs 0");
        WhenShown<SubtitleDialog>([](SubtitleDialog* dialog) {
            QVERIFY(!dialog->findChild<QListWidget*>("tracks")->isEnabled());
            QCOMPARE(dialog->findChild<QLabel*>("tracksLabel")->text(),
                     QString("The output type avi holds no subtitle tracks."));
            dialog->findChild<QPushButton*>("ok")->click(); // nothing to take
            QVERIFY(dialog->isVisible());
            dialog->reject();
        });
        QVERIFY(!RunSubtitleDialog(nullptr, *task));
        QVERIFY(task->subtitleTracks.empty());
    }

    void addPicksAFileAndStyleStoresTheStyle()
    {
        ConversionTask task;
        const std::string picked = folder_.write("picked.ass", "[Script Info]\n");
        WhenShown<SubtitleDialog>([&](SubtitleDialog* dialog) {
            WhenShown<QFileDialog>([&](QFileDialog* chooser) {
                QVERIFY(chooser->nameFilters().first().contains("*.usf"));
                // Typed into the name field, as the file list fills in the background.
                chooser->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(picked));
                static_cast<QDialog*>(chooser)->accept();
            });
            dialog->findChild<QPushButton*>("add")->click();
            QCOMPARE(dialog->findChild<QLineEdit*>("chosenPath")->text(), QString::fromStdString(picked));

            // The style library is loaded from the program folder, used and unloaded again.
            WhenShown<QDialog>([](QDialog* style) { style->accept(); }, dialog);
            dialog->findChild<QPushButton*>("style")->click();
            dialog->findChild<QPushButton*>("ok")->click();
        });
        QVERIFY(RunSubtitleDialog(nullptr, task));
        QCOMPARE(task.subtitlePath, picked);
        QVERIFY(quorla::ReadStoredStyle(platform::SettingsStore()));
    }

    void aNewMatroskaTaskGetsItsExtractedSubtitle()
    {
        TrakkelBinding trakkel;
        QVERIFY(trakkel.Load());
        auto task =
            CreateTask(testmedia::ClipPath(testmedia::Clip::MatroskaTracks), current_, -1, folder_.path("out/"));
        QMainWindow window;
        window.show();
        QString question;
        WhenShown<QMessageBox>([&question](QMessageBox* box) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        QCOMPARE(PrepareAddedTask(&window, *task, trakkel, folder_.path("out/")), 2);
        QVERIFY(question.startsWith("This mkv file have some subtitle tracks"));
        QCOMPARE(task->subtitlePath, folder_.path("out/tracks_0.srt"));
        QCOMPARE(task->subtitleCandidates.back(), folder_.path("out/tracks_1.ass"));
        QVERIFY(window.isEnabled());
        QVERIFY(window.findChildren<ExtractProgressDialog*>().isEmpty());
    }

private:
    TempFolder folder_;
    ProfileSettings current_;
};

QTEST_MAIN(TrackDialogsTest)
#include "track_dialogs_test.moc"
