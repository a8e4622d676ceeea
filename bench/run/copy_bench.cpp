// Time to result: (a) a 60 s Matroska film that fits the disc, to a Blu-ray image with its
// streams copied against the same run re-encoding them, and the copy run against cp of the
// source; (b) 12 short clips to an audio and a small-device profile, one task at a time against
// the automatic count of tasks at once. Wall and processor time, best and median.
//   copy_bench [rounds] [re-encode rounds]

#include "platform/process_runner.h"
#include "platform/processor_count.h"
#include "tests/media/fitting_media.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string kBluray = "blu-ray_h264.ini:Blu-ray H.264 (1080p, 23.976 fps)";
const std::string kAudio = "ac3.ini:AC-3 Audio";
const std::string kDevice = "sony320x240.ini:Sony Ericsson MP4 (320x240)";

double ChildCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Samples {
    std::vector<double> wall, cpu;
};

// Runs `program` with `args` into an emptied `folder`; false when it failed.
bool Timed(Samples& samples, const std::string& program, const std::vector<std::string>& args,
           const std::string& folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    const double cpu = ChildCpuSeconds();
    const auto start = Clock::now();
    const int status = platform::RunAndWait(program, args);
    samples.wall.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    samples.cpu.push_back(ChildCpuSeconds() - cpu);
    return status == 0;
}

double Best(std::vector<double> v)
{
    return *std::min_element(v.begin(), v.end());
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Report(const char* what, const Samples& slow, const Samples& fast, const char* aim)
{
    std::printf("  %s\n", what);
    std::printf("    wall      best %8.3f s / %8.3f s  ratio %7.2f   median %8.3f s / %8.3f s  ratio %7.2f  (%s)\n",
                Best(slow.wall), Best(fast.wall), Best(slow.wall) / Best(fast.wall), Median(slow.wall),
                Median(fast.wall), Median(slow.wall) / Median(fast.wall), aim);
    std::printf("    processor best %8.3f s / %8.3f s  ratio %7.2f   median %8.3f s / %8.3f s  ratio %7.2f\n",
                Best(slow.cpu), Best(fast.cpu), Best(slow.cpu) / Best(fast.cpu), Median(slow.cpu), Median(fast.cpu),
                Median(slow.cpu) / Median(fast.cpu));
}

std::vector<std::string> Convert(const std::string& profile, const std::string& folder,
                                 const std::vector<std::string>& options, const std::vector<std::string>& files)
{
    std::vector<std::string> args = {"--convert", "--profile", profile, "--output", folder};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
    const int encodeRounds = std::max(0, argc > 2 ? std::atoi(argv[2]) : 1); // 0: the copy run against cp alone
    const fs::path work = fs::temp_directory_path() / "reelvane-bench-copy";
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    const std::string out = (work / "out").string();
    const std::string film = testmedia::BlurayFilmPath(60);
    std::vector<std::string> clips;
    for (int i = 0; i < 12; ++i) {
        const fs::path clip = work / "clips" / ("clip" + std::to_string(i) + ".mkv");
        fs::create_directories(clip.parent_path());
        if (!fs::exists(clip))
            fs::copy_file(testmedia::SizedClipPath(2, 320, 240), clip);
        clips.push_back(clip.string());
    }
    std::printf("processors usable: %d\n", platform::UsableProcessorCount());
    bool ok = true;

    Samples copy, encode, cp;
    for (int round = 0; round < rounds; ++round) { // interleaved, so each sees the same machine load
        ok = Timed(cp, "cp", {film, out + "/copy.mkv"}, out) && ok;
        ok = Timed(copy, REELVANE_PROGRAM, Convert(kBluray, out, {"--copy-fitting"}, {film}), out) && ok;
        if (round < encodeRounds)
            ok = Timed(encode, REELVANE_PROGRAM, Convert(kBluray, out, {"--re-encode"}, {film}), out) && ok;
    }
    std::printf("(a) a 60 s 1080p23.976 H.264 High 4.1 + AC-3 Matroska film to a Blu-ray image (%d rounds, %d "
                "re-encoding)\n",
                rounds, encodeRounds);
    if (encodeRounds > 0)
        Report("--re-encode / copy", encode, copy, "aim: at least 20");
    Report("cp of the source / copy run", cp, copy, "aim: at least 0.3");

    for (const auto& [name, profile] : {std::pair{"audio profile", kAudio}, std::pair{"320x240 device", kDevice}}) {
        Samples serial, automatic;
        for (int round = 0; round < rounds; ++round) {
            ok = Timed(serial, REELVANE_PROGRAM, Convert(profile, out, {"--jobs", "1"}, clips), out) && ok;
            ok = Timed(automatic, REELVANE_PROGRAM, Convert(profile, out, {"--jobs", "auto"}, clips), out) && ok;
        }
        std::printf("(b) 12 clips of 2 s 320x240 to the %s (%d rounds)\n", name, rounds);
        Report("--jobs 1 / automatic", serial, automatic, "aim on 2 processors: at least 1.6");
    }
    fs::remove_all(work);
    if (!ok)
        std::printf("some runs failed\n");
    return ok ? 0 : 1;
}
