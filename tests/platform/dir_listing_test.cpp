#include "platform/dir_listing.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

TEST(DirListing, MatchingFilesSortedByteWise)
{
    TempFolder t;
    for (const char* name : {"mp4.ini", "MsMpeg4.ini", "b.INI", "a.txt", "tvcdef.ini", "_x.ini"})
        t.write(name, "");
    std::filesystem::create_directory(t.path("folder.ini"));
    EXPECT_EQ(platform::ListFiles(t.path(), "*.ini"),
              (std::vector<std::string>{"MsMpeg4.ini", "_x.ini", "b.INI", "mp4.ini", "tvcdef.ini"}));
    EXPECT_EQ(platform::ListFiles(t.path(), "*.*").size(), 6u);
    EXPECT_TRUE(platform::ListFiles(t.path("none"), "*.ini").empty());
}

TEST(DirListing, WildcardsMatchWholeNames)
{
    using platform::MatchesPattern;
    EXPECT_TRUE(MatchesPattern("clip.MKV", "*.mkv"));
    EXPECT_FALSE(MatchesPattern("clip.mkv.bak", "*.mkv"));
    EXPECT_TRUE(MatchesPattern("a1.ini", "a?.ini"));
    EXPECT_FALSE(MatchesPattern("a.ini", "a?.ini"));
    EXPECT_TRUE(MatchesPattern("README", "*.*"));
}
