#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

std::string ProgramFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

namespace {

// An installed folder named relative to the program's own, else the program folder itself.
std::string InstalledOrBeside(const char* relative)
{
    const std::string installed = ProgramFolder() + "/" + relative;
    std::error_code ec;
    if (std::filesystem::is_directory(installed, ec))
        return std::filesystem::path(installed).lexically_normal().string();
    return ProgramFolder();
}

std::string XdgFolder(const char* variable, const char* fallback)
{
    // The base directory specification ignores a relative value.
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + fallback;
}

} // namespace

std::string DataFolder()
{
    return InstalledOrBeside(REELVANE_DATA_FROM_PROGRAM);
}

std::string PrivateLibraryFolder()
{
    return InstalledOrBeside(REELVANE_LIBRARIES_FROM_PROGRAM);
}

std::string UserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string UserDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserVideosFolder()
{
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const std::string config = UserConfigFolder();
    // user-dirs.dirs holds lines like XDG_VIDEOS_DIR="$HOME/Videos".
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_VIDEOS_DIR=\"";
    while (std::getline(dirs, line)) {
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return home + "/Videos";
}

std::string UserStateFolder()
{
    return XdgFolder("XDG_STATE_HOME", "/.local/state");
}

} // namespace platform
