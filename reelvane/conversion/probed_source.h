#pragma once
// What the probe of a source file leaves in its task: the engine's records, the information and
// video texts, and the audio track list.

#include "adapters/vexen/vexen.h"

#include <cstdint>
#include <string>
#include <vector>

namespace reelvane {

struct AudioTrackEntry {
    int32_t position; // in the audio track list; the n-th entry is the n-th audio stream
    int32_t selected;
    char description[128];
};

struct ProbedSource {
    MediaFileInfo mediaInfo{};
    // Every stream of the file in the file's order, so that a position is the number for "-map".
    std::vector<StreamInfo> streams;
    // The same streams' codec, shape and timing facts, in the same order and count.
    std::vector<StreamFacts> facts;
    int32_t bitRate = 0;     // units of 1024 bit/s
    float startTime = 0.0f;  // seconds
    float duration = 0.0f;   // seconds
    int32_t sourceWidth = 0; // from the last video stream
    int32_t sourceHeight = 0;
    float sourceAspect = 0.0f;
    std::string informationText; // at most 1023 characters
    std::string videoText;
    std::vector<AudioTrackEntry> audioTracks;
};

constexpr std::size_t kInformationTextLimit = 1023;
constexpr int kProbeUnreadable = -3;

// Fills `probed` from the engine's probe of `path`; 0 on success, kProbeUnreadable when the file
// cannot be read (the information text then says so and there are no streams).
int ProbeSource(const std::string& path, int32_t usePlatformReader, ProbedSource& probed);

// The first lines of the information text: file name, duration, start time and bit rate.
std::string InformationHeading(const MediaFileInfo& info);

// 1 when the file's extension is one the platform reader handles ("wmv", "rm", ...), else 0.
int32_t UsesPlatformReader(const std::string& path);

} // namespace reelvane
