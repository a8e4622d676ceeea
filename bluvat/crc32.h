#pragma once
// CRC-32/MPEG-2: polynomial 0x04C11DB7, initial all ones, no reflection, no final inversion.

#include <cstddef>
#include <cstdint>

namespace bluvat {

uint32_t Crc32Mpeg2(const uint8_t* data, std::size_t size);

} // namespace bluvat
