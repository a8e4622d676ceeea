#include "reelvane/frame/startup_settings.h"

#include "platform/program_folder.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace reelvane {
namespace {

bool MakeWritableFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK) == 0;
}

std::string ReadOrWriteBack(const platform::SettingsStore& settings, const std::string& name,
                            const std::string& fallback)
{
    if (std::optional<std::string> value = settings.ReadString(name))
        return *value;
    settings.WriteString(name, fallback);
    return fallback;
}

} // namespace

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string DefaultOutputFolder()
{
    return platform::UserVideosFolder() + "/Reelvane/";
}

StartupSettings LoadStartupSettings(const platform::SettingsStore& settings, const std::string& dataFolder,
                                    LanguageTable& languages, uint16_t systemLanguageId)
{
    StartupSettings result;
    std::optional<std::string> convertDir = settings.ReadString("ConvertDir");
    // An empty value names no folder; it counts as missing.
    if (!convertDir || convertDir->empty()) {
        convertDir = DefaultOutputFolder();
        settings.WriteString("ConvertDir", *convertDir);
    }
    result.outputFolder = WithTrailingSlash(*convertDir);
    MakeWritableFolder(result.outputFolder);

    std::optional<int32_t> firstUse = settings.ReadInt("firstuse");
    if (!firstUse) {
        firstUse = 0;
        settings.WriteInt("firstuse", 0);
    }
    result.firstUse = *firstUse;

    languages.SetLanguageFolder(dataFolder + ReadOrWriteBack(settings, "languagefolder", "/language/lumo/"));
    languages.SetCommonLanguageFolder(dataFolder + ReadOrWriteBack(settings, "commonlanguagefolder", "/language/"));
    languages.SelectLanguage(ReadOrWriteBack(settings, "language", languages.DefaultLanguageName(systemLanguageId)));

    settings.WriteString("ConvertDir", result.outputFolder);
    return result;
}

} // namespace reelvane
