#pragma once
// Small clips for tests and benchmarks, made on demand with the ffmpeg program (lavfi sources).
// Each clip is made once into a shared folder and reused by later test processes.

#include <string>

namespace testmedia {

enum class Clip {
    MatroskaTracks,  // H.264 320x240, AC-3 (eng) and AAC (ger) audio, SRT and ASS subtitles, 2 s
    Standard4x3,     // MP4, H.264 320x240 + AAC, 2 s
    Wide16x9,        // MP4, H.264 320x180 + AAC, 2 s
    Anamorphic,      // Matroska, H.264 352x288 stored with a 16:11 sample aspect (16:9 shown), 2 s
    TransportStream, // MPEG-TS, MPEG-2 video 320x240 + MP2, 2 s
    Wmv,             // ASF, WMV2 320x240 + WMA2, 2 s
    AudioOnly,       // Matroska audio, AAC, 2 s
    CoverArt,        // MP4, AAC with a PNG cover picture (an attached picture), 1 s
    CoverFlac,       // FLAC, 44.1 kHz stereo with a 64x64 PNG cover picture (an attached picture), 2 s
    NotMedia,        // a text file named .mkv
    SubtitleText,    // SRT: one cue "SUBTITLE" from 0.5 s to 1.2 s
    PhonePortrait,   // MP4, 10-bit HEVC 320x180 turned a quarter counter-clockwise for display (a
                     // 180x320 portrait picture), variable rate (2 of every 3 frames at 30 fps) + AAC, 2 s
    Interlaced576,   // MPEG-TS, MPEG-2 720x576 top field first, 16:9, real field motion + MP2, 2 s
    SurroundTracks,  // Matroska, H.264 160x90; AC-3 5.1 "English 5.1" (eng) whose six channels peak at
                     // 0.7 (a plain fold to stereo passes full scale); AAC stereo (ger); SRT (eng); 2 s
    UnflaggedFields, // AVI, MJPEG 352x288 with top-first field motion but no field order stored, 2 s
    KeyedH264,       // MPEG-TS, H.264 High@4.1, 3 reference frames, a key frame every 12 frames
                     // (0.48 s at 25 fps) + AC-3, 2 s
    HdrPq10,         // Matroska, 10-bit HEVC 320x240 of the test picture turned into PQ (SMPTE 2084)
                     // light at 100 nits in BT.2020 colours, so tagged + AAC, 1 s
};

// The folder the clips are made in (created when missing).
std::string MediaFolder();

// The path of the clip, made first when it is not there yet. Throws std::runtime_error when
// ffmpeg cannot make it.
std::string ClipPath(Clip clip);

// A clip of `seconds` length, `width` x `height`, H.264 + AAC in Matroska (for timing runs).
std::string SizedClipPath(int seconds, int width, int height);

} // namespace testmedia
