#pragma once

#include <cstddef>
#include <cstdint>

namespace nx_udf {

// CRC-16 of ECMA-167 descriptors: polynomial 0x1021, initial value 0, no final inversion.
uint16_t Crc16(const uint8_t* data, std::size_t size);

} // namespace nx_udf
