// Time to result of the newer codecs' profiles against the 1080p H.264 profile of the HD Video
// category, on one generated 1080p clip: wall and processor time, the ratio to H.264, and how long a
// minute of 1080p takes at that pace on this machine.
//   codec_bench [seconds of clip] [rounds]

#include "platform/process_runner.h"
#include "platform/processor_count.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string kPeer = "hd_mkv.ini:HD MKV H.264 (1920x1080)";
const std::string kProfiles[] = {
    "hevc_mkv.ini:MKV HEVC (H.265, AC-3)",
    "hevc_mkv.ini:MKV HEVC 10-bit (H.265 Main 10, AC-3)",
    "av1_mkv.ini:MKV AV1 (Opus)",
    "vp9_webm.ini:WebM VP9 (Opus)",
};

double ChildCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Best {
    double wall = 1e300, cpu = 1e300;
};

// Converts `clip` with `profile` into an emptied `folder`; false when the run failed.
bool Timed(Best& best, const std::string& profile, const std::string& clip, const std::string& folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    const double cpu = ChildCpuSeconds();
    const auto start = Clock::now();
    const int status = platform::RunAndWait(REELVANE_PROGRAM, {"--convert", "--profile", profile, "--re-encode",
                                                               "--output", folder, clip});
    best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    best.cpu = std::min(best.cpu, ChildCpuSeconds() - cpu);
    return status == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 1);
    const fs::path work = fs::temp_directory_path() / "reelvane-bench-codecs";
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    const std::string out = (work / "out").string();
    const std::string clip = testmedia::SizedClipPath(seconds, 1920, 1080);
    std::printf("processors usable: %d; a %d s 1920x1080 clip at 25 fps, best of %d\n",
                platform::UsableProcessorCount(), seconds, rounds);
    bool ok = true;
    Best peer;
    std::vector<Best> bests(std::size(kProfiles));
    for (int round = 0; round < rounds; ++round) { // interleaved, so each sees the same machine load
        ok = Timed(peer, kPeer, clip, out) && ok;
        for (std::size_t i = 0; i < std::size(kProfiles); ++i)
            ok = Timed(bests[i], kProfiles[i], clip, out) && ok;
    }
    auto line = [seconds, &peer](const std::string& profile, const Best& best) {
        std::printf("  %-52s wall %7.1f s (%5.2f x H.264)  processor %7.1f s (%5.2f x H.264)  a minute: %5.1f min\n",
                    profile.c_str(), best.wall, best.wall / peer.wall, best.cpu, best.cpu / peer.cpu,
                    best.wall * 60.0 / seconds / 60.0);
    };
    line(kPeer, peer);
    for (std::size_t i = 0; i < std::size(kProfiles); ++i)
        line(kProfiles[i], bests[i]);
    fs::remove_all(work);
    if (!ok)
        std::printf("some runs failed\n");
    return ok ? 0 : 1;
}
