// Copies onto cards (temporary folders standing in for removable drives) and into folders.

#include "tests/platform/temp_folder.h"
#include "tools/ferrix/card_copy.h"
#include "tools/ferrix/ferrix_args.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct CopyRun {
    ferrix::CopyStatus status;
    std::vector<std::string> messages;
};

CopyRun Copy(const std::string& source, const std::string& destination, const std::vector<std::string>& roots)
{
    CopyRun run;
    run.status = ferrix::CopyToCard({source, destination}, roots,
                                    [&](const std::string& text) { run.messages.push_back(text); });
    return run;
}

// A source folder with clip.mp4, clip.mpeg and their thumbnail, and two cards.
struct Cards {
    Cards()
    {
        fs::create_directories(folder.path("out"));
        fs::create_directories(folder.path("plain"));
        fs::create_directories(folder.path("player/MP_ROOT"));
        mp4 = folder.write("out/clip.mp4", "video");
        mpeg = folder.write("out/clip.mpeg", "mpeg video");
        folder.write("out/clip.THM", "thumbnail");
    }
    TempFolder folder;
    std::string mp4, mpeg;
    std::string plain = folder.path("plain");
    std::string player = folder.path("player");
};

} // namespace

TEST(ferrixArgs, ValueIsTheArgumentAfterTheKey)
{
    const std::vector<std::string> args = {"/o", " \"MP_ROOT/VIDEO\" ", "/i", "/home/u/clip.mp4", "/i", "second"};
    EXPECT_EQ(ferrix::KeyValue(args, "/i"), "/home/u/clip.mp4");
    EXPECT_EQ(ferrix::KeyValue(args, "/o"), "MP_ROOT/VIDEO");
    EXPECT_EQ(ferrix::KeyValue({"/i"}, "/i"), "");
    EXPECT_EQ(ferrix::KeyValue({"/i", "/o", "x"}, "/i"), "");
    EXPECT_EQ(ferrix::KeyValue({"/I", "x"}, "/i"), "");
    EXPECT_EQ(ferrix::KeyValue({"/i", "\"\""}, "/i"), "");
}

TEST(ferrixCopy, PlayerDestinationWithOrWithoutSlashesReachesTheSameFolderWithTheThumbnail)
{
    for (const std::string destination : {"MP_ROOT/VIDEO", "/MP_ROOT/VIDEO/"}) {
        Cards cards;
        const CopyRun run = Copy(cards.mp4, destination, {cards.plain, cards.player});
        EXPECT_EQ(run.status, ferrix::CopyStatus::Copied) << destination;
        EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.mp4"), "video");
        EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.THM"), "thumbnail");
        EXPECT_TRUE(fs::is_empty(cards.plain));
        EXPECT_TRUE(run.messages.empty());
    }
}

TEST(ferrixCopy, ThumbnailOfAnyExtensionIsTheBaseNameWithTHM)
{
    Cards cards;
    EXPECT_EQ(Copy(cards.mpeg, "MP_ROOT/VIDEO", {cards.player}).status, ferrix::CopyStatus::Copied);
    EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.mpeg"), "mpeg video");
    EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.THM"), "thumbnail");
}

TEST(ferrixCopy, NoCardWithPlayerFolderShowsCannotFindPspAndCopiesNothing)
{
    Cards cards;
    const CopyRun run = Copy(cards.mp4, "MP_ROOT/VIDEO", {cards.plain});
    EXPECT_EQ(run.status, ferrix::CopyStatus::NothingDone);
    EXPECT_EQ(run.messages, (std::vector<std::string>{"Cannot find PSP"}));
    EXPECT_TRUE(fs::is_empty(cards.plain));
}

TEST(ferrixCopy, OtherDestinationsGoToTheFirstCardWithoutThumbnail)
{
    Cards cards;
    EXPECT_EQ(Copy(cards.mp4, "/VIDEO", {cards.plain, cards.player}).status, ferrix::CopyStatus::Copied);
    EXPECT_EQ(cards.folder.read("plain/VIDEO/clip.mp4"), "video");
    EXPECT_FALSE(fs::exists(cards.folder.path("plain/VIDEO/clip.THM")));
    // Without cards nothing happens, silently.
    const CopyRun run = Copy(cards.mp4, "VIDEO", {});
    EXPECT_EQ(run.status, ferrix::CopyStatus::NothingDone);
    EXPECT_TRUE(run.messages.empty());
}

TEST(ferrixCopy, SecondRunLeavesTheFirstCopiesUntouched)
{
    Cards cards;
    ASSERT_EQ(Copy(cards.mp4, "MP_ROOT/VIDEO", {cards.player}).status, ferrix::CopyStatus::Copied);
    cards.folder.write("out/clip.mp4", "newer video");
    cards.folder.write("out/clip.THM", "newer thumbnail");
    EXPECT_EQ(Copy(cards.mp4, "MP_ROOT/VIDEO", {cards.player}).status, ferrix::CopyStatus::CopyFailed);
    EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.mp4"), "video");
    EXPECT_EQ(cards.folder.read("player/MP_ROOT/VIDEO/clip.THM"), "thumbnail");
    // No temporary is left beside them.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(cards.folder.path("player/MP_ROOT/VIDEO")), fs::directory_iterator()), 2);
}

TEST(ferrixCopy, FolderDestinationIsMadeOneLevelDeepOnly)
{
    Cards cards;
    const std::string folder = cards.folder.path("target");
    EXPECT_TRUE(ferrix::IsPathWithDrive(folder));
    EXPECT_EQ(Copy(cards.mp4, folder, {cards.plain}).status, ferrix::CopyStatus::Copied);
    EXPECT_EQ(cards.folder.read("target/clip.mp4"), "video");
    EXPECT_EQ(Copy(cards.mp4, folder + "/", {}).status, ferrix::CopyStatus::CopyFailed);
    EXPECT_EQ(cards.folder.read("target/clip.mp4"), "video");

    // Two levels missing: nothing is made and the copy fails.
    const std::string deep = cards.folder.path("missing/VIDEO");
    EXPECT_EQ(Copy(cards.mp4, deep, {}).status, ferrix::CopyStatus::CopyFailed);
    EXPECT_FALSE(fs::exists(cards.folder.path("missing")));
    // Relative to a card, the same rule holds.
    EXPECT_EQ(Copy(cards.mp4, "missing/VIDEO", {cards.plain}).status, ferrix::CopyStatus::CopyFailed);
    EXPECT_TRUE(fs::is_empty(cards.plain));
}

TEST(ferrixCopy, OnlyAbsolutePathsUnderAnExistingFirstFolderAreFolderDestinations)
{
    EXPECT_TRUE(ferrix::IsPathWithDrive("/tmp/anything/below"));
    EXPECT_FALSE(ferrix::IsPathWithDrive("/MP_ROOT/VIDEO"));
    EXPECT_FALSE(ferrix::IsPathWithDrive("tmp/VIDEO"));
    EXPECT_FALSE(ferrix::IsPathWithDrive("/"));
}

TEST(ferrixCopy, MissingSourceOrValuesDoNothing)
{
    Cards cards;
    EXPECT_EQ(Copy("", "VIDEO", {cards.plain}).status, ferrix::CopyStatus::NothingDone);
    EXPECT_EQ(Copy(cards.mp4, "", {cards.plain}).status, ferrix::CopyStatus::NothingDone);
    EXPECT_EQ(Copy(cards.folder.path("out/gone.mp4"), "VIDEO", {cards.plain}).status, ferrix::CopyStatus::CopyFailed);
    EXPECT_TRUE(fs::is_empty(cards.folder.path("plain/VIDEO")));
}
