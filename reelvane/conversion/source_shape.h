#pragma once
// Decisions that follow the source picture's shape, timing and light: its display rotation, a
// variable frame rate, interlaced fields, and a deep or HDR picture.

#include "reelvane/conversion/probed_source.h"
#include "reelvane/profiles/profile_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace reelvane {

// The facts of the probe's video stream; null when there is none.
const StreamFacts* VideoFacts(const ProbedSource& probed);

struct DisplayedPicture {
    int32_t width; // stored pixels, turned as the display turns them
    int32_t height;
    double aspect; // displayed width / height, with the sample aspect
};

// Nothing without a known size.
std::optional<DisplayedPicture> Displayed(const StreamFacts& video);

// A portrait picture in a landscape frame gets side bars instead of a stretch, and keeps its
// own shape where the profile keeps the source size. Changes nothing for other sources.
void KeepDisplayedShape(const ProbedSource& probed, ProfileSettings& settings);

// Output words the source asks for beyond the profile: its own frame timing where the container
// carries a variable rate and the profile sets none.
std::vector<std::string> SourceTimingWords(const ProbedSource& probed, const ProfileSettings& settings);

// Output words for an interlaced source: "-deinterlace" for a progressive output, or fields kept
// for an interlaced one (1080i, a DVD at the source's rate), scaled apart ("-fieldscale") and
// turned ("-fieldorder tff") where the output's field order is not the source's: a DVD is top
// field first, a profile's "-top" says its own.
std::vector<std::string> InterlaceWords(const ProbedSource& probed, const ProfileSettings& settings);

// Bits per sample of the profile's pictures: the depth its "-pix_fmt" names, 8 where it names none.
int32_t ProfileBitDepth(const ProfileSettings& settings);

// True for a picture with the PQ (SMPTE 2084) or HLG (ARIB STD-B67) transfer.
bool IsHdr(const StreamFacts& video);

// Output words for an HDR source in a profile of 8-bit pictures: "-tonemap" with the source's
// colour primaries and matrix, so that it does not come out grey and flat. A deeper source of
// ordinary light needs none: the profile's pixel format brings it down; a deep profile keeps it.
std::vector<std::string> ToneMapWords(const ProbedSource& probed, const ProfileSettings& settings);

} // namespace reelvane
