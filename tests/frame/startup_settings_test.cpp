#include "platform/ini_file.h"
#include "reelvane/frame/startup_settings.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace reelvane {
namespace {

TEST(StartupSettings, FirstStartWritesEveryDefaultBack)
{
    TempFolder program;
    TempFolder config;
    std::filesystem::create_directories(program.path("language/lumo"));
    program.write("language/lumo/english.ini", "[Info]\nLanguage=English\n");
    program.write("language/lumo/german.ini", "[Info]\nLanguage=Deutsch (German)\n");
    const std::string folder = program.path().substr(0, program.path().size() - 1);
    platform::SettingsStore settings(config.path("quillon/reelvane.ini"));
    LanguageTable languages;

    std::filesystem::create_directories(config.path("xdg"));
    config.write("xdg/user-dirs.dirs", "XDG_VIDEOS_DIR=\"" + config.path("Filme") + "\"\n");
    ::setenv("XDG_CONFIG_HOME", config.path("xdg").c_str(), 1);

    const uint16_t germanGermany = 7 | (1 << 10);
    StartupSettings started = LoadStartupSettings(settings, folder, languages, germanGermany);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(started.outputFolder, config.path("Filme") + "/Reelvane/");
    EXPECT_TRUE(std::filesystem::is_directory(config.path("Filme/Reelvane")));
    EXPECT_FALSE(std::filesystem::exists(folder + "/output"));
    EXPECT_EQ(started.firstUse, 0);
    EXPECT_EQ(settings.ReadString("ConvertDir"), config.path("Filme") + "/Reelvane/");
    EXPECT_EQ(settings.ReadString("languagefolder"), "/language/lumo/");
    EXPECT_EQ(settings.ReadString("commonlanguagefolder"), "/language/");
    EXPECT_EQ(settings.ReadString("language"), "Deutsch (German)");
    EXPECT_EQ(settings.ReadInt("firstuse"), 0);
    EXPECT_EQ(languages.CurrentLanguageName(), "Deutsch (German)");
    EXPECT_EQ(languages.ListLanguages().size(), 2u);
}

TEST(StartupSettings, StoredValuesWinAndAMissingOutputFolderIsMade)
{
    TempFolder program;
    TempFolder config;
    platform::SettingsStore settings(config.path("reelvane.ini"));
    settings.WriteString("ConvertDir", config.path("deep/er/out"));
    settings.WriteInt("firstuse", 1);
    settings.WriteString("language", "Klingon");
    LanguageTable languages;
    StartupSettings started = LoadStartupSettings(settings, program.path(), languages, 9 | (1 << 10));
    EXPECT_EQ(started.outputFolder, config.path("deep/er/out") + "/");
    EXPECT_TRUE(std::filesystem::is_directory(config.path("deep/er/out")));
    EXPECT_EQ(settings.ReadString("ConvertDir"), config.path("deep/er/out") + "/");
    EXPECT_EQ(started.firstUse, 1);
    EXPECT_EQ(settings.ReadString("language"), "Klingon");
}

TEST(StartupSettings, TheDefaultOutputFolderIsTheVideosFolderEvenWithoutUserDirs)
{
    TempFolder home;
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.path("me").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.path("none").c_str(), 1);
    EXPECT_EQ(DefaultOutputFolder(), home.path("me") + "/Videos/Reelvane/");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
} // namespace reelvane
