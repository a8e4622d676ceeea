#pragma once
// Turns an engine argument vector (the older ffmpeg dialect with the merged-input directives)
// into the arguments of the current ffmpeg program.

#include <string>
#include <vector>

namespace vexen {

struct Translation {
    std::vector<std::string> arguments; // for the ffmpeg program, without the program name
    std::string output;                 // the output path
    std::string error;                  // non-empty: the vector cannot be converted, and why
    int coverStream = -1;               // the input's cover picture to attach to the output, -1 none
    std::string coverSource{};          // the input that holds it
};

// `words[0]` is "ffmain". `subtitleStyle`, when not empty, is the style override for a burnt-in
// subtitle.
Translation TranslateEngineVector(const std::vector<std::string>& words, const std::string& subtitleStyle = {});

} // namespace vexen
