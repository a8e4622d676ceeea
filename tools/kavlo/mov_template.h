#pragma once
// What a conversion learns from a clip the user's camera recorded, and the template file that
// keeps it: the camera's "skip" atom, audio sample description and "udta" atom back to back,
// then four big-endian numbers.

#include "tools/kavlo/atom_scan.h"

#include <optional>
#include <string>

namespace kavlo {

// The skip patch writes up to this byte of the "skip" atom.
inline constexpr std::size_t kSkipPatchEnd = 56;

struct CameraTemplate {
    Bytes skip;
    Bytes audioStsd;
    Bytes udta;
    uint32_t audioSamplesPerChunk = 0;
    uint32_t sampleRate = 0;
    uint32_t framesPerSecond = 0;
    uint32_t codecFlag = 0;
};

// Learns the template from a scanned camera clip; the refusal message when it is not one.
std::optional<std::string> MakeTemplate(const Bytes& clip, const AtomIndex& index, CameraTemplate& out);

Bytes SerializeTemplate(const CameraTemplate& camera);

// False when the file is not a whole template.
bool ParseTemplate(const Bytes& file, CameraTemplate& out);

} // namespace kavlo
