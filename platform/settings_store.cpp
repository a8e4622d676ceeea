#include "platform/settings_store.h"

#include "platform/ini_file.h"
#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {
const char kSection[] = "Reelvane";
}

SettingsStore::SettingsStore() : path_(DefaultPath())
{
}

SettingsStore::SettingsStore(std::string path) : path_(std::move(path))
{
}

std::string SettingsStore::DefaultPath()
{
    return UserConfigFolder() + "/quillon/reelvane.ini";
}

std::optional<std::string> SettingsStore::ReadString(const std::string& name) const
{
    // A sentinel that no stored text can equal tells "missing" from "empty".
    static const std::string missing("\x01missing\x01");
    std::string value = ini::ReadString(path_, kSection, name, missing);
    if (value == missing)
        return std::nullopt;
    return value;
}

std::optional<int32_t> SettingsStore::ReadInt(const std::string& name) const
{
    std::optional<std::string> text = ReadString(name);
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    long long value = std::strtoll(text->c_str(), &end, 10);
    if (*end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

bool SettingsStore::WriteString(const std::string& name, const std::string& value) const
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    return ini::WriteString(path_, kSection, name, value);
}

bool SettingsStore::WriteInt(const std::string& name, int32_t value) const
{
    return WriteString(name, std::to_string(value));
}

} // namespace platform
