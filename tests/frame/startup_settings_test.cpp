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

    const uint16_t germanGermany = 7 | (1 << 10);
    StartupSettings started = LoadStartupSettings(settings, folder, languages, germanGermany);
    EXPECT_EQ(started.outputFolder, folder + "/output/");
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/output"));
    EXPECT_EQ(started.firstUse, 0);
    EXPECT_EQ(settings.ReadString("ConvertDir"), folder + "/output/");
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

TEST(StartupSettings, AnUnwritableProgramFolderSendsOutputToTheVideosFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    TempFolder program;
    std::filesystem::permissions(program.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_NE(DefaultOutputFolder(program.path()).find("/Reelvane/"), std::string::npos);
    std::filesystem::permissions(program.path(), std::filesystem::perms::owner_all);
}

} // namespace
} // namespace reelvane
