#pragma once
// "Convert Now" on file images: checks a converted MOV against a camera template and writes it
// in the camera's shape, then patches the camera's "skip" atom for the new content.

#include "tools/kavlo/kavlo_messages.h"
#include "tools/kavlo/mov_template.h"

#include <functional>
#include <optional>

namespace kavlo {

// Fills `out` with the converted file; the refusal when the target does not qualify.
// `progress` gets the percentage done as the stages complete.
std::optional<Refusal> ConvertMov(const Bytes& target, const CameraTemplate& camera, Bytes& out,
                                  const std::function<void(int)>& progress);

// Writes the first video chunk offset, first frame size, movie length in seconds and video
// sample count into the "skip" atom that opens `out`.
std::optional<Refusal> ApplySkipPatch(Bytes& out);

} // namespace kavlo
