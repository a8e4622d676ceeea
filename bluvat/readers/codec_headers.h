#pragma once
// Codec header readers: fill a program-map entry's coding attributes and, when it has none,
// its descriptors, from one PES payload.

#include "bluvat/readers/source_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bluvat {

void ReadCodecHeader(ProgramEntry& entry, const uint8_t* payload, std::size_t size);

// An entry is no longer examined once every attribute its type has is known and it has descriptors.
bool EntryComplete(const ProgramEntry& entry);

// Offset of the first 00 00 01 followed by a byte matching (b & mask) == value, or npos.
std::size_t FindStartCode(const uint8_t* p, std::size_t n, uint8_t mask, uint8_t value);

// Calls visit(offset of the 00 00 01, the byte after it) for each start code until visit returns true.
template <typename Visit>
void ForEachStartCode(const uint8_t* p, std::size_t n, Visit visit)
{
    std::size_t i = 2;
    while (i + 1 < n) {
        auto one = static_cast<const uint8_t*>(std::memchr(p + i, 0x01, n - 1 - i));
        if (!one)
            return;
        std::size_t j = static_cast<std::size_t>(one - p);
        if (p[j - 1] == 0 && p[j - 2] == 0 && visit(j - 2, p[j + 1]))
            return;
        i = j + 1;
    }
}

} // namespace bluvat
