// Runs of the conversion driver without a window, checked on the files with ffprobe.
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

namespace {

// Logs every ffmpeg command line of a test, one per line, and runs the real program.
class EngineLog {
public:
    explicit EngineLog(const TempFolder& folder)
        : log_(folder.path("engine.log")),
          script_(WriteScript(folder.path("ffmpeg-logged"), "echo \"$*\" >> '" + log_ + "'\nexec ffmpeg \"$@\""))
    {
        setenv("REELVANE_FFMPEG", script_.c_str(), 1);
    }
    ~EngineLog() { unsetenv("REELVANE_FFMPEG"); }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::string log_;
    std::string script_;
};

// The value after "-fs" in an ffmpeg command line (bytes), or -1.
long long SizeLimit(const std::string& line)
{
    std::istringstream words(line);
    for (std::string word; words >> word;)
        if (word == "-fs" && words >> word)
            return std::stoll(word);
    return -1;
}

ProfileSettings FastMp4()
{
    ProfileSettings s = Profile("mp4.ini", "MP4 Video");
    SetText(s.Para, "-f mp4 -preset ultrafast");
    return s;
}

RunRequest Request(std::vector<ConversionTask> tasks, const ProfileSettings& current, const std::string& folder)
{
    RunRequest request;
    request.tasks = std::move(tasks);
    request.currentProfile = current;
    request.outputFolder = folder;
    return request;
}

} // namespace

TEST(ConversionRun, PerFileRunOfThreeClipsGivesThreeFilesUnderUniqueNamesAndKeepsAnExistingOne)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    folder.write("sized_2s_320x240.mp4", "the user's own file");
    ProfileSettings profile = FastMp4();
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunSummary summary = driver.Run(Request(Tasks({clip, clip, clip}, profile, folder.path()), profile, folder.path()));

    ASSERT_TRUE(summary.Succeeded());
    EXPECT_EQ(folder.read("sized_2s_320x240.mp4"), "the user's own file");
    const std::vector<std::string> expected = {"sized_2s_320x240 (1).mp4", "sized_2s_320x240 (2).mp4",
                                               "sized_2s_320x240 (3).mp4", "sized_2s_320x240.mp4"};
    EXPECT_EQ(FolderEntries(folder.path()), expected); // no partial file left beside them
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(summary.tasks[i].output, folder.path(expected[i]));
        auto facts = testmedia::ProbeFile(summary.tasks[i].output);
        ASSERT_TRUE(facts);
        EXPECT_NEAR(facts->duration, 2.0, 0.2);
        ASSERT_TRUE(facts->First("video"));
        EXPECT_EQ(facts->First("video")->codec, "h264");
        EXPECT_EQ(facts->First("audio")->sampleRate, 44100);
    }
    ASSERT_FALSE(observer.statuses.empty());
    EXPECT_EQ(observer.statuses.front().second, "Start converting");
    bool sawFull = false;
    for (const auto& [percent, text] : observer.statuses)
        sawFull = sawFull ||
                  (percent == 100 &&
                   text.starts_with("Completed: 100% | Time Left: 00:00:00 | Destination File: sized_2s_320x240 ("));
    EXPECT_TRUE(sawFull);
    EXPECT_EQ(observer.shownOutputs, std::vector<std::string>{folder.path(expected[2])});
    EXPECT_TRUE(observer.messages.empty());
}

TEST(ConversionRun, MergedRunLastsAsLongAsItsInputsAndOneTaskConvertsPerFile)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    ProfileSettings profile = FastMp4();
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunRequest merged = Request(Tasks({clip, clip}, profile, folder.path()), profile, folder.path());
    merged.merge = true;
    RunSummary summary = driver.Run(merged);
    ASSERT_TRUE(summary.Succeeded());
    ASSERT_EQ(summary.tasks.size(), 1u);
    EXPECT_TRUE(FileNamePart(summary.tasks[0].output).starts_with("Compound"));
    auto facts = testmedia::ProbeFile(summary.tasks[0].output);
    ASSERT_TRUE(facts);
    EXPECT_NEAR(facts->duration, 4.0, 0.3);

    RunRequest single = Request(Tasks({clip}, profile, folder.path()), profile, folder.path());
    single.merge = true;
    summary = driver.Run(single);
    ASSERT_TRUE(summary.Succeeded());
    EXPECT_EQ(FileNamePart(summary.tasks[0].output), "sized_2s_320x240.mp4");
}

TEST(ConversionRun, MergedRunDeinterlacesItsInterlacedSource)
{
    TempFolder folder;
    const std::string interlaced = testmedia::ClipPath(testmedia::Clip::Interlaced576);
    ProfileSettings profile = FastMp4();
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunRequest merged = Request(Tasks({interlaced, testmedia::SizedClipPath(2, 320, 240)}, profile, folder.path()),
                                profile, folder.path());
    merged.merge = true;
    RunSummary summary = driver.Run(merged);

    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    auto fields = testmedia::DetectFields(summary.tasks[0].output);
    ASSERT_TRUE(fields);
    int frames = fields->topFirst + fields->bottomFirst + fields->progressive + fields->undetermined;
    EXPECT_GE(frames, 95);
    EXPECT_GE(fields->progressive, frames * 95 / 100)
        << fields->topFirst << " " << fields->bottomFirst << " " << fields->undetermined;
}

TEST(ConversionRun, PostProcessGetsTheProgramFolderAndTheFinishedOutput)
{
    TempFolder folder;
    fs::create_directory(folder.path("program"));
    fs::create_directory(folder.path("out"));
    WriteScript(folder.path("program/record"), "echo \"$1\" > '" + folder.path("recorded") + "'");
    ProfileSettings profile = FastMp4();
    SetText(profile.PostProcess, "\"./record\" \"%out\"");
    ScriptedObserver observer;
    ConversionDriver driver(observer);
    RunRequest request = Request(Tasks({testmedia::SizedClipPath(2, 320, 240)}, profile, folder.path("out/")), profile,
                                 folder.path("out/"));
    request.programFolder = folder.path("program");

    RunSummary summary = driver.Run(request);
    ASSERT_TRUE(summary.Succeeded());
    EXPECT_EQ(folder.read("recorded"), summary.tasks[0].output + "\n");
}

TEST(ConversionRun, DiscProfileReducesTheSplitSizeByWhatWasWrittenOnlyWhenTasksShareTheProfile)
{
    TempFolder folder;
    EngineLog log(folder);
    ProfileSettings profile = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");
    SetText(profile.Para, "-f mpegts -preset ultrafast -fs 0");
    SetText(profile.BurnType, ""); // the outputs stay to be measured
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    std::vector<ConversionTask> tasks = Tasks({clip, clip, clip}, profile, folder.path());
    for (ConversionTask& task : tasks) { // half a second each is enough to count
        task.toEnd = 0;
        task.trimEnd = 500000;
    }
    ScriptedObserver observer;
    ConversionDriver driver(observer);
    RunRequest request = Request(tasks, profile, folder.path());
    request.splitChoice = "BD-25 (25GB)";
    RunSummary summary = driver.Run(request);
    ASSERT_EQ(summary.Count(TaskState::Finished), 3);

    std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    long long written = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(SizeLimit(lines[i]), (23000000LL - written) * 1024) << "task " << i;
        written += static_cast<long long>(fs::file_size(summary.tasks[i].output) / 1024);
    }

    // Tasks of different profile files get the whole disc each.
    ProfileSettings other = profile;
    fs::copy_file(profile.iniPath, folder.path("blu-ray_h264.ini"));
    SetText(other.iniPath, folder.path("blu-ray_h264.ini"));
    std::vector<ConversionTask> mixed = {tasks[0], tasks[1]};
    mixed[1].settings = other;
    fs::create_directory(folder.path("mixed"));
    mixed[0].destinationPath = folder.path("mixed/a.ts");
    mixed[1].destinationPath = folder.path("mixed/b.ts");
    RunRequest mixedRequest = Request(mixed, profile, folder.path("mixed/"));
    mixedRequest.splitChoice = "BD-25 (25GB)";
    observer.answer = false;
    ASSERT_EQ(driver.Run(mixedRequest).Count(TaskState::Finished), 2);
    lines = log.Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(SizeLimit(lines[3]), 23000000LL * 1024);
    EXPECT_EQ(SizeLimit(lines[4]), 23000000LL * 1024);
}

TEST(ConversionRun, CancelDuringTheFirstOfThreeTasksLeavesNoFileAndStartsNoOtherTask)
{
    TempFolder folder;
    EngineLog log(folder);
    ProfileSettings profile = FastMp4();
    SetText(profile.BeforePara, "-re"); // at the clip's own pace, so the cancel comes mid-way
    ScriptedObserver observer;
    observer.onProgress = [&](const RunProgress&) { observer.cancel = true; };
    ConversionDriver driver(observer);
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);

    RunSummary summary = driver.Run(Request(Tasks({clip, clip, clip}, profile, folder.path()), profile, folder.path()));

    EXPECT_TRUE(summary.cancelled);
    EXPECT_FALSE(summary.Succeeded());
    ASSERT_EQ(summary.tasks.size(), 3u);
    EXPECT_EQ(summary.tasks[0].state, TaskState::Cancelled);
    EXPECT_EQ(summary.tasks[1].state, TaskState::NotStarted);
    EXPECT_EQ(summary.tasks[2].state, TaskState::NotStarted);
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(FolderEntries(folder.path()), (std::vector<std::string>{"engine.log", "ffmpeg-logged"}));
    EXPECT_EQ(observer.statuses.back().second, "Cancelled: 0 of 3 tasks finished");
    EXPECT_TRUE(observer.messages.empty());
}

TEST(ConversionRun, BrokenClipAmongThreeGivesTwoOutputsAndOneFailureReport)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    ProfileSettings profile = FastMp4();
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunSummary summary =
        driver.Run(Request(Tasks({clip, testmedia::ClipPath(testmedia::Clip::NotMedia), clip}, profile, folder.path()),
                           profile, folder.path()));

    EXPECT_FALSE(summary.Succeeded());
    EXPECT_EQ(summary.Count(TaskState::Finished), 2);
    ASSERT_EQ(summary.tasks[1].state, TaskState::Failed);
    EXPECT_TRUE(summary.tasks[1].output.empty());
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_EQ(observer.messages[0], summary.tasks[1].message);
    EXPECT_NE(observer.messages[0].find("failed"), std::string::npos);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 2u);
    for (int i : {0, 2})
        EXPECT_TRUE(testmedia::ProbeFile(summary.tasks[i].output));
}

TEST(ConversionRun, RefusedRunsAndPathsLeaveNothingBehind)
{
    TempFolder folder;
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    // A destination longer than the engine takes is refused, not cut.
    std::string deep = folder.path();
    while (deep.size() < 560) {
        deep += std::string(100, 'd') + "/";
        fs::create_directory(deep);
    }
    ProfileSettings mp4 = FastMp4();
    RunSummary summary = driver.Run(Request(Tasks({clip}, mp4, deep), mp4, deep));
    ASSERT_EQ(summary.tasks.size(), 1u);
    EXPECT_EQ(summary.tasks[0].state, TaskState::Failed);
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_NE(observer.messages[0].find("too long"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(deep));

    // A disc profile whose estimate exceeds the medium does not start.
    ProfileSettings bluray = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");
    bluray.bVideoCustomBitRate = 1;
    bluray.nVideoCustomBitRate = 200000000;
    RunRequest big = Request(Tasks({clip}, bluray, folder.path()), bluray, folder.path());
    big.splitChoice = "BD-25 (25GB)";
    observer.messages.clear();
    summary = driver.Run(big);
    EXPECT_FALSE(summary.started);
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_TRUE(
        observer.messages[0].starts_with("The calculated output file size is larger than selected media size."));

    // Merging a clip without video with one that has it is refused.
    RunRequest merge =
        Request(Tasks({clip, testmedia::ClipPath(testmedia::Clip::AudioOnly)}, mp4, folder.path()), mp4, folder.path());
    merge.merge = true;
    observer.messages.clear();
    summary = driver.Run(merge);
    EXPECT_FALSE(summary.started);
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Some items no videos"});
    EXPECT_FALSE(driver.converting());
}
