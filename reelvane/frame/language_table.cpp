#include "reelvane/frame/language_table.h"

#include "platform/dir_listing.h"
#include "platform/ini_file.h"
#include "platform/system_language.h"

#include <mutex>

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
    std::vector<LanguagePack> packs;
    for (const std::string& file : platform::ListFiles(folder, "*.ini")) {
        std::string name = ReadCut(folder + file, "Info", "Language", "", 100);
        if (!name.empty())
            packs.push_back({name, file});
    }
    std::unique_lock lock(mutex_);
    folder_ = folder;
    packs_ = std::move(packs);
}

void LanguageTable::SetCommonLanguageFolder(const std::string& folder)
{
    std::unique_lock lock(mutex_);
    commonFolder_ = folder;
}

void LanguageTable::SelectLanguage(const std::string& name)
{
    std::unique_lock lock(mutex_);
    SelectLocked(name);
}

void LanguageTable::SelectLocked(const std::string& name)
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
    std::unique_lock lock(mutex_);
    if (index < packs_.size())
        SelectLocked(packs_[index].name);
}

std::vector<LanguagePack> LanguageTable::ListLanguages() const
{
    std::shared_lock lock(mutex_);
    return packs_;
}

std::string LanguageTable::CurrentLanguageName() const
{
    std::shared_lock lock(mutex_);
    return currentName_;
}

std::string LanguageTable::CurrentLanguageFile() const
{
    std::shared_lock lock(mutex_);
    return currentFile_;
}

std::string LanguageTable::LanguageFolder() const
{
    std::shared_lock lock(mutex_);
    return folder_;
}

std::string LanguageTable::CommonLanguageFolder() const
{
    std::shared_lock lock(mutex_);
    return commonFolder_;
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
    std::shared_lock lock(mutex_);
    for (const LanguagePack& pack : packs_)
        if (pack.name.find(wanted) != std::string::npos)
            return pack.name;
    return "English";
}

std::string LanguageTable::LookupText(const std::string& section, const std::string& key,
                                      const std::string& builtin) const
{
    // The pack's file is read outside the lock, so a switch waits only for the copy of its path.
    const std::string file = CurrentLanguageFile();
    if (file.empty())
        return ReplaceLanguageEscapes(builtin);
    return ReplaceLanguageEscapes(ReadCut(file, section, key, builtin, 500));
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
