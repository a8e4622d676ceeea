#pragma once
// Maps the codec names of the option dialogs and profiles to this FFmpeg's encoders.

#include <string>
#include <string_view>
#include <vector>

namespace vexen {

enum class CodecKind { Audio, Video };

struct EncoderChoice {
    std::string encoder;       // FFmpeg encoder name, or "copy"; empty when none fits
    bool experimental = false; // the encoder needs "-strict experimental"
    std::string error;         // why no encoder fits
};

EncoderChoice FindEncoder(std::string_view codecName, CodecKind kind);

// The encoder FFmpeg picks for a video stream of the output, from "-f" or the file name.
std::string DefaultVideoEncoder(const std::string& formatName, const std::string& outputPath);

// Options that give the encoder a higher quality setting; empty when it has none we know.
std::vector<std::string> HighQualityOptions(const std::string& encoder);

} // namespace vexen
