// Several tasks at once: the same outputs as one at a time under names reserved in task order,
// a Cancel that leaves no partial file of any task, and the automatic count of tasks.
#include "reelvane/conversion/task_scheduler.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include "platform/process_runner.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

namespace {

ProfileSettings FastMp4()
{
    ProfileSettings s = Profile("mp4.ini", "MP4 Video");
    SetText(s.Para, "-f mp4 -preset ultrafast");
    return s;
}

RunRequest Request(const std::vector<std::string>& sources, const ProfileSettings& profile, const std::string& folder,
                   int jobs)
{
    RunRequest request;
    request.tasks = Tasks(sources, profile, folder);
    request.currentProfile = profile;
    request.outputFolder = folder;
    request.jobs = jobs;
    return request;
}

std::string DecodedMd5(const std::string& path)
{
    return platform::RunAndCapture("ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-f", "md5", "-"}).value_or("");
}

} // namespace

TEST(ParallelRun, ThreeTasksAtOnceGiveTheOutputsOfOneAtATimeUnderTheSameNames)
{
    TempFolder one, three;
    const std::string a = testmedia::SizedClipPath(2, 320, 240);
    const std::string b = testmedia::ClipPath(testmedia::Clip::Standard4x3);
    const std::vector<std::string> sources = {a, b, a, a};
    const ProfileSettings profile = FastMp4();
    ScriptedObserver serial, parallel;
    ConversionDriver serialDriver(serial), parallelDriver(parallel);

    RunSummary first = serialDriver.Run(Request(sources, profile, one.path(), 1));
    RunSummary second = parallelDriver.Run(Request(sources, profile, three.path(), 3));

    ASSERT_TRUE(first.Succeeded());
    ASSERT_TRUE(second.Succeeded()) << (parallel.messages.empty() ? "" : parallel.messages[0]);
    EXPECT_EQ(FolderEntries(one.path()), FolderEntries(three.path())); // no partial file left either
    ASSERT_EQ(second.tasks.size(), sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(fs::path(first.tasks[i].output).filename(), fs::path(second.tasks[i].output).filename());
        EXPECT_EQ(second.tasks[i].taskIndex, static_cast<int>(i));
        EXPECT_EQ(DecodedMd5(first.tasks[i].output), DecodedMd5(second.tasks[i].output)) << i;
    }
    // The engine calls overlapped: three started before the first of them ended; each task had its
    // own percentage, and the run's percentage never went back.
    int lastRunPercent = 0;
    bool monotonic = true;
    for (const RunProgress& p : parallel.progress) {
        monotonic = monotonic && p.runPercent >= lastRunPercent;
        lastRunPercent = p.runPercent;
        EXPECT_EQ(p.taskCount, 4);
    }
    EXPECT_EQ(parallel.startedBeforeAnyEnded, 3u);
    EXPECT_EQ(serial.startedBeforeAnyEnded, 1u);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(parallel.shownOutputs.size(), 1u);
}

TEST(ParallelRun, CancelWhileThreeTasksRunLeavesNoFileOfAnyOfThem)
{
    TempFolder folder;
    ProfileSettings profile = FastMp4();
    SetText(profile.BeforePara, "-re"); // at the clip's own pace, so the cancel comes mid-way
    ScriptedObserver observer;
    std::set<int> seen;
    observer.onProgress = [&](const RunProgress& p) {
        seen.insert(p.taskIndex);
        if (seen.size() >= 3)
            observer.cancel = true;
    };
    ConversionDriver driver(observer);
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);

    RunSummary summary = driver.Run(Request({clip, clip, clip, clip, clip}, profile, folder.path(), 3));

    EXPECT_TRUE(summary.cancelled);
    ASSERT_EQ(summary.tasks.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(summary.tasks[i].state, TaskState::Cancelled) << i;
    for (int i = 3; i < 5; ++i)
        EXPECT_EQ(summary.tasks[i].state, TaskState::NotStarted) << i;
    EXPECT_TRUE(FolderEntries(folder.path()).empty());
    EXPECT_EQ(observer.statuses.back().second, "Cancelled: 0 of 5 tasks finished");
}

TEST(ParallelRun, AutomaticCountRunsSmallAndAudioTasksSideBySideAndAnHdEncodeAlone)
{
    TempFolder folder;
    const std::string small = testmedia::SizedClipPath(2, 320, 240);
    const std::vector<std::string> twelve(12, small);
    const ProfileSettings audio = Profile("ac3.ini", "AC-3 Audio");
    const ProfileSettings device = Profile("sony320x240.ini", "Sony Ericsson MP4 (320x240)");
    const ProfileSettings bluray = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");

    EXPECT_EQ(AutomaticJobs(Tasks(twelve, audio, folder.path()), 2), 2);
    EXPECT_EQ(AutomaticJobs(Tasks(twelve, audio, folder.path()), 16), 12); // no more calls than tasks
    EXPECT_EQ(AutomaticJobs(Tasks(twelve, device, folder.path()), 2), 2);
    EXPECT_EQ(AutomaticJobs(Tasks(twelve, device, folder.path()), 16), 12);
    EXPECT_EQ(AutomaticJobs(Tasks(twelve, bluray, folder.path()), 16), 1);
    // One HD task among small ones keeps the whole run from oversubscribing.
    std::vector<ConversionTask> mixed = Tasks(twelve, device, folder.path());
    mixed.push_back(Tasks({small}, bluray, folder.path())[0]);
    EXPECT_EQ(AutomaticJobs(mixed, 16), 1);
    EXPECT_EQ(AutomaticJobs({}, 4), 1);
}
