// A failure is reported and leaves no image behind; a file that changes under the build does not.
#include <gtest/gtest.h>

#include <algorithm>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "nx_udf/nx_udf.h"
#include "nx_udf/udf_layout.h"
#include "udf_image_reader.h"
#include "udf_test_tree.h"
#include "udf_tree_check.h"

namespace fs = std::filesystem;
using namespace udf_test;

TEST(NxUdfFailure, MissingArgumentsAndSourceLeaveEverythingAlone)
{
    TempFolder temp;
    fs::path image = temp / "old.iso";
    WriteFile(image, "an older image");
    EXPECT_EQ(nx_udfc(nullptr, "BDMV", image.c_str(), nullptr), -1);
    EXPECT_EQ(nx_udfc(temp.path().c_str(), nullptr, image.c_str(), nullptr), -1);
    EXPECT_EQ(nx_udfc(temp.path().c_str(), "BDMV", nullptr, nullptr), -1);
    EXPECT_EQ(nx_udfc(temp.path().c_str(), "\xFF", image.c_str(), nullptr), -1); // a label that is not UTF-8
    EXPECT_EQ(build(temp / "no such folder", image), -1);
    EXPECT_EQ(build(image, temp / "new.iso"), -1); // a file is no folder
    EXPECT_EQ(ReadFile(image), "an older image");
    EXPECT_FALSE(fs::exists(temp / "new.iso"));
}

TEST(NxUdfFailure, ImageThatCannotBeCreated)
{
    TempFolder temp;
    MakeDiscRoot(temp / "disc");
    WriteFile(temp / "plain", "x");
    EXPECT_EQ(build(temp / "disc", temp / "missing folder/a.iso"), -1);
    EXPECT_EQ(build(temp / "disc", temp / "plain/a.iso"), -1);
    fs::create_directories(temp / "a folder/inside");
    EXPECT_EQ(build(temp / "disc", temp / "a folder"), -1);
    EXPECT_TRUE(fs::exists(temp / "a folder/inside"));
    EXPECT_EQ(build(temp / "disc", temp / "a folder/inside"), -1);
    EXPECT_TRUE(fs::is_directory(temp / "a folder/inside"));
    EXPECT_FALSE(fs::exists(temp / "missing folder"));
}

TEST(NxUdfFailure, TreesThatCannotBeStored)
{
    TempFolder temp;
    WriteFile(temp / "long" / std::string(254, 'n'), "fits");
    EXPECT_EQ(build(temp / "long", temp / "fits.iso"), 0);
    WriteFile(temp / "long" / std::string(255, 'n'), "too long");
    EXPECT_EQ(build(temp / "long", temp / "long.iso"), -1);
    EXPECT_FALSE(fs::exists(temp / "long.iso"));

    WriteFile(temp / "bad name/caf\xE9", "latin-1 bytes are not UTF-8");
    EXPECT_EQ(build(temp / "bad name", temp / "bad.iso"), -1);

    fs::create_directories(temp / "circle/inner");
    fs::create_directory_symlink("..", temp / "circle/inner/up");
    EXPECT_EQ(build(temp / "circle", temp / "circle.iso"), -1);
    EXPECT_FALSE(fs::exists(temp / "circle.iso"));
}

TEST(NxUdfFailure, MetadataFileStaysBelowTheLargestExtent)
{
    // Empty names take 40 directory bytes each: 3 blocks + the root directory + one entry per child.
    nx_udf::UdfTreeEntry root;
    root.isFolder = true;
    auto AddChildren = [&root](std::size_t count) {
        while (root.children.size() < count)
            root.children.push_back(std::make_unique<nx_udf::UdfTreeEntry>());
    };
    AddChildren(514209); // 524256 blocks: the largest whole allocation units below 2^30 bytes
    auto layout = nx_udf::LayOut(root);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->metadataUsed, 524256u);
    EXPECT_EQ(layout->metadataBlocks, 524256u);
    EXPECT_LT(uint64_t(layout->metadataBlocks) * 2048, uint64_t(1) << 30);

    AddChildren(514210); // 524257 blocks would round up to exactly 2^30 bytes
    EXPECT_FALSE(nx_udf::LayOut(root));
}

TEST(NxUdfFailure, OnlyFilesAndFoldersAreStored)
{
    TempFolder temp;
    WriteFile(temp / "src/real.txt", "real");
    ASSERT_EQ(mkfifo((temp / "src/pipe").c_str(), 0644), 0); // reading it would wait forever
    fs::create_symlink("nowhere", temp / "src/broken");
    fs::create_symlink("real.txt", temp / "src/link.txt");
    ASSERT_EQ(build(temp / "src", temp / "s.iso"), 0);
    ImageReader image((temp / "s.iso").string());
    auto root = image.directory(2);
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(Utf8Name(root[1].name), "link.txt");
    EXPECT_EQ(Utf8Name(root[2].name), "real.txt");
}

namespace {
// What happens to the first file once the image has begun.
fs::path changingFile;
enum class Change { Shrink, Grow, Vanish, Unreadable } changeKind;
int32_t ChangeOnFirstBlock(int32_t percent, const char*)
{
    if (percent != 0 || changingFile.empty())
        return 0;
    switch (changeKind) {
    case Change::Shrink: fs::resize_file(changingFile, 3000); break;
    case Change::Grow: fs::resize_file(changingFile, 20000); break;
    case Change::Vanish: fs::remove(changingFile); break;
    case Change::Unreadable: fs::permissions(changingFile, fs::perms::none); break;
    }
    changingFile.clear();
    return 0;
}
} // namespace

TEST(NxUdfFailure, AFileThatChangesOrCannotBeReadFailsTheImage)
{
    // The caller removes the folder after a good image: a file stored as zeros would be lost.
    for (Change change : {Change::Shrink, Change::Grow, Change::Vanish, Change::Unreadable}) {
        SCOPED_TRACE(int(change));
        if (change == Change::Unreadable && geteuid() == 0)
            continue; // root reads every file
        TempFolder temp;
        WriteFile(temp / "src/a.bin", pattern(10000, 1));
        WriteFile(temp / "src/b.bin", pattern(5000, 2));
        fs::path image = temp / "s.iso";
        changingFile = temp / "src/a.bin";
        changeKind = change;
        EXPECT_EQ(nx_udfc((temp / "src").c_str(), "BDMV", image.c_str(), ChangeOnFirstBlock), -1);
        EXPECT_FALSE(fs::exists(image));
    }
}

TEST(NxUdfFailure, FullDiskRemovesThePartialImage)
{
    TempFolder temp;
    WriteFile(temp / "src/data.bin", pattern(3 << 20, 5));
    fs::path image = temp / "full.iso";
    // The file size limit stands in for a full disk, in a child so that the limit stays there.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{2 << 20, 2 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(build(temp / "src", image) == -1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(image));
}

TEST(NxUdfFailure, ImageInsideTheSourceIsNotPackedIntoItself)
{
    TempFolder temp;
    WriteFile(temp / "src/a.txt", "a");
    fs::path image = temp / "src/disc.iso";
    ASSERT_EQ(build(temp / "src", image), 0);
    auto root = ImageReader(image.string()).directory(2);
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(Utf8Name(root[1].name), "a.txt");
    EXPECT_EQ(build(temp / "src", image), -1); // the first image is not replaced
    EXPECT_EQ(ImageReader(image.string()).directory(2).size(), 2u);
}

namespace {
int stopAfter = 0;
int32_t StopAtBlock(int32_t, const char*)
{
    return --stopAfter < 0 ? 1 : 0;
}

int reportFd = -1;
int32_t SignalAndWait(int32_t, const char*)
{
    if (reportFd >= 0) {
        [[maybe_unused]] auto n = write(reportFd, "x", 1);
        reportFd = -1;
        pause();
    }
    return 0;
}

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(NxUdfFailure, NoImageIsReplacedCutOffStoppedOrFedFromOutsideTheFolder)
{
    TempFolder temp;
    WriteFile(temp / "src/BDMV/data.bin", pattern(4 << 20, 3));

    // A file of the user's at the image path stays as it is.
    WriteFile(temp / "mine.iso", "the user's own file");
    EXPECT_EQ(build(temp / "src", temp / "mine.iso"), -1);
    EXPECT_EQ(ReadFile(temp / "mine.iso"), "the user's own file");

    // Links out of the folder, to a file or a folder, are refused; nothing of theirs is read.
    WriteFile(temp / "elsewhere/secret.txt", "not for the disc");
    fs::create_symlink(temp / "elsewhere/secret.txt", temp / "src/BDMV/secret.txt");
    EXPECT_EQ(build(temp / "src", temp / "file link.iso"), -1);
    fs::remove(temp / "src/BDMV/secret.txt");
    fs::create_directory_symlink("../../elsewhere", temp / "src/BDMV/away");
    EXPECT_EQ(build(temp / "src", temp / "folder link.iso"), -1);
    fs::remove(temp / "src/BDMV/away");

    // The caller stops the build: no image and no partial file.
    stopAfter = 5;
    EXPECT_EQ(nx_udfc((temp / "src").c_str(), "BDMV", (temp / "stopped.iso").c_str(), StopAtBlock), -1);
    EXPECT_EQ(Names(temp.path()), (std::vector<std::string>{"elsewhere", "mine.iso", "src"}));

    // A kill in the middle of the build leaves only a hidden partial file, never a short image.
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        reportFd = report[1];
        nx_udfc((temp / "src").c_str(), "BDMV", (temp / "killed.iso").c_str(), SignalAndWait);
        _exit(0);
    }
    close(report[1]);
    char byte;
    ASSERT_EQ(read(report[0], &byte, 1), 1);
    close(report[0]);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(fs::exists(temp / "killed.iso"));
    std::vector<std::string> names = Names(temp.path());
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], ".killed.partial-" + std::to_string(child) + "-0.iso");

    ASSERT_EQ(build(temp / "src", temp / "whole.iso"), 0);
    EXPECT_EQ(ImageReader((temp / "whole.iso").string()).directory(2).size(), 2u);
}
