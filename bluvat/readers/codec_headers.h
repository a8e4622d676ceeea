#pragma once
// Codec header readers: fill a program-map entry's coding attributes and, when it has none,
// its descriptors, from one PES payload.

#include "bluvat/readers/source_reader.h"

#include <cstddef>
#include <cstdint>

namespace bluvat {

void readCodecHeader(ProgramEntry& entry, const uint8_t* payload, std::size_t size);

// An entry is no longer examined once every attribute its type has is known and it has descriptors.
bool entryComplete(const ProgramEntry& entry);

// Offset of the first 00 00 01 followed by a byte matching (b & mask) == value, or npos.
std::size_t findStartCode(const uint8_t* p, std::size_t n, uint8_t mask, uint8_t value);

bool isVideoType(uint8_t type);
bool isAudioType(uint8_t type);

} // namespace bluvat
