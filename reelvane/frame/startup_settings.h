#pragma once
// The settings read at start-up, with each missing value's default written back at once.

#include "platform/settings_store.h"
#include "reelvane/frame/language_table.h"

#include <cstdint>
#include <string>

namespace reelvane {

struct StartupSettings {
    std::string outputFolder; // ends with "/"
    int32_t firstUse = 0;
};

// program folder + "/output/" when it can be created and written, else the user's videos folder
// + "/Reelvane/".
std::string DefaultOutputFolder(const std::string& programFolder);

// Reads "ConvertDir" (creating the folder), "firstuse", the language folders and the language,
// sets up `languages`, and writes "ConvertDir" back.
StartupSettings LoadStartupSettings(const platform::SettingsStore& settings, const std::string& programFolder,
                                    LanguageTable& languages, uint16_t systemLanguageId);

// A folder text with a "/" at its end.
std::string WithTrailingSlash(std::string folder);

} // namespace reelvane
