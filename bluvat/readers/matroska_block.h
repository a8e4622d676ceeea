#pragma once
// A Matroska Block or SimpleBlock body: track, relative time, flags and its laced frames.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bluvat {

struct MatroskaBlock {
    uint64_t track = 0;
    int16_t relativeTime = 0;
    uint8_t flags = 0;
    unsigned lacing = 0; // 0 none, 1 Xiph, 2 fixed-size, 3 EBML
    std::vector<std::span<const uint8_t>> frames;

    bool keyFlag() const { return flags & 0x80; } // meaningful for SimpleBlock only
};

// nullopt when the header or the lace sizes do not fit the bytes at hand.
std::optional<MatroskaBlock> ParseMatroskaBlock(std::span<const uint8_t> data);

} // namespace bluvat
