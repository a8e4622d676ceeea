#pragma once
// Mounted removable drives (memory cards, USB sticks), by the root folder they are mounted at.

#include <string>
#include <vector>

namespace platform {

struct MountEntry {
    std::string device;
    std::string mountPoint;
};

// Root folders of the mounted removable drives, sorted by mount point. FERRIX_REMOVABLE_ROOTS
// (colon-separated), when set, names the roots instead: for tests and for card readers that the
// kernel does not flag as removable.
std::vector<std::string> RemovableDriveRoots();

// The entries of a mount table in the format of /proc/self/mounts, octal escapes decoded.
std::vector<MountEntry> ParseMountTable(const std::string& text);

// Whether `device` (a /dev path) is a removable block device, or a partition of one, according to
// the sysfs tree at `sysRoot`.
bool IsRemovableBlockDevice(const std::string& device, const std::string& sysRoot = "/sys");

} // namespace platform
