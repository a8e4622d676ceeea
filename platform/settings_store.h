#pragma once
// The program's settings, kept in an INI file in the user's configuration folder
// ($XDG_CONFIG_HOME/quillon/reelvane.ini, section "Reelvane"), one value per name.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class SettingsStore {
public:
    // The default store of the signed-in user.
    SettingsStore();
    // A store kept in the given file, for tests and tools.
    explicit SettingsStore(std::string path);

    std::optional<std::string> ReadString(const std::string& name) const;
    // A value that is not a decimal number counts as missing.
    std::optional<int32_t> ReadInt(const std::string& name) const;
    bool WriteString(const std::string& name, const std::string& value) const;
    bool WriteInt(const std::string& name, int32_t value) const;

    const std::string& path() const { return path_; }

    static std::string DefaultPath();

private:
    std::string path_;
};

} // namespace platform
