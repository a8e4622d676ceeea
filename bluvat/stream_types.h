#pragma once
// Program-map stream types a disc can carry, and the families they belong to.

#include <cstdint>

namespace bluvat {

constexpr uint8_t kMpeg1Video = 0x01;
constexpr uint8_t kMpeg2Video = 0x02;
constexpr uint8_t kMpeg1Audio = 0x03;
constexpr uint8_t kMpeg2Audio = 0x04;
constexpr uint8_t kAvcVideo = 0x1B;
constexpr uint8_t kLpcmAudio = 0x80;
constexpr uint8_t kAc3Audio = 0x81;
constexpr uint8_t kDtsAudio = 0x82;
constexpr uint8_t kTrueHdAudio = 0x83;
constexpr uint8_t kEac3Audio = 0x84;
constexpr uint8_t kDtsHdAudio = 0x85;
constexpr uint8_t kDtsHdMasterAudio = 0x86;
constexpr uint8_t kPresentationGraphics = 0x90;
constexpr uint8_t kInteractiveGraphics = 0x91;
constexpr uint8_t kTextSubtitle = 0x92;
constexpr uint8_t kVc1Video = 0xEA;

constexpr bool IsVideoType(uint8_t t)
{
    return t == kMpeg1Video || t == kMpeg2Video || t == kAvcVideo || t == kVc1Video;
}

constexpr bool IsAudioType(uint8_t t)
{
    return t == kMpeg1Audio || t == kMpeg2Audio || (t >= kLpcmAudio && t <= kDtsHdMasterAudio);
}

} // namespace bluvat
