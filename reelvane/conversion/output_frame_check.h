#pragma once
// What the option sheet refuses on OK because the run could not make it: a crop or pads that
// leave no picture, an odd frame a 4:2:0 codec cannot encode, a frame beyond the codec's limit.

#include "reelvane/profiles/profile_settings.h"

#include <optional>
#include <string>

namespace reelvane {

enum class FrameField { Crop, Pad, Size };

struct FrameRefusal {
    FrameField field;
    int side; // for Crop and Pad: 0 left, 1 right, 2 top, 3 bottom, the field to correct
    std::string message;
};

// The output frame the engine makes: the chosen size, or the source's (nSourceWidth and
// nSourceHeight) less the crop and with the pads; nothing while the source size is unknown.
std::optional<FrameSize> EngineOutputFrame(const ProfileSettings& settings);

// The first refusal of the settings; nothing when they can work.
std::optional<FrameRefusal> RefuseOutputFrame(const ProfileSettings& settings);

} // namespace reelvane
