#include "platform/removable_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace platform {

namespace {

// Mount tables write blanks, tabs, newlines and backslashes in a field as \ooo.
std::string DecodeMountField(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string> SplitRoots(const std::string& list)
{
    std::vector<std::string> roots;
    std::stringstream in(list);
    std::string root;
    while (std::getline(in, root, ':'))
        if (!root.empty())
            roots.push_back(root);
    return roots;
}

std::string ReadFirstLine(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

std::vector<MountEntry> ParseMountTable(const std::string& text)
{
    std::vector<MountEntry> entries;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::stringstream fields(line);
        std::string device, mountPoint;
        if (fields >> device >> mountPoint)
            entries.push_back({DecodeMountField(device), DecodeMountField(mountPoint)});
    }
    return entries;
}

bool IsRemovableBlockDevice(const std::string& device, const std::string& sysRoot)
{
    if (device.rfind("/dev/", 0) != 0)
        return false;
    std::error_code ec;
    // /dev/disk/by-label/... and similar names are links to the device node.
    fs::path node = fs::canonical(device, ec);
    if (ec)
        node = device;
    fs::path block = fs::canonical(fs::path(sysRoot) / "class" / "block" / node.filename(), ec);
    if (ec)
        return false;
    // A partition carries no flag of its own; its disk is the folder above it.
    if (fs::exists(block / "partition", ec))
        block = block.parent_path();
    return ReadFirstLine(block / "removable") == "1";
}

std::vector<std::string> RemovableDriveRoots()
{
    if (const char* named = std::getenv("FERRIX_REMOVABLE_ROOTS"))
        return SplitRoots(named);

    std::ifstream in("/proc/self/mounts");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> roots;
    for (const MountEntry& entry : ParseMountTable(text.str()))
        if (IsRemovableBlockDevice(entry.device) &&
            std::find(roots.begin(), roots.end(), entry.mountPoint) == roots.end())
            roots.push_back(entry.mountPoint);
    std::sort(roots.begin(), roots.end());
    return roots;
}

} // namespace platform
