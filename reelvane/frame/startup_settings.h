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

// The user's videos folder + "/Reelvane/"; the program's own folders are never written.
std::string DefaultOutputFolder();

// Reads "ConvertDir" (creating the folder), "firstuse", the language folders (below the data
// folder) and the language, sets up `languages`, and writes "ConvertDir" back.
StartupSettings LoadStartupSettings(const platform::SettingsStore& settings, const std::string& dataFolder,
                                    LanguageTable& languages, uint16_t systemLanguageId);

// A folder text with a "/" at its end.
std::string WithTrailingSlash(std::string folder);

} // namespace reelvane
