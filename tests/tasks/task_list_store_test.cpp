#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_list_store.h"
#include "reelvane/tasks/task_rules.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace reelvane {
namespace {

TEST(TaskListStore, KeepsSettingsTracksAndSubtitlesAcrossAStart)
{
    TempFolder state;
    TaskListStore store(state.path("quillon/tasks.json"));
    ProfileSettings mp4 = EmptyProfileSettings();
    const std::string profile = std::string(REELVANE_SOURCE_DIR) + "/data/ini/mp4.ini";
    ReadProfile("MP4 Video", mp4, profile);
    SetText(mp4.iniPath, profile);

    TaskList tasks;
    auto first = CreateTask(testmedia::ClipPath(testmedia::Clip::MatroskaTracks), mp4, 1, state.path());
    // What the user changed on this task after adding it.
    first->settings.nVideoCustomBitRate = 2345;
    first->settings.bVideoCustomBitRate = 1;
    first->settings.nAudioCustomBitRate = 96.5f;
    SetText(first->settings.Para, "-f mp4 -movflags +faststart");
    first->probed.audioTracks[0].selected = 0;
    first->probed.audioTracks[1].selected = 1;
    first->subtitleCandidates = {"/tmp/a.srt", "/tmp/b.ass"};
    first->subtitlePath = "/tmp/b.ass";
    first->destinationPath = "/elsewhere/renamed.mp4";
    first->fromStart = 0;
    first->trimStart = 5000000000LL;
    first->toEnd = 0;
    first->trimEnd = 7000000000LL;
    tasks.Add(std::move(first));
    tasks.Add(CreateTask(testmedia::ClipPath(testmedia::Clip::NotMedia), mp4, -1, state.path()));
    ASSERT_TRUE(store.Save(tasks));
    EXPECT_TRUE(store.HasSaved());
    // Written whole under its own name: no temporary is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state.path("quillon")), {}), 1);

    std::vector<std::unique_ptr<ConversionTask>> restored = store.Load();
    ASSERT_EQ(restored.size(), 2u);
    const ConversionTask& a = *restored[0];
    const ConversionTask& original = *tasks.Get(0);
    EXPECT_EQ(a.sourcePath, original.sourcePath);
    EXPECT_EQ(a.destinationPath, "/elsewhere/renamed.mp4");
    EXPECT_EQ(a.calcAspect, 1);
    EXPECT_EQ(a.fromStart, 0);
    EXPECT_EQ(a.trimStart, 5000000000LL);
    EXPECT_EQ(a.toEnd, 0);
    EXPECT_EQ(a.trimEnd, 7000000000LL);
    EXPECT_EQ(a.subtitleCandidates, original.subtitleCandidates);
    EXPECT_EQ(a.subtitlePath, "/tmp/b.ass");
    ASSERT_EQ(a.probed.audioTracks.size(), 2u);
    EXPECT_EQ(a.probed.audioTracks[0].selected, 0);
    EXPECT_EQ(a.probed.audioTracks[1].selected, 1);
    EXPECT_FLOAT_EQ(a.probed.duration, original.probed.duration);
    // The whole settings record comes back as it was.
    EXPECT_EQ(std::memcmp(&a.settings, &original.settings, sizeof(ProfileSettings)), 0);
    EXPECT_NE(restored[1]->probed.informationText.find("Cannot open the file"), std::string::npos);

    tasks.RemoveAll();
    ASSERT_TRUE(store.Save(tasks));
    EXPECT_FALSE(store.HasSaved());
}

TEST(TaskListStore, DamagedOrForeignFilesGiveNoTasks)
{
    TempFolder state;
    TaskListStore store(state.write("tasks.json", "{\"version\": 1, \"tasks\": [ {\"source\": \"/x.mkv\""));
    EXPECT_TRUE(store.Load().empty());
    state.write("tasks.json", "{\"version\": 99, \"tasks\": [{\"source\": \"/x.mkv\"}]}");
    EXPECT_TRUE(store.Load().empty());
    state.write("tasks.json", "{\"version\": 1, \"tasks\": [{\"source\": \"\"}, 7, {\"source\": \"/missing.mkv\"}]}");
    std::vector<std::unique_ptr<ConversionTask>> tasks = store.Load();
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->sourcePath, "/missing.mkv");
    EXPECT_TRUE(TaskListStore(state.path("none.json")).Load().empty());
}

TEST(TaskListStore, EachWindowClaimsAFileOfItsOwnAndFindsOnesLeftBehind)
{
    TempFolder state;
    // A second window ended without closing; the first closed normally.
    const std::string folder = state.path("quillon");
    std::filesystem::create_directory(folder);
    state.write("quillon/tasks-2.json", "{}");
    const TaskListStore first = TaskListStore::Claim(folder);
    EXPECT_EQ(first.path(), folder + "/tasks-2.json");
    const TaskListStore second = TaskListStore::Claim(folder);
    EXPECT_EQ(second.path(), folder + "/tasks.json");
    {
        const TaskListStore third = TaskListStore::Claim(folder);
        EXPECT_EQ(third.path(), folder + "/tasks-3.json");
    }
    EXPECT_EQ(TaskListStore::Claim(folder).path(), folder + "/tasks-3.json");
}

} // namespace
} // namespace reelvane
