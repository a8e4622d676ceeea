#pragma once
// Presentation-graphics segment files: "PG", PTS and DTS (32 bits each, 90 kHz), the segment
// type and its 16-bit size, then the segment.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bluvat {

constexpr std::size_t kGraphicsHeader = 13;

struct GraphicsSegment {
    uint32_t pts = 0;
    uint32_t dts = 0;
    std::span<const uint8_t> segment; // type, size and body
    std::size_t length = 0;           // header and segment
};

bool IsGraphicsMagic(const uint8_t* p);

// `data` starts at "PG"; nullopt when the segment does not fit.
std::optional<GraphicsSegment> ParseGraphicsSegment(std::span<const uint8_t> data);

// The PES packet of one segment: PTS only when the DTS is 0, else PTS and DTS.
std::vector<uint8_t> GraphicsSegmentPes(const GraphicsSegment& segment);

} // namespace bluvat
