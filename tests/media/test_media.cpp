#include "tests/media/test_media.h"

#include "platform/process_runner.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace testmedia {
namespace fs = std::filesystem;
namespace {

using Args = std::vector<std::string>;

const Args kQuiet = {"-hide_banner", "-nostdin", "-loglevel", "error", "-y"};

Args Video(const std::string& size, int seconds = 2)
{
    return {"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25:duration=" + std::to_string(seconds)};
}

Args Tone(int frequency, int rate, int seconds = 2)
{
    return {"-f", "lavfi", "-i",
            "sine=frequency=" + std::to_string(frequency) + ":sample_rate=" + std::to_string(rate) +
                ":duration=" + std::to_string(seconds)};
}

Args Join(std::initializer_list<Args> parts)
{
    Args all = kQuiet;
    for (const Args& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Args kH264 = {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Writes under a temporary name and renames, so concurrent test processes never see half a clip.
void Make(const fs::path& target, const Args& argsWithoutOutput, const std::string& extension)
{
    fs::path temporary =
        target.parent_path() / (".making-" + std::to_string(::getpid()) + "-" + target.filename().string() + extension);
    Args args = argsWithoutOutput;
    args.push_back(temporary.string());
    if (platform::RunAndWait("ffmpeg", args) != 0) {
        fs::remove(temporary);
        throw std::runtime_error("ffmpeg could not make the test clip " + target.string());
    }
    fs::rename(temporary, target);
}

// Stream copy is where this ffmpeg turns a "rotate" tag into a display matrix.
void MakeTurned(const fs::path& target, const Args& encodeWithoutOutput, int degrees)
{
    fs::path plain = target.parent_path() / (".plain-" + std::to_string(::getpid()) + "-" + target.filename().string());
    Make(plain, encodeWithoutOutput, "");
    try {
        Make(target,
             Join({{"-i", plain.string(), "-c", "copy", "-metadata:s:v:0", "rotate=" + std::to_string(degrees)}}),
             target.extension().string());
    } catch (...) {
        fs::remove(plain);
        throw;
    }
    fs::remove(plain);
}

void WriteTextOnce(const fs::path& target, const std::string& text)
{
    fs::path temporary =
        target.parent_path() / (".making-" + std::to_string(::getpid()) + "-" + target.filename().string());
    WriteText(temporary, text);
    fs::rename(temporary, target);
}

void MakeClip(Clip clip, const fs::path& path)
{
    switch (clip) {
    case Clip::MatroskaTracks: {
        // Inputs under this process's own names, so concurrent makers never share a half-written one.
        std::string own = std::to_string(::getpid());
        fs::path srt = fs::path(MediaFolder()) / (".tracks-" + own + ".srt");
        fs::path ass = fs::path(MediaFolder()) / (".tracks-" + own + ".ass");
        WriteText(srt, "1\n00:00:00,200 --> 00:00:01,500\nFirst line\n");
        WriteText(ass, "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
                       "Format: Name, Fontname, Fontsize, PrimaryColour, Bold, Italic, Alignment, MarginV\n"
                       "Style: Default,DejaVu Sans,20,&H00FFFFFF,0,0,2,10\n\n[Events]\n"
                       "Format: Layer, Start, End, Style, Text\n"
                       "Dialogue: 0,0:00:00.20,0:00:01.50,Default,Styled line\n");
        Make(path,
             Join({Video("320x240"),
                   Tone(440, 48000),
                   Tone(880, 44100),
                   {"-i", srt.string(), "-i", ass.string()},
                   {"-map", "0", "-map", "1", "-map", "2", "-map", "3", "-map", "4"},
                   kH264,
                   {"-c:a:0", "ac3", "-ac:a:0", "2", "-c:a:1", "aac", "-c:s:0", "srt", "-c:s:1", "ass",
                    "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=ger"}}),
             ".mkv");
        fs::remove(srt);
        fs::remove(ass);
        return;
    }
    case Clip::Standard4x3:
        Make(path, Join({Video("320x240"), Tone(440, 44100), kH264, {"-c:a", "aac"}}), ".mp4");
        return;
    case Clip::Wide16x9: Make(path, Join({Video("320x180"), Tone(440, 44100), kH264, {"-c:a", "aac"}}), ".mp4"); return;
    case Clip::Anamorphic:
        Make(path, Join({Video("352x288"), Tone(440, 48000), {"-vf", "setsar=16/11"}, kH264, {"-c:a", "aac"}}), ".mkv");
        return;
    case Clip::TransportStream:
        Make(path, Join({Video("320x240"), Tone(440, 48000), {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "mpegts"}}),
             ".ts");
        return;
    case Clip::Wmv:
        Make(path, Join({Video("320x240"), Tone(440, 44100), {"-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf"}}), ".wmv");
        return;
    case Clip::AudioOnly: Make(path, Join({Tone(660, 44100), {"-c:a", "aac"}}), ".mka"); return;
    case Clip::CoverArt:
        Make(path,
             Join({Tone(440, 44100, 1),
                   {"-f", "lavfi", "-i", "color=red:size=64x64:duration=0.04"},
                   {"-map", "0", "-map", "1", "-c:a", "aac", "-c:v", "png", "-disposition:v:0", "attached_pic"}}),
             ".mp4");
        return;
    case Clip::CoverFlac:
        Make(path,
             Join({Tone(440, 44100),
                   {"-f", "lavfi", "-i", "color=blue:size=64x64:duration=0.04"},
                   {"-map", "0", "-map", "1", "-c:a", "flac", "-c:v", "png", "-disposition:v:0", "attached_pic"}}),
             ".flac");
        return;
    case Clip::PhonePortrait:
        MakeTurned(path,
                   Join({{"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=30:duration=2"},
                         Tone(440, 48000),
                         {"-vf", "select='not(eq(mod(n\\,3)\\,2))'", "-fps_mode", "vfr", "-c:v", "libx265", "-preset",
                          "ultrafast", "-pix_fmt", "yuv420p10le", "-x265-params", "log-level=error", "-c:a", "aac",
                          "-f", "mp4"}}),
                   90);
        return;
    case Clip::Interlaced576:
        Make(path,
             Join({{"-f", "lavfi", "-i", "testsrc2=size=720x576:rate=50:duration=2"},
                   Tone(440, 48000),
                   {"-vf", "interlace=scan=tff,setsar=64/45", "-c:v", "mpeg2video", "-flags", "+ildct+ilme", "-top",
                    "1", "-b:v", "1500k", "-c:a", "mp2", "-f", "mpegts"}}),
             ".ts");
        return;
    case Clip::SurroundTracks: {
        std::string own = std::to_string(::getpid());
        fs::path srt = fs::path(MediaFolder()) / (".surround-" + own + ".srt");
        WriteText(srt, "1\n00:00:00,200 --> 00:00:01,500\nTrack line\n");
        const std::string tone = "0.7*sin(2*PI*440*t)";
        Make(path,
             Join({Video("160x90"),
                   {"-f", "lavfi", "-i",
                    "aevalsrc=" + tone + "|" + tone + "|" + tone + "|0.5*sin(2*PI*60*t)|" + tone + "|" + tone +
                        ":c=5.1:s=48000:d=2"},
                   Tone(880, 48000),
                   {"-i", srt.string(), "-map", "0", "-map", "1", "-map", "2", "-map", "3"},
                   kH264,
                   {"-c:a:0", "ac3", "-b:a:0", "448k", "-c:a:1", "aac", "-ac:a:1", "2", "-c:s", "srt",
                    "-metadata:s:a:0", "language=eng", "-metadata:s:a:0", "title=English 5.1", "-metadata:s:a:1",
                    "language=ger", "-metadata:s:s:0", "language=eng"}}),
             ".mkv");
        fs::remove(srt);
        return;
    }
    case Clip::UnflaggedFields:
        Make(path,
             Join({{"-f", "lavfi", "-i", "testsrc2=size=352x288:rate=50:duration=2"},
                   {"-vf", "interlace=scan=tff,setfield=prog", "-c:v", "mjpeg", "-q:v", "8", "-f", "avi"}}),
             ".avi");
        return;
    case Clip::KeyedH264:
        Make(path,
             Join({Video("320x180"),
                   Tone(440, 48000),
                   {"-c:v",          "libx264", "-preset",  "veryfast", "-pix_fmt",    "yuv420p",
                    "-profile:v",    "high",    "-level:v", "4.1",      "-refs",       "3",
                    "-bf",           "0",       "-g",       "12",       "-keyint_min", "12",
                    "-sc_threshold", "0",       "-c:a",     "ac3",      "-f",          "mpegts"}}),
             ".ts");
        return;
    case Clip::HdrPq10:
        Make(path,
             Join(
                 {Video("320x240", 1),
                  Tone(440, 48000, 1),
                  {"-vf",
                   "format=yuv420p,setparams=range=tv:color_primaries=bt709:color_trc=bt709:colorspace=bt709,"
                   "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt2020:t=smpte2084:m=bt2020nc:r=tv:npl=100,"
                   "format=yuv420p10le",
                   "-c:v", "libx265", "-preset", "ultrafast", "-crf", "32", "-x265-params", "log-level=error",
                   "-color_trc", "smpte2084", "-color_primaries", "bt2020", "-colorspace", "bt2020nc", "-c:a", "aac"}}),
             ".mkv");
        return;
    case Clip::NotMedia: WriteTextOnce(path, "This is a text file, not a movie.\n"); return;
    case Clip::SubtitleText: WriteTextOnce(path, "1\n00:00:00,500 --> 00:00:01,200\nSUBTITLE\n"); return;
    }
}

const char* FileName(Clip clip)
{
    switch (clip) {
    case Clip::MatroskaTracks: return "tracks.mkv";
    case Clip::Standard4x3: return "standard_4x3.mp4";
    case Clip::Wide16x9: return "wide_16x9.mp4";
    case Clip::Anamorphic: return "anamorphic.mkv";
    case Clip::TransportStream: return "clip.ts";
    case Clip::Wmv: return "clip.wmv";
    case Clip::AudioOnly: return "audio_only.mka";
    case Clip::CoverArt: return "cover_art.mp4";
    case Clip::CoverFlac: return "cover_art.flac";
    case Clip::NotMedia: return "not_media.mkv";
    case Clip::SubtitleText: return "burn.srt";
    case Clip::PhonePortrait: return "phone_portrait.mp4";
    case Clip::Interlaced576: return "interlaced_576.ts";
    case Clip::KeyedH264: return "keyed_h264.ts";
    case Clip::SurroundTracks: return "surround_tracks.mkv";
    case Clip::UnflaggedFields: return "unflagged_fields.avi";
    case Clip::HdrPq10: return "hdr_pq10.mkv";
    }
    return "unknown";
}

} // namespace

std::string MediaFolder()
{
    // Bump the version when a clip changes, so stale clips are not reused.
    fs::path folder = fs::temp_directory_path() / ("reelvane-test-media-v1-" + std::to_string(::getuid()));
    fs::create_directories(folder);
    return folder.string();
}

std::string ClipPath(Clip clip)
{
    fs::path path = fs::path(MediaFolder()) / FileName(clip);
    if (!fs::exists(path))
        MakeClip(clip, path);
    return path.string();
}

std::string SizedClipPath(int seconds, int width, int height)
{
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    fs::path path = fs::path(MediaFolder()) / ("sized_" + std::to_string(seconds) + "s_" + size + ".mkv");
    if (!fs::exists(path))
        Make(path, Join({Video(size, seconds), Tone(440, 48000, seconds), kH264, {"-c:a", "aac"}}), ".mkv");
    return path.string();
}

} // namespace testmedia
