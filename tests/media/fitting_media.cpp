#include "tests/media/fitting_media.h"

#include "platform/process_runner.h"
#include "tests/media/test_media.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace testmedia {
namespace fs = std::filesystem;
namespace {

using Args = std::vector<std::string>;

Args Film(int seconds, const std::string& rate, const std::string& level)
{
    const std::string length = std::to_string(seconds);
    return {"-hide_banner",
            "-nostdin",
            "-loglevel",
            "error",
            "-y",
            "-f",
            "lavfi",
            "-i",
            "testsrc2=size=1920x1080:rate=" + rate + ":duration=" + length,
            "-f",
            "lavfi",
            "-i",
            "sine=frequency=440:sample_rate=48000:duration=" + length,
            "-c:v",
            "libx264",
            "-preset",
            "ultrafast",
            "-profile:v",
            "high",
            "-level",
            level,
            "-pix_fmt",
            "yuv420p",
            "-g",
            "24",
            "-keyint_min",
            "24",
            "-b:v",
            "8M",
            "-maxrate",
            "12M",
            "-bufsize",
            "12M",
            "-c:a",
            "ac3",
            "-b:a",
            "192k",
            "-ac",
            "2"};
}

// Made under a temporary name and renamed, so concurrent test processes never see half a clip.
std::string MakeOnce(const std::string& name, Args args)
{
    const fs::path target = fs::path(MediaFolder()) / name;
    if (fs::exists(target))
        return target.string();
    const fs::path temporary = target.parent_path() / (".making-" + std::to_string(::getpid()) + "-" + name);
    args.push_back(temporary.string());
    if (platform::RunAndWait("ffmpeg", args) != 0) {
        fs::remove(temporary);
        throw std::runtime_error("ffmpeg could not make the test clip " + target.string());
    }
    fs::rename(temporary, target);
    return target.string();
}

} // namespace

std::string FittingClipPath(FittingClip clip)
{
    switch (clip) {
    case FittingClip::Bluray: return BlurayFilmPath(2);
    case FittingClip::BlurayLevel51: return MakeOnce("fitting_level51.mkv", Film(2, "24000/1001", "5.1"));
    case FittingClip::Bluray1080p60: return MakeOnce("fitting_1080p60.mkv", Film(1, "60", "4.2"));
    case FittingClip::BlurayAac:
        return MakeOnce("fitting_aac.mkv", {"-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-i",
                                            BlurayFilmPath(2), "-c:v", "copy", "-c:a", "aac", "-b:a", "128k"});
    case FittingClip::BlurayChapters: {
        const fs::path chapters = fs::path(MediaFolder()) / (".chapters-" + std::to_string(::getpid()) + ".ffmeta");
        std::ofstream(chapters) << ";FFMETADATA1\n"
                                << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=One\n"
                                << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1250\ntitle=Two\n"
                                << "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1250\nEND=2000\ntitle=Three\n";
        const std::string path =
            MakeOnce("fitting_chapters.mkv",
                     {"-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-i", BlurayFilmPath(2), "-i",
                      chapters.string(), "-map", "0", "-map_chapters", "1", "-c", "copy"});
        fs::remove(chapters);
        return path;
    }
    case FittingClip::Mp4Main:
        return MakeOnce("fitting_main.mp4", {"-hide_banner",
                                             "-nostdin",
                                             "-loglevel",
                                             "error",
                                             "-y",
                                             "-f",
                                             "lavfi",
                                             "-i",
                                             "testsrc2=size=320x240:rate=25:duration=2",
                                             "-f",
                                             "lavfi",
                                             "-i",
                                             "sine=frequency=440:sample_rate=44100:duration=2",
                                             "-c:v",
                                             "libx264",
                                             "-preset",
                                             "ultrafast",
                                             "-profile:v",
                                             "main",
                                             "-pix_fmt",
                                             "yuv420p",
                                             "-b:v",
                                             "100k",
                                             "-maxrate",
                                             "120k",
                                             "-bufsize",
                                             "240k",
                                             "-c:a",
                                             "aac",
                                             "-b:a",
                                             "96k",
                                             "-ac",
                                             "2"});
    }
    throw std::runtime_error("unknown fitting clip");
}

std::string BlurayFilmPath(int seconds)
{
    return MakeOnce("fitting_bluray_" + std::to_string(seconds) + "s.mkv", Film(seconds, "24000/1001", "4.1"));
}

} // namespace testmedia
