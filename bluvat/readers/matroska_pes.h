#pragma once
// Wraps a Matroska block's frames into one PES packet for its track's stream type.

#include <cstdint>
#include <span>
#include <vector>

#include "bluvat/readers/matroska_tracks.h"

namespace bluvat {

// PTS in 90 kHz (taken modulo 2^33). H.264 frames are converted to start-code form with the
// parameter sets ahead of key frames; MPEG-2 key frames without a sequence header get the one
// from CodecPrivate. `intact` turns false when a frame's NAL lengths did not fit it. The packet is
// written into `storage`, a spent packet's bytes, so that its memory is used again. With
// `decodeTimeFollows`, a video header carries a decoding time equal to the PTS, for
// AddDecodeTimestamp to fill in place.
std::vector<uint8_t> MatroskaFramePes(const MatroskaTrack& track, uint64_t pts, bool keyFrame,
                                      const std::vector<std::span<const uint8_t>>& frames, bool& intact,
                                      std::vector<uint8_t> storage = {}, bool decodeTimeFollows = false);

// Decoding order differs from presentation order with B-frames: a block's decode time is the
// presentation times of its stretch sorted, less the stream's reorder delay, never after its own.
int64_t ReorderDelay(const std::vector<int64_t>& presentationTimes);
std::vector<int64_t> DecodeTimes(const std::vector<int64_t>& presentationTimes, int64_t reorderDelay);

// Turns a video PES header with PTS only (14 bytes) into one with PTS and DTS (19 bytes), or sets
// the DTS of one that has both.
void AddDecodeTimestamp(std::vector<uint8_t>& pes, uint64_t dts);

} // namespace bluvat
