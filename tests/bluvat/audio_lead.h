#pragma once
// How many audio frames of a file start before its first video key frame, as ffprobe times them:
// a title starts at that frame, so the disc leaves such frames out.

#include "platform/process_runner.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace bluvat_test {

inline long audioFramesBeforeVideo(const std::string& path)
{
    auto out = platform::RunAndCapture("ffprobe", {"-v", "error", "-show_entries", "packet=codec_type,pts_time,flags",
                                                   "-of", "csv=p=0", path});
    if (!out)
        return -1;
    std::vector<double> audio;
    double videoStart = -1;
    std::istringstream lines(*out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string type, pts, flags;
        if (!std::getline(cells, type, ',') || !std::getline(cells, pts, ',') || pts == "N/A")
            continue;
        std::getline(cells, flags, ',');
        if (type == "audio")
            audio.push_back(std::stod(pts));
        else if (type == "video" && videoStart < 0 && flags.find('K') != std::string::npos)
            videoStart = std::stod(pts);
    }
    return std::count_if(audio.begin(), audio.end(), [&](double t) { return t < videoStart - 1e-6; });
}

} // namespace bluvat_test
