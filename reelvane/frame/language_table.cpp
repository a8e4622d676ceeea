#include "reelvane/frame/language_table.h"

#include "platform/dir_listing.h"
#include "platform/ini_file.h"
#include "platform/system_language.h"

namespace reelvane {
namespace {

std::string ReadCut(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& fallback, std::size_t capacity)
{
    std::string value = platform::ini::ReadString(path, section, key, fallback);
    if (value.size() > capacity - 1)
        value.resize(capacity - 1);
    return value;
}

void ReplaceAll(std::string& text, const std::string& from, char to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
        text.replace(at, from.size(), 1, to);
}

} // namespace

std::string ReplaceLanguageEscapes(std::string text)
{
    ReplaceAll(text, "#13", '\n');
    ReplaceAll(text, "#19", '\t');
    ReplaceAll(text, "#17", '\r');
    return text;
}

void LanguageTable::SetLanguageFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    folder_ = folder;
    packs_.clear();
    for (const std::string& file : platform::ListFiles(folder_, "*.ini")) {
        std::string name = ReadCut(folder_ + file, "Info", "Language", "", 100);
        if (!name.empty())
            packs_.push_back({name, file});
    }
}

void LanguageTable::SelectLanguage(const std::string& name)
{
    currentName_ = name;
    for (const LanguagePack& pack : packs_) {
        if (pack.name == name) {
            currentFile_ = folder_ + pack.fileName;
            return;
        }
    }
}

void LanguageTable::SelectLanguageByIndex(std::size_t index)
{
    if (index < packs_.size())
        SelectLanguage(packs_[index].name);
}

std::string LanguageTable::DefaultLanguageName(uint16_t languageId) const
{
    std::string primary = PrimaryLanguageName(platform::PrimaryLanguage(languageId));
    if (primary.empty())
        return "English";
    std::string wanted = SubLanguageName(platform::SubLanguage(languageId), primary);
    // Languages the sublanguage table has no row for (Japanese, Russian, ...) look for their
    // primary name, so that a shipped pack is still found.
    if (wanted.empty())
        wanted = primary;
    for (const LanguagePack& pack : packs_)
        if (pack.name.find(wanted) != std::string::npos)
            return pack.name;
    return "English";
}

std::string LanguageTable::LookupText(const std::string& section, const std::string& key,
                                      const std::string& builtin) const
{
    if (currentFile_.empty())
        return ReplaceLanguageEscapes(builtin);
    return ReplaceLanguageEscapes(ReadCut(currentFile_, section, key, builtin, 500));
}

LanguageTable& Languages()
{
    static LanguageTable table;
    return table;
}

std::string LookupText(const std::string& section, const std::string& key, const std::string& builtin)
{
    return Languages().LookupText(section, key, builtin);
}

} // namespace reelvane
