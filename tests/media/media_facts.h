#pragma once
// What ffprobe and ffmpeg see in a file: stream facts, duration, and decoded pixels.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testmedia {

struct StreamFacts {
    std::string type;  // "video", "audio", "subtitle", ...
    std::string codec; // codec_name
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    int64_t bitRate = 0;       // 0 when not reported
    std::string displayAspect; // "16:9"
    std::string frameRate;     // average, "25/1"
    int level = 0;             // codec level as ffprobe reports it (H.264: 41 for 4.1)
    std::string sampleAspect;  // "1:1", "" when not reported
    int rotation = 0;          // the display matrix's turn as ffprobe reports it
    std::string fieldOrder;    // "progressive", "tt", "bb", ... "" when not reported
    std::string language;
    std::string title;
    bool attachedPicture = false;
    std::string pixelFormat;    // "yuv420p10le"
    std::string colorTransfer;  // "smpte2084", "bt709", "" when not reported
    std::string colorPrimaries; // "bt2020", ...

    // Displayed width / height: sample aspect and a quarter turn taken into account; 0 unknown.
    double DisplayedShape() const;
};

struct FileFacts {
    double duration = 0.0; // seconds
    int64_t bitRate = 0;
    std::string formatName; // "mov,mp4,m4a,3gp,3g2,mj2"
    std::string majorBrand; // ISO files: "isom", "3gp4", "qt  ", ...
    std::vector<StreamFacts> streams;

    int Count(const std::string& type) const;
    const StreamFacts* First(const std::string& type) const;
};

// Nothing when ffprobe cannot read the file.
std::optional<FileFacts> ProbeFile(const std::string& path);

// ffmpeg's idet verdicts over the first video stream (multi-frame detection); nothing when it
// cannot be decoded.
struct FieldCounts {
    int topFirst = 0;
    int bottomFirst = 0;
    int progressive = 0;
    int undetermined = 0;
};
std::optional<FieldCounts> DetectFields(const std::string& path);

// What went wrong decoding every video and audio stream of the file to its end; empty when
// nothing did.
std::string DecodeProblems(const std::string& path);

// The packets of the first video stream, counted by reading the file through; -1 unreadable.
int VideoPacketCount(const std::string& path);

struct Rgb {
    int r, g, b;
};

// One decoded frame at `seconds` as RGB rows; empty when it cannot be decoded.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const;
};
Picture GrabFrame(const std::string& path, double seconds);

// Mean absolute difference per byte of two pictures of the same size.
double MeanDifference(const Picture& a, const Picture& b);

// ffmpeg's SSIM ("All") of the first frame of `output` against the frame of `source` at
// `sourceSeconds`, both brought to one size; -1 when either cannot be decoded.
double FirstFrameSimilarity(const std::string& output, const std::string& source, double sourceSeconds);

} // namespace testmedia
