#pragma once
// The Matroska track table: the tracks a Blu-ray stream can carry, numbered by ordinal as PIDs.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bluvat/readers/avc_annexb.h"

namespace bluvat {

struct MatroskaTrack {
    uint64_t number = 0; // as blocks name it
    uint8_t streamType = 0;
    uint16_t pid = 0; // ordinal among the taken tracks, from 1
    std::vector<uint8_t> codecPrivate;
    AvcDecoderConfig avc;                // H.264 tracks only
    std::vector<uint8_t> strippedHeader; // put back in front of every frame
    std::string language;                // ISO 639-2 code, empty when the track names none
};

// Stream type for a codec ID, or 0 when the track is not taken.
uint8_t MatroskaStreamType(const std::string& codecId, std::span<const uint8_t> codecPrivate);

// Appends the taken tracks of one Tracks element's data; texts for bad entries and for each track
// left out go to `report`. Tracks whose frames are compressed or encrypted are not taken; header
// stripping is undone.
void ReadMatroskaTracks(std::span<const uint8_t> tracksData, std::vector<MatroskaTrack>& tracks,
                        const std::function<void(const char*)>& report);

// The 5-byte program-map record of a taken track.
std::vector<uint8_t> MatroskaMapEntry(const MatroskaTrack& track);

} // namespace bluvat
