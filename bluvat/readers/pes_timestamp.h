#pragma once
// The five-byte PES time-stamp field: 4-bit prefix, 33 bits in 3 + 15 + 15 with marker bits.

#include <cstdint>
#include <cstddef>

#include "platform/byte_writer.h"

namespace bluvat {

inline void PutPesTimestamp(platform::BigEndianWriter& w, uint8_t prefix, uint64_t ts)
{
    w.u8((prefix << 4) | (((ts >> 30) & 7) << 1) | 1);
    w.u16((((ts >> 15) & 0x7FFF) << 1) | 1);
    w.u16(((ts & 0x7FFF) << 1) | 1);
}

// Length field value for a PES of `total` bytes: total − 6, or 0 (unbounded) when too long.
inline uint32_t PesLengthField(std::size_t total)
{
    return total - 6 > 65529 ? 0 : static_cast<uint32_t>(total - 6);
}

} // namespace bluvat
