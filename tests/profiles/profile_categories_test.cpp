#include "reelvane/profiles/profile_categories.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

int IndexOf(const ProfileCategories& c, const std::string& name)
{
    for (std::size_t i = 0; i < c.categories().size(); ++i)
        if (c.categories()[i].name == name)
            return static_cast<int>(i);
    return -1;
}

TEST(ProfileCategories, CatalogueOrderThenOtherAndAll)
{
    ProfileCategories c;
    ASSERT_EQ(c.categories().size(), 18u);
    EXPECT_EQ(c.categories()[0].name, "Common Video");
    EXPECT_EQ(c.categories()[0].image, 3);
    EXPECT_EQ(c.categories()[14].name, "DVD/SVCD/VCD");
    EXPECT_EQ(c.categories()[15].name, "HEVC / AV1 / WebM");
    EXPECT_EQ(c.categories()[15].image, 58);
    EXPECT_EQ(c.categories()[16].name, "Other Profiles");
    EXPECT_EQ(c.categories()[16].image, 1);
    EXPECT_EQ(c.categories()[17].name, "All Profiles");
    EXPECT_EQ(c.allProfilesIndex(), 17);
}

TEST(ProfileCategories, BuiltFromAFolderWithUnknownAndMissingFiles)
{
    TempFolder folder;
    folder.write("mine.ini", "[A]\nTargetType=mp4\n[B]\nTargetType=avi\n");
    folder.write("mp4.ini", "[MP4 Video]\n[Shared]\n");
    folder.write("mkv.ini", "[MKV Video]\n[Shared]\n");
    folder.write("tvcdef.ini", "[OUTPUT_DEFAULT]\noutputinifile=mp4.ini\n");
    ProfileCategories c = BuildCatalogue({folder.path(), folder.path(), folder.path()});

    const int other = IndexOf(c, "Other Profiles");
    ASSERT_EQ(c.categories()[static_cast<std::size_t>(other)].profiles.size(), 2u);
    EXPECT_EQ(c.ProfilesShown(other)[0].profileName, "A");
    EXPECT_EQ(c.ProfilesShown(other)[1].image, 0);
    // A category whose files are all missing is still listed, empty.
    EXPECT_TRUE(c.ProfilesShown(IndexOf(c, "Blu-ray Disc")).empty());
    // Files in name order: mkv.ini before mp4.ini; "tvcdef.ini" is no profile file.
    const std::vector<ProfileEntry> video = c.ProfilesShown(0);
    ASSERT_EQ(video.size(), 4u);
    EXPECT_EQ(video[0].fileName, "mkv.ini");
    EXPECT_EQ(video[0].image, 9);
    EXPECT_EQ(video[3].profileName, "Shared");
    EXPECT_EQ(video[3].fileName, "mp4.ini");

    // "All Profiles" lists every category in order; positions count in that combined list.
    const std::vector<ProfileEntry> all = c.ProfilesShown(c.allProfilesIndex());
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[4].profileName, "A");
    EXPECT_TRUE(c.ProfilesShown(99).empty());
}

TEST(ProfileCategories, FindTellsSameNamedProfilesApartByFile)
{
    TempFolder folder;
    folder.write("mp4.ini", "[Shared]\n");
    folder.write("mkv.ini", "[Shared]\n");
    ProfileCategories c = BuildCatalogue({folder.path(), folder.path(), folder.path()});
    EXPECT_EQ(c.Find("mkv.ini", "Shared").profile, 0);
    EXPECT_EQ(c.Find("mp4.ini", "Shared").profile, 1);
    EXPECT_EQ(c.Find("mp4.ini", "Shared").category, 0);
    // A remembered profile whose file is gone: the category is known, no entry is.
    CataloguePosition gone = c.Find("wmv.ini", "WMV Video");
    EXPECT_EQ(gone.category, 0);
    EXPECT_EQ(gone.profile, -1);
    EXPECT_EQ(c.Find("lost.ini", "X").category, IndexOf(c, "Other Profiles"));
    EXPECT_EQ(c.Find("lost.ini", "X").profile, -1);
}

} // namespace
} // namespace reelvane
