#pragma once
// A complete PES packet as readers hand it out, and its time stamps.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bluvat {

struct PesPacket {
    uint16_t pid = 0;           // PID of its stream's program-map entry
    bool priority = false;      // transport-priority bit of its first transport packet
    bool keyFrame = false;      // a random-access point as the container marks it (adaptation field, Matroska flag)
    std::vector<uint8_t> bytes; // from the 00 00 01 prefix to the end of the packet
};

constexpr std::size_t kPesFixedHeader = 9;

// Bytes before the payload, or 0 when the header is malformed or longer than the data.
inline std::size_t PesHeaderLength(const uint8_t* p, std::size_t n)
{
    if (n < kPesFixedHeader || p[0] != 0 || p[1] != 0 || p[2] != 1)
        return 0;
    std::size_t h = kPesFixedHeader + p[8];
    return h <= n ? h : 0;
}

inline uint64_t ReadTimestamp(const uint8_t* t)
{
    return (uint64_t(t[0] >> 1 & 0x07) << 30) | (uint64_t(t[1]) << 22) | (uint64_t(t[2] >> 1) << 15) |
           (uint64_t(t[3]) << 7) | (t[4] >> 1);
}

// Keeps the four prefix bits and sets every marker bit.
inline void WriteTimestamp(uint8_t* t, uint64_t v)
{
    t[0] = uint8_t((t[0] & 0xF0) | ((v >> 29) & 0x0E) | 1);
    t[1] = uint8_t(v >> 22);
    t[2] = uint8_t(((v >> 14) & 0xFE) | 1);
    t[3] = uint8_t(v >> 7);
    t[4] = uint8_t(((v << 1) & 0xFE) | 1);
}

inline std::optional<uint64_t> PesPts(const std::vector<uint8_t>& b)
{
    if (PesHeaderLength(b.data(), b.size()) < 14 || !(b[7] & 0x80))
        return std::nullopt;
    return ReadTimestamp(&b[9]);
}

inline std::optional<uint64_t> PesDts(const std::vector<uint8_t>& b)
{
    if (PesHeaderLength(b.data(), b.size()) < 19 || (b[7] & 0xC0) != 0xC0)
        return std::nullopt;
    return ReadTimestamp(&b[14]);
}

} // namespace bluvat
