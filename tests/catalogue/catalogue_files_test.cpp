// The shipped profile files against the catalogue and the profile keys.

#include "platform/ini_file.h"
#include "reelvane/conversion/engine_arguments.h"
#include "reelvane/profiles/profile_catalogue.h"
#include "reelvane/profiles/profile_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace reelvane;

namespace {

const std::string kFolder = REELVANE_PROFILE_SOURCE_FOLDER;

struct Key {
    const char* name;
    std::size_t width; // text keys: the field width; 0 for numbers
};

constexpr Key kKeys[] = {
    {"FormatName", 128},
    {"FormatHint", 128},
    {"TargetType", 20},
    {"Para", 1024},
    {"BeforePara", 1024},
    {"PostProcess", 1024},
    {"bDisableAudio", 0},
    {"bAudioCustomSampleRate", 0},
    {"nAudioCustomSampleRate", 0},
    {"bAudioCustomBitRate", 0},
    {"nAudioCustomBitRate", 0},
    {"nAudioChannel", 0},
    {"bAudioCustomVolume", 0},
    {"nAudioVolume", 0},
    {"cAudioCodec", 20},
    {"bDisableVideo", 0},
    {"bVideoHighQuality", 0},
    {"bVideoCustomFrameRate", 0},
    {"nVideoCustomFrameRate", 0},
    {"nVideoBitRateLevel", 0},
    {"nVideoBitRateLevel2", 0},
    {"nVideoBitRateLevel3", 0},
    {"bVideoCustomBitRate", 0},
    {"nVideoCustomBitRate", 0},
    {"cVideoCodec", 20},
    {"bVideoEnableCrop", 0},
    {"nVideoCropLeft", 0},
    {"nVideoCropRight", 0},
    {"nVideoCropTop", 0},
    {"nVideoCropBottom", 0},
    {"bVideoEnablePad", 0},
    {"nVideoPadLeft", 0},
    {"nVideoPadRight", 0},
    {"nVideoPadTop", 0},
    {"nVideoPadBottom", 0},
    {"nVideoPadColor", 0},
    {"nVideoRiszeOption", 0},
    {"nVideoCustomSizeX", 0},
    {"nVideoCustomSizeY", 0},
    {"nAspect", 0},
    {"bCanBurn", 0},
    {"BurnType", 10},
};

std::string Stem(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

} // namespace

TEST(Catalogue, EveryCategoryIsFilledAndEveryShippedFileHasItsRow)
{
    std::map<std::string, int> profilesPerCategory;
    for (const ProfileCatalogueRow& row : ProfileCatalogue())
        profilesPerCategory[row.categoryName] = 0;
    for (const std::string& file : ListProfileFiles(kFolder)) {
        const std::string path = kFolder + file;
        ProfileCategory category = CategoryOfProfileFile(file);
        EXPECT_NE(category.categoryName, "Other Profiles") << file << " is in no catalogue row";
        EXPECT_FALSE(ProfileSectionNames(path).empty()) << file;
        profilesPerCategory[category.categoryName] += static_cast<int>(ProfileSectionNames(path).size());
    }
    EXPECT_EQ(profilesPerCategory.size(), 16u);
    for (const auto& [category, count] : profilesPerCategory)
        EXPECT_GT(count, 0) << category << " is empty";
    for (const ProfileCatalogueRow& row : ProfileCatalogue())
        EXPECT_TRUE(std::filesystem::exists(kFolder + row.profileFile)) << row.profileFile;
}

TEST(Catalogue, EverySectionHasEveryKeyWithinItsFieldAndAUniqueName)
{
    std::set<std::string> names;
    for (const std::string& file : ListProfileFiles(kFolder)) {
        const std::string path = kFolder + file;
        for (const std::string& section : ProfileSectionNames(path)) {
            SCOPED_TRACE(Stem(path) + " [" + section + "]");
            EXPECT_TRUE(names.insert(section).second) << "the name is used twice; the selector would pick one";
            std::vector<std::string> keys = platform::ini::KeyNames(path, section);
            EXPECT_EQ(keys.size(), std::size(kKeys));
            for (const Key& key : kKeys) {
                const std::string value = platform::ini::ReadString(path, section, key.name, "\x01");
                EXPECT_NE(value, "\x01") << key.name << " is missing";
                if (key.width) {
                    EXPECT_LT(value.size(), key.width) << key.name << " would be cut";
                }
            }
            ProfileSettings s = EmptyProfileSettings();
            ReadProfile(section, s, path);
            EXPECT_STRNE(s.FormatName, "");
            EXPECT_STRNE(s.FormatHint, "");
            EXPECT_STRNE(s.TargetType, "");
            // "-fs" with "No split" drops every later word of Para, so it comes last.
            std::vector<std::string> words = SplitWords(s.Para);
            auto split = std::find(words.begin(), words.end(), "-fs");
            EXPECT_TRUE(split == words.end() || split + 2 == words.end()) << s.Para;
        }
    }
}

TEST(Catalogue, DiscProfilesNameTheirBurnType)
{
    for (const std::string& file : ListProfileFiles(kFolder)) {
        const std::string path = kFolder + file;
        const std::string stem = Stem(file);
        std::string expected = stem.starts_with("blu-ray_") ? "BLURAY"
                               : stem.starts_with("avchd_") ? "AVCHD"
                               : stem.ends_with("svcd")     ? "SVCD"
                               : stem.ends_with("vcd")      ? "VCD"
                               : stem.ends_with("dvd")      ? "DVD"
                                                            : "";
        for (const std::string& section : ProfileSectionNames(path)) {
            ProfileSettings s = EmptyProfileSettings();
            ReadProfile(section, s, path);
            EXPECT_EQ(s.BurnType, expected) << section;
            EXPECT_EQ(s.bCanBurn, expected.empty() ? 0 : 1) << section;
        }
    }
}

TEST(Catalogue, TheDefaultOutputIsAnH264AacMp4)
{
    OutputDefault chosen = ReadOutputDefault(kFolder);
    ProfileSettings s = EmptyProfileSettings();
    ReadProfile(chosen.profileName, s, kFolder + chosen.profileFile);
    EXPECT_EQ(chosen.calcAspect, 1);
    EXPECT_STREQ(s.TargetType, "mp4");
    EXPECT_STREQ(s.cVideoCodec, "h264");
    EXPECT_STREQ(s.cAudioCodec, "aac");
    EXPECT_NE(std::string(s.Para).find("-f mp4"), std::string::npos);
}
