#pragma once
// Language packs: one INI file per language in the language folder; every user-visible text is
// looked up by section, key and its built-in English text.

#include <cstdint>
#include <shared_mutex>
#include <string>
#include <vector>

namespace reelvane {

struct LanguagePack {
    std::string name;     // "Language" of section "Info"
    std::string fileName; // without the folder
};

// Safe to use from several threads: a run reads texts while the window may switch the language.
class LanguageTable {
public:
    // Stores the folder (ending in "/") and rebuilds the pack list; an empty text does nothing.
    void SetLanguageFolder(const std::string& folder);
    void SetCommonLanguageFolder(const std::string& folder);
    // The name of the first pack that equals `name` byte for byte becomes current; with none,
    // the current file stays as it was.
    void SelectLanguage(const std::string& name);
    void SelectLanguageByIndex(std::size_t index);
    std::vector<LanguagePack> ListLanguages() const;
    std::string CurrentLanguageName() const;
    std::string CurrentLanguageFile() const;
    std::string LanguageFolder() const;
    std::string CommonLanguageFolder() const;

    // The pack name for a system language identifier, "English" when no pack fits.
    std::string DefaultLanguageName(uint16_t languageId) const;

    // The text of the current pack, or `builtin`; "#13", "#19" and "#17" replaced.
    std::string LookupText(const std::string& section, const std::string& key, const std::string& builtin) const;

private:
    void SelectLocked(const std::string& name);

    mutable std::shared_mutex mutex_;
    std::string folder_;
    std::string commonFolder_;
    std::string currentName_;
    std::string currentFile_;
    std::vector<LanguagePack> packs_;
};

// The process-wide table.
LanguageTable& Languages();

// LookupText of the process-wide table.
std::string LookupText(const std::string& section, const std::string& key, const std::string& builtin);

// Name of a primary language number ("Croatian" for 26), empty when unknown.
std::string PrimaryLanguageName(uint16_t primary);

// Name of the first sublanguage row with that number whose name contains `primaryName`, empty
// when none.
std::string SubLanguageName(uint16_t sub, const std::string& primaryName);

// Replaces the pack escapes in order: "#13" line feed, "#19" tab, "#17" carriage return.
std::string ReplaceLanguageEscapes(std::string text);

} // namespace reelvane
