#pragma once
// What mkvmerge's identification (-J) says about a file's tracks.

#include <cstdint>
#include <string>
#include <vector>

namespace trakkel {

struct TrackFacts {
    int64_t id;     // MKVToolNix's own track id, as mkvextract takes it
    int64_t number; // the Matroska track number
    int32_t kind;   // TRAKKEL_KIND_*
    std::string codecId;
};

struct Identification {
    std::vector<TrackFacts> tracks;
    std::string error; // non-empty: not a Matroska file, or mkvmerge failed, and why
};

// A path as the MKVToolNix programs must be given it on their command line.
std::string PathArgument(const std::string& path);

// Reads mkvmerge's JSON identification text.
Identification ParseIdentification(const std::string& json);

// Runs mkvmerge -J on `path`.
Identification IdentifyFile(const std::string& path);

} // namespace trakkel
