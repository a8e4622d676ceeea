#pragma once
// Length-prefixed H.264 access units (as Matroska and MP4 store them) to start-code form,
// the form a Blu-ray stream carries, with the parameter sets ahead of every key frame.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bluvat {

struct AvcDecoderConfig {
    unsigned lengthSize = 4;
    std::vector<uint8_t> parameterSets; // every SPS and PPS, each after a 4-byte start code
};

// The AVCDecoderConfigurationRecord; nullopt when it does not fit its own counts.
std::optional<AvcDecoderConfig> ParseAvcDecoderConfig(std::span<const uint8_t> record);

// Appends the access unit in start-code form: an access unit delimiter first, then, for a key
// frame (flagged, or holding an IDR slice) without its own SPS, the configuration's parameter
// sets. False when a NAL length runs past the frame; the NAL units before it are kept.
bool AppendAnnexB(std::span<const uint8_t> frame, const AvcDecoderConfig& config, bool keyFrame,
                  std::vector<uint8_t>& out);

} // namespace bluvat
