#pragma once
// What a profile section promises about its output file, in the names ffprobe reports, and the
// check of a converted file against it.

#include "reelvane/profiles/profile_settings.h"
#include "tests/media/media_facts.h"

#include <string>
#include <vector>

namespace catalogue {

struct PromisedOutput {
    std::string muxer;      // the word after "-f" in Para
    std::string formatName; // ffprobe's format_name for that muxer
    std::string majorBrand; // ISO files only: the brand that tells MP4, MOV, 3GP, ... apart
    std::string videoCodec; // ffprobe codec_name; empty: no video stream
    std::string audioCodec; // empty: no audio stream
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    double seconds = 0.0;
};

struct SourceFacts {
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    double seconds = 0.0;
};

// The promise of a task's record (after its source facts and aspect correction were applied).
// Problems with the section itself (no container named, an unknown one) go to `problems`.
PromisedOutput Promise(const reelvane::ProfileSettings& settings, const SourceFacts& source,
                       std::vector<std::string>& problems);

// Every difference between the promise and what ffprobe found.
std::vector<std::string> Differences(const PromisedOutput& promise, const testmedia::FileFacts& facts);

// Whether this system's ffmpeg has an encoder for a codec (by ffprobe's codec name).
bool HasEncoder(const std::string& codec);

} // namespace catalogue
