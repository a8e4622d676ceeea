#include "reelvane/profiles/profile_catalogue.h"

#include <gtest/gtest.h>
#include <map>

using namespace reelvane;

TEST(ProfileCatalogue, CategoriesInTableOrderWithTheirSizes)
{
    std::vector<std::pair<std::string, int>> seen;
    for (const ProfileCatalogueRow& row : ProfileCatalogue()) {
        if (seen.empty() || seen.back().first != row.categoryName)
            seen.push_back({row.categoryName, 0});
        ++seen.back().second;
    }
    const std::vector<std::pair<std::string, int>> expected = {
        {"Common Video", 19}, {"Common Audio", 13}, {"iPod / Apple TV", 7}, {"iPhone / iPad", 6},
        {"PSP / PS3", 2},     {"Flash Video", 2},   {"Zune / XBOX 360", 2}, {"Nokia", 7},
        {"Mobile Device", 6}, {"Wii", 2},           {"PowerPoint", 2},      {"HD Video", 9},
        {"Blu-ray Disc", 2},  {"AVCHD DVD", 2},     {"DVD/SVCD/VCD", 6},    {"HEVC / AV1 / WebM", 8}};
    EXPECT_EQ(seen, expected);
}

TEST(ProfileCatalogue, LookupIsCaseSensitiveWithAFallback)
{
    ProfileCategory c = CategoryOfProfileFile("blu-ray_h264.ini");
    EXPECT_EQ(c.categoryName, "Blu-ray Disc");
    EXPECT_EQ(c.categoryImage, 53);
    EXPECT_EQ(CategoryOfProfileFile("MsMpeg4.ini").profileImage, 7);
    EXPECT_EQ(CategoryOfProfileFile("ntscsvcd.ini").profileImage, 56);
    EXPECT_EQ(CategoryOfProfileFile("MP4.ini").categoryName, "Other Profiles");
    EXPECT_EQ(CategoryOfProfileFile("MP4.ini").categoryImage, 0);
    EXPECT_EQ(CategoryOfProfileFile("msmpeg4.ini").categoryName, "Other Profiles");
}

TEST(ProfileCatalogue, EveryFileIsListedOnce)
{
    std::map<std::string, int> count;
    for (const ProfileCatalogueRow& row : ProfileCatalogue())
        ++count[row.profileFile];
    EXPECT_EQ(count.size(), 95u);
}
