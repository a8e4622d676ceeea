#pragma once
// One frame of a task's output as given settings make it: the task's own engine vector, cut down
// to one picture at a chosen time and written as PNG, so that the preview and the run can never
// disagree on crop, scale, pads, aspect or a burnt-in subtitle.

#include "reelvane/conversion/task_scheduler.h"
#include "reelvane/tasks/conversion_task.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace reelvane {

struct PreviewPicture {
    std::vector<unsigned char> png; // empty: no picture, and `message` says why
    double pixelAspect = 1.0;       // shown width / height of one pixel
    std::string message;
};

// The engine call that writes the frame at `seconds` into the source to `picturePath`; nothing
// when the output has no video (the source has none, or the settings drop it).
std::optional<EngineCall> PreviewCall(const ConversionTask& task, const ProfileSettings& settings, double seconds,
                                      const std::string& picturePath);

// Makes the picture on the calling thread, in a private temporary folder that is removed again;
// settings the option sheet would refuse get the refusal as their message, without an engine call.
// `stopped` is asked a few times a second; true ends the engine call (`message` is then empty).
PreviewPicture RenderPreview(const ConversionTask& task, const ProfileSettings& settings, double seconds,
                             const std::function<bool()>& stopped);

// The pixel shape a PNG's pHYs chunk gives (x over y), 1 without one.
double PngPixelAspect(const std::vector<unsigned char>& png);

} // namespace reelvane
