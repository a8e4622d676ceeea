#pragma once
// The media a run can split its outputs for: one table read by the disc-size choice, the idle
// status line, the disc-size check and the engine's split size.

#include <cstdint>
#include <string>

namespace reelvane {

struct SplitMedium {
    const char* id;      // also the text shown where no language key is given
    const char* textKey; // in the pack's WINDOW_INFO, or nullptr
    int64_t megabytes;   // what the medium holds for the run; 0 for no fixed size
};

inline constexpr char kCustomSplit[] = "Custom";
inline constexpr char kNoSplit[] = "No split";

inline constexpr SplitMedium kSplitMedia[] = {
    {"DVD-5 (4.7GB)", nullptr, 4200}, {"DVD-9 (8.5GB)", nullptr, 8000},        {"BD-25 (25GB)", nullptr, 23000},
    {"BD-50 (50GB)", nullptr, 46000}, {kCustomSplit, "strCustomSplitInfo", 0}, {kNoSplit, "strNoSplitInfo", 0},
};

// The medium of an id, or nullptr.
const SplitMedium* FindSplitMedium(const std::string& id);
// The medium's capacity in megabytes; 0 for an unknown id, Custom and No split.
int64_t SplitMediumMegabytes(const std::string& id);
// What the user reads for the medium, in the current language.
std::string SplitMediumText(const std::string& id);

} // namespace reelvane
