#pragma once
// Numbers read from the headers and tables that the index points at; nothing when the atom is
// missing, too short or not laid out as expected.

#include "tools/kavlo/atom_scan.h"

#include <optional>

namespace kavlo {

// The media time scale of a track, from the header that opens its "mdia".
std::optional<uint32_t> MediaTimeScale(const Bytes& image, const AtomSlot& mdia);

// The movie header's time scale and duration, from the header that opens the "moov".
struct MovieTime {
    uint32_t timeScale = 0;
    uint32_t duration = 0;
};
std::optional<MovieTime> MovieHeaderTime(const Bytes& image, const AtomSlot& moov);

// Media time scale divided by the first sample duration, truncated; never 0.
std::optional<uint32_t> FramesPerSecond(const Bytes& image, const TrackAtoms& video);

// The integer part of the 16.16 sample rate of the first sound description.
std::optional<uint32_t> SoundSampleRate(const Bytes& image, const AtomSlot& stsd);

} // namespace kavlo
