// The run's texts and rules that need no engine.
#include "reelvane/conversion/output_paths.h"
#include "reelvane/conversion/post_process.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/split_choices.h"
#include "tests/platform/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace reelvane;

TEST(RunStatus, SplitSelectorOffersTheMediaOfEachProfile)
{
    SplitChoices bluray = SplitChoicesFor("/p/ini/blu-ray_h264.ini");
    EXPECT_EQ(bluray.entries,
              (std::vector<std::string>{"BD-25 (25GB)", "BD-50 (50GB)", "DVD-5 (4.7GB)", "DVD-9 (8.5GB)"}));
    EXPECT_EQ(bluray.selected, 0);
    EXPECT_EQ(SplitChoicesFor("/p/ini/avchd_mpeg2.ini").entries.front(), "DVD-5 (4.7GB)");
    EXPECT_EQ(SplitChoicesFor("/p/ini/paldvd.ini").entries.size(), 2u);
    SplitChoices other = SplitChoicesFor("/p/ini/Blu-ray_h264.ini"); // compared exactly
    EXPECT_EQ(other.entries.size(), 6u);
    EXPECT_EQ(other.entries[other.selected], "No split");
}

TEST(RunStatus, ProgressLineAndTimeLeftHoldLongRuns)
{
    EXPECT_EQ(TimeLeftMilliseconds(30000, 0), 0);
    EXPECT_EQ(TimeLeftMilliseconds(30000, 25), 90000);
    // Forty days at 1 % would overflow 32 bits.
    EXPECT_EQ(TimeLeftMilliseconds(3456000000LL, 1), 342144000000LL);
    EXPECT_EQ(FormatClock(342144000000LL), "95040:00:00");
    EXPECT_EQ(ProgressLine(25, 90000, DestinationTail("/out/a b.mp4")),
              "Completed: 25% | Time Left: 00:01:30 | Destination File: a b.mp4");

    TaskList tasks;
    EXPECT_EQ(IdleStatusFor(tasks, "No split", 0).text, "Please Add File(s)");
    auto task = std::make_unique<ConversionTask>();
    task->probed.duration = 5400.5f;
    task->settings.nVideoDefaultBitRate = 900;
    task->probed.audioTracks.resize(2); // 224 each without a custom audio rate
    tasks.Add(std::move(task));
    EXPECT_EQ(IdleStatusFor(tasks, "Custom", 700).text,
              "Total: 1 | Length: 01:30:00.5 | Total Size: 867.83 MB | Split size: 700 MB");
}

TEST(RunStatus, ConvertedSecondsFollowTheTrimFlags)
{
    ConversionTask task;
    task.probed.mediaInfo.startTime = 500000;
    task.probed.mediaInfo.duration = 10000000;
    EXPECT_DOUBLE_EQ(ConvertedSeconds(task), 10.0);
    task.fromStart = 0;
    task.trimStart = 2500000;
    EXPECT_DOUBLE_EQ(ConvertedSeconds(task), 8.0); // start + duration - trim start
    task.toEnd = 0;
    task.trimEnd = 6500000;
    EXPECT_DOUBLE_EQ(ConvertedSeconds(task), 4.0);
    task.fromStart = 1;
    EXPECT_DOUBLE_EQ(ConvertedSeconds(task), 6.0); // trim end - file start
}

TEST(RunStatus, PostProcessWordsTakeTheProgramFolderOrTheOutput)
{
    EXPECT_EQ(PostProcessArguments("\"./tag\" \"%out\" \"x%out\"", "/opt/rv", "/v/a b.mp4"),
              (std::vector<std::string>{"/opt/rv/tag", "/v/a b.mp4", "x/v/a b.mp4"}));
    EXPECT_EQ(PostProcessArguments("\"./a/./b\" plain", "/p", "/o"), (std::vector<std::string>{"/p/a/./b", "plain"}));
    EXPECT_TRUE(PostProcessArguments("   ", "/p", "/o").empty());
    // Quotes and semicolons are words, never shell syntax.
    EXPECT_EQ(PostProcessArguments("\"echo\" \"; rm -rf %out\"", "/p", "/o"),
              (std::vector<std::string>{"echo", "; rm -rf /o"}));
}

TEST(RunStatus, OutputsTakeFreeNamesAndNeverReplaceAFile)
{
    TempFolder folder;
    const std::string target = folder.path("clip.mp4");
    std::string problem;
    EXPECT_EQ(UniqueOutputPath(target, "source", problem), target);
    folder.write("clip.mp4", "old");
    EXPECT_EQ(UniqueOutputPath(target, "source", problem), folder.path("source (1).mp4"));

    std::string partial = PartialOutputPath(target, problem).value();
    EXPECT_EQ(std::filesystem::path(partial).filename().string().front(), '.');
    EXPECT_EQ(std::filesystem::path(partial).extension(), ".mp4");
    folder.write(partial.substr(folder.path().size()), "new");
    auto final = CommitOutput(partial, target, "source");
    ASSERT_TRUE(final);
    EXPECT_EQ(*final, folder.path("source (1).mp4"));
    EXPECT_EQ(folder.read("clip.mp4"), "old");
    EXPECT_EQ(folder.read("source (1).mp4"), "new");

    EXPECT_FALSE(PathFitsEngine("/" + std::string(600, 'a')));
    EXPECT_FALSE(PathFitsEngine("/tmp/" + std::string(300, 'a') + ".mp4"));
    EXPECT_TRUE(PathFitsEngine("/tmp/" + std::string(200, 'a') + ".mp4"));
}

// Names that the file system refuses or cannot answer for end in a reason, never in a search
// that runs for ever; a long name keeps its extension, its " (n)" and whole characters.
TEST(RunStatus, OutputNamesFitTheFileSystemOrSayWhyNot)
{
    TempFolder folder;
    std::string stem;
    while (stem.size() < 250)
        stem += "\xC3\xA9"; // é
    const std::string target = folder.path(stem + ".mp4");
    std::string problem;
    auto fitted = UniqueOutputPath(target, stem, problem);
    ASSERT_TRUE(fitted) << problem;
    const std::string name = std::filesystem::path(*fitted).filename().string();
    EXPECT_LT(name.size(), target.size() - folder.path().size());
    EXPECT_TRUE(name.ends_with("\xC3\xA9.mp4")) << name;
    folder.write(name, "old");
    auto partial = PartialOutputPath(*fitted, problem);
    ASSERT_TRUE(partial) << problem;
    EXPECT_LE(std::filesystem::path(*partial).filename().string().size(), 255u);
    folder.write(std::filesystem::path(*partial).filename().string(), "new");
    auto second = UniqueOutputPath(target, stem, problem);
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->ends_with("\xC3\xA9 (1).mp4")) << *second;
    auto final = CommitOutput(*partial, *fitted, stem);
    ASSERT_TRUE(final);
    EXPECT_EQ(*final, *second);
    EXPECT_EQ(folder.read(name), "old");

    // A folder that is a link loop: the search stops with the system's reason.
    std::filesystem::create_symlink("b", folder.path("a"));
    std::filesystem::create_symlink("a", folder.path("b"));
    problem.clear();
    EXPECT_FALSE(UniqueOutputPath(folder.path("a/clip.mp4"), "clip", problem));
    EXPECT_NE(problem.find("symbolic links"), std::string::npos) << problem;
    EXPECT_FALSE(PartialOutputPath(folder.path("a/clip.mp4"), problem));

    // What a killed run left is removed; a live process's partial and look-alikes stay.
    folder.write(".clip.partial-999999999-0.mp4", "stale");
    const std::string own = ".clip.partial-" + std::to_string(::getpid()) + "-7.mp4";
    folder.write(own, "live");
    folder.write(".clip.partial-999999999-x.mp4", "not ours");
    folder.write("clip.partial-999999999-0.mp4", "not hidden");
    RemoveStalePartials(folder.path());
    EXPECT_FALSE(std::filesystem::exists(folder.path(".clip.partial-999999999-0.mp4")));
    EXPECT_EQ(folder.read(own), "live");
    EXPECT_EQ(folder.read(".clip.partial-999999999-x.mp4"), "not ours");
    EXPECT_EQ(folder.read("clip.partial-999999999-0.mp4"), "not hidden");
}

TEST(RunStatus, CountsInTheLanguagePacksTextsGoInOrderAndBadFormatsAreNotUsed)
{
    TempFolder packs;
    packs.write("order.ini", "[Info]\nLanguage=Order\n[RUN_INFO]\nstrRunFinishedInfo=%d/%d\n"
                             "[WINDOW_INFO]\nstrSplitSizeStatusInfo=Teile: %s MB\n");
    packs.write("bad.ini", "[Info]\nLanguage=Bad\n[RUN_INFO]\nstrRunFinishedInfo=%s of %d\n"
                           "[WINDOW_INFO]\nstrSplitSizeStatusInfo=%d %n MB\n");
    packs.write("plain.ini", "[Info]\nLanguage=Plain\n");
    Languages().SetLanguageFolder(packs.path());
    TaskList tasks;
    tasks.Add(std::make_unique<ConversionTask>());

    Languages().SelectLanguage("Order");
    EXPECT_EQ(RunFinishedText(1, 2), "1/2");
    EXPECT_TRUE(IdleStatusFor(tasks, "Custom", 700).text.ends_with("| Teile: 700 MB"));
    Languages().SelectLanguage("Bad");
    EXPECT_EQ(RunFinishedText(1, 2), "Conversion finished: 1 of 2 tasks");
    EXPECT_TRUE(IdleStatusFor(tasks, "Custom", 700).text.ends_with("| Split size: 700 MB"));
    Languages().SelectLanguage("Plain");
}
