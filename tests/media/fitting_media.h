#pragma once
// Clips whose streams already meet (or break exactly one of) the rules of the disc and MP4
// profiles, for the tests and benchmarks of stream copying. Made once with the ffmpeg program
// into the shared media folder, like the other test clips.

#include <string>

namespace testmedia {

enum class FittingClip {
    Bluray,         // Matroska, H.264 High 4.1 1920x1080 at 23.976, a key frame every 24 pictures, AC-3 48 kHz, 2 s
    BlurayLevel51,  // as Bluray, but the stream says level 5.1
    Bluray1080p60,  // as Bluray, but 60 progressive pictures a second (no disc allows it), 1 s
    BlurayAac,      // the Bluray clip's video with AAC audio
    BlurayChapters, // the Bluray clip with three chapters, at 0, 0.5 and 1.25 s
    Mp4Main,        // MP4, H.264 Main 320x240 at 25 below 150 kbit/s, AAC 44.1 kHz stereo 96 kbit/s, 2 s
};

std::string FittingClipPath(FittingClip clip);

// The Bluray clip at `seconds` length, for timing runs.
std::string BlurayFilmPath(int seconds);

} // namespace testmedia
