#include "nx_udf/udf_crc.h"

#include <array>

namespace nx_udf {

namespace {

constexpr std::array<uint16_t, 256> make_table()
{
    std::array<uint16_t, 256> table {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr auto kTable = make_table();

} // namespace

uint16_t crc16(const uint8_t* data, std::size_t size)
{
    uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i)
        crc = static_cast<uint16_t>(kTable[((crc >> 8) ^ data[i]) & 0xFF] ^ (crc << 8));
    return crc;
}

} // namespace nx_udf
