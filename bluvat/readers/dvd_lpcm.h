#pragma once
// DVD linear PCM (private-stream sub-streams 0xA0..0xA7) repacked into Blu-ray LPCM frames of
// 5 ms, each behind its 4-byte header, as a Blu-ray stream of type 0x80 carries them.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bluvat {

class DvdLpcmRepacker {
public:
    struct Frame {
        uint64_t pts = 0;           // 90 kHz
        std::vector<uint8_t> bytes; // header and samples
    };

    // `payload` starts at the sub-stream id. False when the format has no Blu-ray form here
    // (only two-channel 16- and 24-bit audio at 48 or 96 kHz is repacked).
    bool Push(std::span<const uint8_t> payload, std::optional<uint64_t> pts, std::vector<Frame>& frames);

private:
    unsigned bits_ = 0;
    unsigned rate_ = 0;
    std::vector<uint8_t> samples_; // converted, not yet framed
    std::vector<uint8_t> group_;   // DVD bytes of an incomplete sample group
    std::optional<uint64_t> nextPts_;
};

} // namespace bluvat
