#pragma once
// Frame headers of the audio codecs that the reader sniffs and the writer re-packs.

#include <cstddef>
#include <cstdint>

namespace bluvat {

// AC-3 and E-AC-3 frames start with 0B 77.
inline bool IsAc3Sync(const uint8_t* p)
{
    return p[0] == 0x0B && p[1] == 0x77;
}
inline int Ac3BitstreamId(const uint8_t* p)
{
    return p[5] >> 3;
}
// Bytes of the frame at p (at least 6 bytes readable), or 0 when its header is not valid.
std::size_t Ac3FrameSize(const uint8_t* p);
// Its duration in 90 kHz ticks, 0 when unknown.
uint32_t Ac3FrameTicks(const uint8_t* p);

inline bool IsDtsSync(const uint8_t* p)
{
    return p[0] == 0x7F && p[1] == 0xFE && p[2] == 0x80 && p[3] == 0x01;
}
// Frame-size field + 1 (at least 10 bytes readable).
inline std::size_t DtsFrameSize(const uint8_t* p)
{
    return ((std::size_t(p[5] & 0x03) << 12) | (p[6] << 4) | (p[7] >> 4)) + 1;
}
uint32_t DtsFrameTicks(const uint8_t* p);

inline bool IsTrueHdSync(const uint8_t* p)
{
    return p[0] == 0xF8 && p[1] == 0x72 && p[2] == 0x6F && p[3] == 0xBA;
}

} // namespace bluvat
