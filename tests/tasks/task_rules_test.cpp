#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_list.h"
#include "reelvane/tasks/task_rules.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace reelvane {
namespace {

std::unique_ptr<ConversionTask> Named(const std::string& source)
{
    auto task = std::make_unique<ConversionTask>();
    task->sourcePath = source;
    return task;
}

TEST(TaskRules, DestinationKeepsInnerDotsAndSkipsExistingFiles)
{
    TempFolder out;
    EXPECT_EQ(NameDestination(out.path(), "/videos/movie.part1.mkv", "mp4"), out.path() + "movie.part1.mp4");
    out.write("movie.part1.mp4", "x");
    EXPECT_EQ(NameDestination(out.path(), "/videos/movie.part1.mkv", "mp4"), out.path() + "movie.part1 (1).mp4");
    out.write("movie.part1 (1).mp4", "x");
    EXPECT_EQ(NameDestination(out.path(), "/videos/movie.part1.mkv", "mp4"), out.path() + "movie.part1 (2).mp4");
    // No dot: the whole name is the base. Two sources of one base share a name while nothing is on disk.
    EXPECT_EQ(NameDestination(out.path(), "/videos/README", "mkv"), out.path() + "README.mkv");
    EXPECT_EQ(NameDestination(out.path(), "/a/x.mkv", "mp4"), NameDestination(out.path(), "/b/x.mka", "mp4"));
}

TEST(TaskRules, ExtensionTestIsASubstringTestOnTheLowerCasedExtension)
{
    EXPECT_TRUE(AcceptedByDrop("/v/clip.MKV"));
    EXPECT_TRUE(AcceptedByDrop("/v/clip.mka"));
    EXPECT_FALSE(AcceptedByDrop("/v/clip.avi"));
    EXPECT_FALSE(AcceptedByDrop("/v/clip.mkv.avi"));
    EXPECT_TRUE(AcceptedByFolderScan("a.mk"));
    EXPECT_TRUE(AcceptedByFolderScan("b.M"));
    EXPECT_FALSE(AcceptedByFolderScan("mkv"));
    EXPECT_FALSE(AcceptedByFolderScan("a.mp4"));
}

TEST(TaskRules, FolderScanGoesIntoSubFoldersOnlyWhenAsked)
{
    TempFolder folder;
    folder.write("b.mkv", "");
    folder.write("a.mk", "");
    folder.write("c.txt", "");
    folder.write("mkv", "");
    std::filesystem::create_directories(folder.path("sub"));
    folder.write("sub/d.MKA", "");
    const std::string root = folder.path();
    EXPECT_EQ(ScanFolder(root, false), (std::vector<std::string>{root + "a.mk", root + "b.mkv"}));
    EXPECT_EQ(ScanFolder(root, true), (std::vector<std::string>{root + "a.mk", root + "b.mkv", root + "sub/d.MKA"}));
    EXPECT_TRUE(ScanFolder(folder.path("missing"), true).empty());
}

TEST(TaskRules, FolderScanFollowsFileLinksButNotFolderLinksAndListsEachFileOnce)
{
    namespace fs = std::filesystem;
    TempFolder folder;
    fs::create_directories(folder.path("movies/sub"));
    fs::create_directories(folder.path("elsewhere"));
    folder.write("movies/a.mkv", "");
    folder.write("movies/sub/b.mkv", "");
    folder.write("elsewhere/c.mkv", "");
    const std::string root = folder.path("movies/");
    // A link back to the folder itself, one to a folder outside, one to a file outside, and one
    // to a file of the folder.
    fs::create_directory_symlink(root, root + "sub/up");
    fs::create_directory_symlink(folder.path("elsewhere"), root + "outside");
    fs::create_symlink(folder.path("elsewhere/c.mkv"), root + "link to c.mkv");
    fs::create_symlink(root + "a.mkv", root + "sub/again.mkv");
    fs::create_symlink(root + "gone.mkv", root + "dangling.mkv");
    EXPECT_EQ(ScanFolder(root, true),
              (std::vector<std::string>{root + "a.mkv", root + "link to c.mkv", root + "sub/b.mkv"}));
}

TEST(TaskRules, LengthAndEstimate)
{
    EXPECT_EQ(FormatLength(0), "00:00:00");
    EXPECT_EQ(FormatLength(3725.96f), "01:02:05");
    EXPECT_EQ(FormatLength(59.99f), "00:00:59");

    ConversionTask task;
    task.settings.nVideoDefaultBitRate = 900;
    task.settings.nVideoCustomBitRate = 5000;
    task.settings.nAudioCustomBitRate = 96.7f;
    task.probed.duration = 60;
    task.probed.audioTracks.resize(2);
    EXPECT_NEAR(EstimatedSizeMegabytes(task), 9.64, 0.005); // (900 + 2 x 224) x 60 x 1000 / 8388608
    task.settings.bVideoCustomBitRate = 1;
    task.settings.bAudioCustomBitRate = 1;
    EXPECT_NEAR(EstimatedSizeMegabytes(task), (5000 + 2 * 96) * 60 * 1000 / 8388608.0, 1e-9);
    // Switching audio or video off does not change the estimate.
    task.settings.bDisableAudio = 1;
    task.settings.bDisableVideo = 1;
    EXPECT_NEAR(EstimatedSizeMegabytes(task), (5000 + 2 * 96) * 60 * 1000 / 8388608.0, 1e-9);
}

TEST(TaskRules, MovesStayInsideTheList)
{
    TaskList list;
    for (const char* name : {"a", "b", "c"})
        list.Add(Named(name));
    EXPECT_EQ(list.Move(0, -1), -1);
    EXPECT_EQ(list.Move(2, 4), -1);
    EXPECT_EQ(list.Move(2, 2), 0);
    EXPECT_EQ(list.Move(2, 0), 0);
    EXPECT_EQ(list.Get(0)->sourcePath, "c");
    EXPECT_EQ(list.Get(1)->sourcePath, "a");
    EXPECT_EQ(list.Remove(3), -1);
    EXPECT_EQ(list.Get(3), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TaskRules, CreatedTasksCarryTheProfileAndAnUnreadableFileStays)
{
    TempFolder out;
    ProfileSettings mp4 = EmptyProfileSettings();
    ReadProfile("MP4 Video", mp4, std::string(REELVANE_SOURCE_DIR) + "/data/ini/mp4.ini");
    ASSERT_STREQ(mp4.TargetType, "mp4");

    auto task = CreateTask(testmedia::ClipPath(testmedia::Clip::MatroskaTracks), mp4, 1, out.path());
    EXPECT_EQ(task->settings.nSourceWidth, 320);
    EXPECT_EQ(task->settings.nSourceHeight, 240);
    EXPECT_EQ(task->settings.nVideoDefaultBitRate, 225); // 3.0 x 320 x 240 x 0.9765625 / 1000
    EXPECT_EQ(task->probed.audioTracks.size(), 2u);
    EXPECT_EQ(std::filesystem::path(task->destinationPath).parent_path().string() + "/", out.path());
    EXPECT_EQ(std::filesystem::path(task->destinationPath).extension(), ".mp4");

    auto broken = CreateTask(testmedia::ClipPath(testmedia::Clip::NotMedia), mp4, -1, out.path());
    ASSERT_NE(broken, nullptr);
    EXPECT_NE(broken->probed.informationText.find("Cannot open the file"), std::string::npos);
    EXPECT_EQ(broken->probed.duration, 0);
    EXPECT_EQ(EstimatedSizeMegabytes(*broken), 0);
}

} // namespace
} // namespace reelvane
