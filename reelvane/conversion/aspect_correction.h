#pragma once
// Keeps a source's display aspect inside a disc-style frame: the display-aspect code of the
// settings and, where the source fits neither 4:3 nor 16:9, letterbox pads.

#include "reelvane/profiles/profile_settings.h"

#include <optional>

namespace reelvane {

constexpr int kCalcAspectRows = 8;

struct DisplayAspectChoice {
    int32_t code; // 1 for 4:3, 2 for 16:9
    bool fits;
};

// Nothing when the width or height is 0 or less.
std::optional<DisplayAspectChoice> ChooseDisplayAspect(int calcAspectChoice, int32_t width, int32_t height);

// Sets the pads for a total horizontal pad P and vertical pad Q.
void SetLetterboxPads(ProfileSettings& settings, int32_t horizontal, int32_t vertical);

// Sets nAspect (and pads where needed) for the frame of `calcAspectChoice` (0 to 7); any other
// choice changes nothing.
void CorrectAspect(int calcAspectChoice, ProfileSettings& settings);

} // namespace reelvane
