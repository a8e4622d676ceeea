#pragma once
// Table-driven CRC over bytes, most significant bit first, with no reflection and no final
// inversion: the form of both the MPEG-2 section CRC-32 and the UDF descriptor CRC-16.
// Header-only: the libraries that must link against nothing of the system use it too.

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

template <typename T, T Polynomial>
class MsbFirstCrc {
public:
    static constexpr T Compute(T initial, const uint8_t* data, std::size_t size)
    {
        T crc = initial;
        for (std::size_t i = 0; i < size; ++i)
            crc = static_cast<T>((crc << 8) ^ kTable[((crc >> kTopShift) ^ data[i]) & 0xFF]);
        return crc;
    }

private:
    static constexpr int kTopShift = 8 * sizeof(T) - 8;
    static constexpr T kTopBit = static_cast<T>(T(1) << (8 * sizeof(T) - 1));

    static constexpr std::array<T, 256> MakeTable()
    {
        std::array<T, 256> table{};
        for (unsigned i = 0; i < 256; ++i) {
            T c = static_cast<T>(T(i) << kTopShift);
            for (int bit = 0; bit < 8; ++bit)
                c = static_cast<T>((c & kTopBit) ? (c << 1) ^ Polynomial : c << 1);
            table[i] = c;
        }
        return table;
    }
    static constexpr std::array<T, 256> kTable = MakeTable();
};

} // namespace platform
