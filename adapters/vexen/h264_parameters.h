#pragma once
// Reads max_num_ref_frames from an H.264 sequence parameter set, found in avcC extradata or in
// an Annex B byte stream (extradata or a packet).

#include <cstddef>
#include <cstdint>

namespace vexen {

// The reference frame count of the first sequence parameter set in `data`; 0 when none is found
// or it cannot be read.
int32_t H264ReferenceFrames(const uint8_t* data, std::size_t size);

} // namespace vexen
