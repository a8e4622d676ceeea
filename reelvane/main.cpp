// Until the main window exists, the program shows what it found: its folders, its settings,
// the language packs and the remembered profile.
#include "platform/program_folder.h"
#include "reelvane/cli/command_line.h"
#include "platform/settings_store.h"
#include "platform/system_language.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_file.h"

#include <cstdio>

using namespace reelvane;

int main(int argc, char** argv)
{
    if (int code = RunCommandLine(argc, argv); code >= 0)
        return code;
    const std::string programFolder = platform::ProgramFolder();
    platform::SettingsStore settings;
    const std::string convertDir = settings.ReadString("ConvertDir").value_or(programFolder + "/output/");
    const std::string languageFolder = programFolder + settings.ReadString("languagefolder").value_or("/language/lumo/");

    LanguageTable& languages = Languages();
    languages.SetLanguageFolder(languageFolder);
    languages.SetCommonLanguageFolder(programFolder + settings.ReadString("commonlanguagefolder").value_or("/language/"));
    const std::string language = settings.ReadString("language").value_or(languages.DefaultLanguageName(platform::SystemLanguageId()));
    languages.SelectLanguage(language);

    std::printf("Reelvane 2.5.37\n");
    std::printf("program folder:  %s\n", programFolder.c_str());
    std::printf("settings file:   %s\n", settings.path().c_str());
    std::printf("output folder:   %s\n", convertDir.c_str());
    std::printf("language folder: %s\n", languageFolder.c_str());
    std::printf("language:        %s (%zu packs)\n", language.c_str(), languages.ListLanguages().size());
    for (const LanguagePack& pack : languages.ListLanguages())
        std::printf("  %s  [%s]\n", pack.name.c_str(), pack.fileName.c_str());

    ProfileSettings current = EmptyProfileSettings();
    OutputDefault chosen = LoadChosenProfile(ProfileFolder(), current);
    std::printf("profile:         %s from %s (%zu profile files)\n", chosen.profileName, chosen.profileFile,
                ListProfileFiles(ProfileFolder()).size());
    std::printf("%s %s\n", LookupText("MAIN_DLG", "strOutputFolderInfo", "Default output folder:").c_str(), convertDir.c_str());
    return 0;
}
