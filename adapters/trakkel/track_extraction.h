#pragma once
// Extraction of tracks with mkvextract, into staged files that take their names only when whole.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trakkel {

struct ExtractRequest {
    std::string path;   // output path
    int64_t number = 0; // Matroska track number
};

// percent 0..100 with the source's file name, or -1 with an error message.
using ProgressSink = std::function<void(int percent, const std::string& text)>;

// True when every request was written.
bool ExtractTracks(const std::string& source, const std::vector<ExtractRequest>& requests, const ProgressSink& sink);

// "x.sub" beside a VobSub index "x.idx"; empty for any other path.
std::string VobSubCompanion(const std::string& path);

} // namespace trakkel
