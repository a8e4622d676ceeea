// The platform pieces ferrix stands on: removable drives and files committed without replacing.

#include "platform/removable_drives.h"
#include "platform/staged_file.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(ferrixRemovableDrives, MountTableFieldsAreDecoded)
{
    const auto entries = platform::ParseMountTable("/dev/sdb1 /media/u/MY\\040CARD vfat rw 0 0\n"
                                                   "proc /proc proc rw 0 0\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].device, "/dev/sdb1");
    EXPECT_EQ(entries[0].mountPoint, "/media/u/MY CARD");
    EXPECT_EQ(entries[1].mountPoint, "/proc");
}

TEST(ferrixRemovableDrives, RemovableFlagComesFromTheDiskOfAPartition)
{
    TempFolder sys;
    const fs::path devices = sys.path("devices/pci0/block");
    fs::create_directories(devices / "sdb/sdb1");
    fs::create_directories(devices / "sda/sda1");
    sys.write("devices/pci0/block/sdb/removable", "1\n");
    sys.write("devices/pci0/block/sdb/sdb1/partition", "1\n");
    sys.write("devices/pci0/block/sda/removable", "0\n");
    sys.write("devices/pci0/block/sda/sda1/partition", "1\n");
    fs::create_directories(sys.path("class/block"));
    for (const char* name : {"sdb", "sda"}) {
        fs::create_directory_symlink(devices / name, sys.path("class/block/") + name);
        fs::create_directory_symlink(devices / name / (std::string(name) + "1"), sys.path("class/block/") + name + "1");
    }
    const std::string root = sys.path("");
    EXPECT_TRUE(platform::IsRemovableBlockDevice("/dev/sdb1", root));
    EXPECT_TRUE(platform::IsRemovableBlockDevice("/dev/sdb", root));
    EXPECT_FALSE(platform::IsRemovableBlockDevice("/dev/sda1", root));
    EXPECT_FALSE(platform::IsRemovableBlockDevice("/dev/sdc1", root));
    EXPECT_FALSE(platform::IsRemovableBlockDevice("tmpfs", root));
}

TEST(ferrixRemovableDrives, EnvironmentNamesTheRootsInItsOrder)
{
    setenv("FERRIX_REMOVABLE_ROOTS", "/media/b::/media/a", 1);
    EXPECT_EQ(platform::RemovableDriveRoots(), (std::vector<std::string>{"/media/b", "/media/a"}));
    setenv("FERRIX_REMOVABLE_ROOTS", "", 1);
    EXPECT_TRUE(platform::RemovableDriveRoots().empty());
    unsetenv("FERRIX_REMOVABLE_ROOTS");
}

TEST(ferrixStagedFile, TargetAppearsOnlyWhenCommittedAndIsNeverReplacedUnlessAsked)
{
    TempFolder folder;
    const std::string target = folder.path("clip.mp4");
    {
        platform::StagedFile file(target);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("new", 3));
        EXPECT_FALSE(fs::exists(target));
        // Dropped without a commit: nothing remains.
    }
    EXPECT_TRUE(fs::is_empty(folder.path("")));

    folder.write("clip.mp4", "old");
    std::string error;
    EXPECT_FALSE(platform::WriteFileStaged(target, "new", 3, false, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder.read("clip.mp4"), "old");
    EXPECT_TRUE(platform::WriteFileStaged(target, "new", 3, true));
    EXPECT_EQ(folder.read("clip.mp4"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path("")), fs::directory_iterator()), 1);
    EXPECT_FALSE(platform::WriteFileStaged(folder.path("no/such/clip.mp4"), "x", 1, true));
}
