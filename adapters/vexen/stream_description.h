#pragma once
// The one-line description of a stream: "Audio: ac3, 48000 Hz, stereo, 192 kb/s, eng".

#include <cstdint>
#include <string>

struct AVStream;

namespace vexen {

std::string DescribeStream(const AVStream& stream);

// VEXEN_KIND_* of the stream; cover art counts as an attachment.
int32_t StreamKind(const AVStream& stream);

// Display aspect (width / height with the sample aspect taken into account); 0 when unknown.
float DisplayAspect(const AVStream& stream);

// Degrees the picture is turned for display, clockwise: 0, 90, 180 or 270.
int32_t DisplayRotation(const AVStream& stream);

} // namespace vexen
