#pragma once
// The rebuild of a converted MOV in a camera's layout: the template's "skip" atom, one "mdat"
// with the decoder configuration in front of video chunks of 3 frames, each followed by an audio
// chunk, and the "moov" with new chunk tables, the camera's sound description and "udta".

#include "tools/kavlo/atom_scan.h"
#include "tools/kavlo/mov_template.h"

#include <functional>

namespace kavlo {

// Bytes of decoder configuration taken from the end of the "esds" atom.
inline constexpr std::size_t kDecoderConfigBytes = 18;
inline constexpr uint32_t kFramesPerVideoChunk = 3;

// Whether the target's chunk, size and offset tables agree on where every sample lies, all of
// them within `region`.
bool TablesDescribeSamples(const Bytes& target, const AtomIndex& index, const AtomSlot& region);

// False when the target's tables do not describe its samples.
bool RebuildMov(const Bytes& target, const AtomIndex& index, const CameraTemplate& camera,
                uint32_t audioSamplesPerChunk, Bytes& out, const std::function<void(int)>& progress);

// The sample-to-chunk atoms of the rebuilt tracks.
Bytes VideoSampleToChunk(uint32_t frames);
Bytes AudioSampleToChunk(const Bytes& targetStsc, uint32_t samples, uint32_t samplesPerChunk);

} // namespace kavlo
