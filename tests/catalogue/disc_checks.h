#pragma once
// Outside checks of the disc profiles' outputs: bluvat authoring read back by libbluray,
// dvdauthor, and the spacing of pictures and key frames.

#include <string>
#include <vector>

namespace catalogue {

// Authors the stream into `folder` as one title and reads the disc with libbluray; empty when
// a player would find a title of `seconds` with one video and one audio stream.
std::vector<std::string> BluRayProblems(const std::string& stream, const std::string& folder, double seconds);

// Authors a DVD-Video folder from the program stream; empty when dvdauthor accepts it.
std::vector<std::string> DvdProblems(const std::string& programStream, const std::string& folder, bool pal);

// Picture times of the first video stream, in seconds; all -1 when it has none.
struct VideoTiming {
    double longestKeyFrameGap = -1;
    double shortestStep = -1; // between pictures in presentation order
    double longestStep = -1;
};
VideoTiming ReadVideoTiming(const std::string& path);

} // namespace catalogue
