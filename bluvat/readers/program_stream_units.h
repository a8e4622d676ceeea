#pragma once
// MPEG program-stream units: pack headers with their system clock reference, and PES packets
// in MPEG-1 or MPEG-2 form.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "bluvat/readers/source_reader.h"

namespace bluvat {

constexpr uint8_t kPackStartId = 0xBA;
constexpr uint8_t kProgramEndId = 0xB9;
constexpr uint8_t kPrivateStream1 = 0xBD;

struct PackHeader {
    std::size_t length = 0; // including stuffing
    uint64_t scr = 0;       // 27 MHz
};

// `data` starts at 00 00 01 BA; nullopt when cut short or neither MPEG-1 nor MPEG-2 form.
std::optional<PackHeader> ParsePackHeader(std::span<const uint8_t> data);

struct ProgramStreamPes {
    uint8_t streamId = 0;
    std::optional<uint64_t> pts, dts; // 90 kHz
    std::span<const uint8_t> payload;
    std::size_t length = 0; // the whole unit: 6 + its length field
};

// `data` starts at 00 00 01 <stream id>; nullopt when the unit does not fit the data.
std::optional<ProgramStreamPes> ParseProgramStreamPes(std::span<const uint8_t> data);

// The opening scan of a program stream over its first bytes: one entry per stream id (private
// stream 1 by sub-stream id) in the order first met; `progress` gets 0..50.
std::vector<ProgramEntry> ScanProgramStreamEntries(std::span<const uint8_t> data,
                                                   const std::function<void(int)>& progress);

} // namespace bluvat
