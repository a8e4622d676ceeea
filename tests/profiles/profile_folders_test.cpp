#include "platform/ini_file.h"
#include "reelvane/profiles/option_rules.h"
#include "reelvane/profiles/profile_categories.h"
#include "reelvane/profiles/profile_folders.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

namespace reelvane {
namespace {

class ScriptedSaveUi : public OptionSaveUi {
public:
    explicit ScriptedSaveUi(std::string name) : name_(std::move(name)) {}
    std::optional<std::string> AskProfileName(const std::string&) override { return std::exchange(name_, {}); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;

private:
    std::optional<std::string> name_;
};

constexpr char kShippedMp4[] = "[MP4 Video]\nTargetType=mp4\nnAudioVolume=256\n";

struct Folders {
    Folders()
    {
        std::filesystem::create_directories(root.path("shipped"));
        root.write("shipped/mp4.ini", kShippedMp4);
        root.write("shipped/avi.ini", "[AVI]\nTargetType=avi\n");
        root.write("shipped/tvcdef.ini", "[OUTPUT_DEFAULT]\noutputinifile=mp4.ini\noutputprofile=MP4 Video\n");
    }
    TempFolder root;
    ProfileFolders folders{root.path("shipped/"), root.path("user") + "/ini/", root.path("config") + "/quillon/"};
};

TEST(ProfileFolders, SavesGoToTheUsersCopyWhichShadowsTheShippedFile)
{
    Folders f;
    const ProfileFolders& folders = f.folders;
    ConversionTask task;
    LoadChosenProfile(folders, task.settings);
    ASSERT_EQ(std::string(task.settings.iniPath), folders.shipped + "mp4.ini");

    ScriptedSaveUi ui("Mine");
    ProfileSettings edited = task.settings;
    edited.nAudioVolume = 400;
    ASSERT_TRUE(ConfirmOptions(task, edited, SaveChoice::SaveAsNew, folders, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(f.root.read("shipped/mp4.ini"), kShippedMp4);
    const std::string copy = folders.user + "mp4.ini";
    EXPECT_EQ(std::string(task.settings.iniPath), copy);
    EXPECT_EQ(platform::ini::SectionNames(copy), (std::vector<std::string>{"MP4 Video", "Mine"}));
    EXPECT_EQ(platform::ini::ReadString(copy, "Mine", "nAudioVolume"), "400");
    EXPECT_EQ(platform::ini::ReadString(folders.choice + "tvcdef.ini", "default", "mp4.ini"), "Mine");

    // Listing and reading: each name once, the user's file before the shipped one.
    EXPECT_EQ(folders.Files(), (std::vector<std::string>{"avi.ini", "mp4.ini"}));
    EXPECT_EQ(folders.PathOf("mp4.ini"), copy);
    EXPECT_EQ(folders.PathOf("avi.ini"), folders.shipped + "avi.ini");
    const ProfileCategories catalogue = BuildCatalogue(folders);
    std::vector<std::string> all;
    for (const ProfileEntry& entry : catalogue.ProfilesShown(catalogue.allProfilesIndex()))
        all.push_back(entry.fileName + ":" + entry.profileName);
    EXPECT_EQ(all.size(), 3u);
    EXPECT_NE(std::find(all.begin(), all.end(), "mp4.ini:Mine"), all.end());

    // The pick: the user's "tvcdef.ini" started as the shipped one, so the save kept the shipped
    // pick; a pick of the user's then stands.
    EXPECT_EQ(folders.ChoiceReadFolder(), folders.choice);
    EXPECT_STREQ(ReadOutputDefault(folders.ChoiceReadFolder()).profileName, "MP4 Video");
    ASSERT_TRUE(folders.RememberChoice("mp4.ini", "Mine", 1));
    EXPECT_EQ(f.root.read("shipped/tvcdef.ini"), "[OUTPUT_DEFAULT]\noutputinifile=mp4.ini\noutputprofile=MP4 Video\n");
    ProfileSettings again = EmptyProfileSettings();
    EXPECT_STREQ(LoadChosenProfile(folders, again).profileName, "Mine");
    EXPECT_EQ(again.nAudioVolume, 400);
    EXPECT_EQ(std::string(again.iniPath), copy);

    // Save from a record that still names the shipped file writes the user's copy.
    ConversionTask shippedTask;
    ReadProfile("MP4 Video", shippedTask.settings, folders.shipped + "mp4.ini");
    SetText(shippedTask.settings.iniPath, folders.shipped + "mp4.ini");
    ProfileSettings louder = shippedTask.settings;
    louder.nAudioVolume = 512;
    ASSERT_TRUE(ConfirmOptions(shippedTask, louder, SaveChoice::Save, folders, ui));
    EXPECT_EQ(platform::ini::ReadString(copy, "MP4 Video", "nAudioVolume"), "512");
    EXPECT_EQ(platform::ini::ReadString(copy, "Mine", "nAudioVolume"), "400");
    EXPECT_EQ(f.root.read("shipped/mp4.ini"), kShippedMp4);
}

TEST(ProfileFolders, AFolderThatCannotBeMadeIsReported)
{
    Folders f;
    f.root.write("blocked", "a file, not a folder");
    const ProfileFolders folders{f.folders.shipped, f.root.path("blocked") + "/ini/", f.root.path("blocked") + "/q/"};
    ConversionTask task;
    LoadChosenProfile(folders, task.settings);
    ScriptedSaveUi ui("Mine");
    EXPECT_FALSE(ConfirmOptions(task, task.settings, SaveChoice::SaveAsNew, folders, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("could not be saved in " + folders.user + "mp4.ini"), std::string::npos);
    EXPECT_EQ(f.root.read("shipped/mp4.ini"), kShippedMp4);
    EXPECT_FALSE(folders.RememberChoice("mp4.ini", "MP4 Video", 1));
}

} // namespace
} // namespace reelvane
