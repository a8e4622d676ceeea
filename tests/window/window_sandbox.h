#pragma once
// The window tests' private program folder and settings.

#include "platform/settings_store.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/main_window.h"
#include "temp_folder.h"

#include <QtGlobal>

#include <filesystem>
#include <fstream>
#include <string>

namespace reelvane {

inline constexpr uint16_t kEnglishUs = 9 | (1 << 10);

// A program folder of its own (profiles, packs) and settings and state folders of its own.
class Sandbox {
public:
    Sandbox()
    {
        namespace fs = std::filesystem;
        program_ = root_.path("program");
        fs::create_directories(program_ + "/language");
        fs::copy(std::string(REELVANE_SOURCE_DIR) + "/data/ini", program_ + "/ini", fs::copy_options::recursive);
        fs::copy(std::string(REELVANE_SOURCE_DIR) + "/data/language/lumo", program_ + "/language/lumo",
                 fs::copy_options::recursive);
        std::ifstream mp4(program_ + "/ini/mp4.ini");
        std::string text((std::istreambuf_iterator<char>(mp4)), {});
        auto replaced = [&](std::string s, const std::string& from, const std::string& to) {
            s.replace(s.find(from), from.size(), to);
            return s;
        };
        std::string mkv =
            replaced(replaced(replaced(text, "[MP4 Video]", "[MKV Video]"), "TargetType=mp4", "TargetType=mkv"),
                     "nVideoBitRateLevel=3.000000", "nVideoBitRateLevel=6.000000");
        root_.write("program/ini/mkv.ini", mkv);
        root_.write("program/ini/mine.ini", "[A]\nTargetType=avi\nnVideoBitRateLevel=1.0\n[B]\nTargetType=webm\n");
        fs::create_directories(root_.path("config"));
        root_.write("config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"" + root_.path("videos") + "\"\n");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(root_.path("config")));
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(root_.path("state")));
    }

    WindowSetup Setup() const
    {
        platform::SettingsStore settings;
        StartupSettings startup = LoadStartupSettings(settings, program_, Languages(), kEnglishUs);
        return {program_,
                program_,
                {program_ + "/ini/", root_.path("data") + "/quillon/ini/", root_.path("config") + "/quillon/"},
                settings,
                startup,
                TaskListStore()};
    }

    const std::string& program() const { return program_; }
    // The default output folder: the videos folder of the sandbox's user-dirs.dirs.
    std::string output() const { return root_.path("videos") + "/Reelvane"; }
    std::string path(const std::string& name) const { return root_.path(name); }
    std::string recoveryFile() const { return root_.path("state") + "/quillon/tasks.json"; }

private:
    TempFolder root_;
    std::string program_;
};

} // namespace reelvane
