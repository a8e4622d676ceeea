#pragma once
// Wraps a Matroska block's frames into one PES packet for its track's stream type.

#include <cstdint>
#include <span>
#include <vector>

#include "bluvat/readers/matroska_tracks.h"

namespace bluvat {

// PTS in 90 kHz (taken modulo 2^33). H.264 frames are converted to start-code form with the
// parameter sets ahead of key frames; MPEG-2 key frames without a sequence header get the one
// from CodecPrivate. `intact` turns false when a frame's NAL lengths did not fit it.
std::vector<uint8_t> matroskaFramePes(const MatroskaTrack& track, uint64_t pts, bool keyFrame,
                                      const std::vector<std::span<const uint8_t>>& frames, bool& intact);

} // namespace bluvat
