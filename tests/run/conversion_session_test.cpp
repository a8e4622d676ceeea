// The session the window and the command line share: its rules, and what one run leaves for
// the next through it.
#include "reelvane/tasks/conversion_session.h"
#include "platform/ini_file.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

TEST(ConversionSession, RulesAndTheSharedProfileFlagThatOutlivesARun)
{
    TempFolder folder;
    fs::create_directories(folder.path("ini"));
    fs::create_directories(folder.path("out"));
    for (const char* file : {"mp4.ini", "divxavi.ini"})
        fs::copy_file(std::string(PROFILE_SOURCE_FOLDER) + file, folder.path("ini/") + file);
    ConversionSession session({folder.path("ini/"), folder.path("user/"), folder.path("config/")}, folder.path("out"));
    EXPECT_EQ(session.outputFolder(), folder.path("out/"));
    EXPECT_FALSE(session.SetOutputFolder(folder.path("out")));

    // A pick is remembered and offers the profile's disc sizes.
    EXPECT_TRUE(session.PickProfile("divxavi.ini", "DivX AVI"));
    EXPECT_EQ(platform::ini::ReadString(folder.path("config/tvcdef.ini"), "OUTPUT_DEFAULT", "outputprofile"),
              "DivX AVI");
    EXPECT_EQ(session.splitChoice(), "No split");
    EXPECT_FALSE(session.SetSplitChoice("BD-99"));
    EXPECT_TRUE(session.SetSplitChoice("DVD-5 (4.7GB)"));
    session.SetApplyToAll(false);
    session.SetMerge(true);
    EXPECT_TRUE(session.applyToAll());
    session.SetMerge(false);

    // Two tasks of two profile files, trimmed short, converted per file.
    const std::string clip = testmedia::SizedClipPath(2, 320, 240);
    TaskList tasks;
    tasks.Add(session.NewTask(clip));
    session.UseProfile(folder.path("ini/mp4.ini"), "MP4 Video");
    tasks.Add(session.NewTask(clip));
    for (int i = 0; i < tasks.Count(); ++i) {
        tasks.Get(i)->toEnd = 0;
        tasks.Get(i)->trimEnd = 500000;
    }
    EXPECT_NE(tasks.Get(0)->destinationPath, tasks.Get(1)->destinationPath);
    session.SetRunSettings({2, false});
    RunRequest first = session.BuildRunRequest(tasks, {});
    EXPECT_TRUE(first.sharedProfile);
    EXPECT_EQ(first.jobs, 2);
    EXPECT_FALSE(first.copyFitting);
    EXPECT_EQ(first.tasks.size(), 2u);
    EXPECT_EQ(first.outputFolder, folder.path("out/"));
    ScriptedObserver observer;
    RunSummary summary = ConversionDriver(observer).Run(first);
    ASSERT_EQ(summary.Count(TaskState::Finished), 2) << (observer.messages.empty() ? "" : observer.messages[0]);
    EXPECT_FALSE(summary.sharedProfile);
    session.RunEnded(summary);

    // The next run's disc-size check reads what the last run left: a DivX run far beyond a DVD is
    // refused only while the tasks of the last run shared their profile.
    session.PickProfile("divxavi.ini", "DivX AVI");
    ASSERT_TRUE(session.SetSplitChoice("DVD-5 (4.7GB)"));
    TaskList big;
    big.Add(session.NewTask(clip));
    big.Get(0)->probed.duration = 1e6f;
    RunRequest second = session.BuildRunRequest(big, {});
    EXPECT_FALSE(second.sharedProfile);
    second.sharedProfile = true;
    ScriptedObserver refused;
    EXPECT_FALSE(ConversionDriver(refused).Run(second).started);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_NE(refused.messages[0].find("larger than selected media size"), std::string::npos);
}
