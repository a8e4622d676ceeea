// Authoring a Matroska source of about 1 GB (H.264 + AC-3) through the exported interface,
// against `ffmpeg -c copy -f mpegts -mpegts_m2ts_mode 1` and against `cp` of the same file, in
// interleaved rounds: prints each contender's best and median time and the ratios of each round's
// times, best and median: `bluvat_mkv_bench [rounds] [loops of 10 s, 60 by default]`.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "bluvat/bluvat.h"
#include "platform/process_runner.h"

namespace fs = std::filesystem;

namespace {

double seconds(const std::chrono::steady_clock::duration& d)
{
    return std::chrono::duration<double>(d).count();
}

bool ffmpeg(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {"-hide_banner", "-loglevel", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    return platform::RunAndWait("ffmpeg", all) == 0;
}

// Ten seconds of 720p H.264 and AC-3, looped by stream copy (60 loops: about 1 GB).
bool makeSource(const fs::path& folder, const std::string& source, int loops)
{
    std::string piece = (folder / "piece.mkv").string();
    return ffmpeg({"-f",   "lavfi",   "-i",      "testsrc2=size=1280x720:rate=25:duration=10",
                   "-f",   "lavfi",   "-i",      "sine=frequency=440:sample_rate=48000:duration=10",
                   "-c:v", "libx264", "-preset", "ultrafast",
                   "-crf", "8",       "-g",      "25",
                   "-c:a", "ac3",     "-b:a",    "448k",
                   piece}) &&
           ffmpeg({"-stream_loop", std::to_string(loops - 1), "-i", piece, "-c", "copy", source});
}

void warmCache(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
        ;
}

void quiet(int32_t, int32_t, const char*)
{
}

std::pair<double, double> bestAndMedian(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    int loops = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    fs::path folder = fs::temp_directory_path() / ("bluvat_mkv_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string source = (folder / "source.mkv").string();
    std::string disc = (folder / "disc/").string();
    std::string peer = (folder / "peer.m2ts").string();
    std::string copied = (folder / "copy.mkv").string();
    if (!makeSource(folder, source, loops)) {
        std::fprintf(stderr, "the source could not be made with ffmpeg\n");
        fs::remove_all(folder);
        return 1;
    }
    nx_setcallbackfunc(quiet);

    // Interleaved, the machine being shared: each round sees the same load for all three.
    std::vector<double> bluvat, remux, cp;
    for (int r = 0; r < rounds; ++r) {
        AuthorItem item{source.c_str(), 256, 5, nullptr};
        AuthorItem* items[] = {&item};
        AuthorList list{items, 1};
        warmCache(source);
        auto t0 = std::chrono::steady_clock::now();
        int authored = nx_ts_author(disc.c_str(), &list);
        bluvat.push_back(seconds(std::chrono::steady_clock::now() - t0));
        fs::remove_all(disc);

        warmCache(source);
        t0 = std::chrono::steady_clock::now();
        bool ok = ffmpeg({"-i", source, "-c", "copy", "-f", "mpegts", "-mpegts_m2ts_mode", "1", peer});
        remux.push_back(seconds(std::chrono::steady_clock::now() - t0));
        fs::remove(peer);

        warmCache(source);
        t0 = std::chrono::steady_clock::now();
        ok = platform::RunAndWait("cp", {source, copied}) == 0 && ok;
        cp.push_back(seconds(std::chrono::steady_clock::now() - t0));
        fs::remove(copied);
        if (!ok || authored != 0) {
            std::fprintf(stderr, "a contender failed\n");
            fs::remove_all(folder);
            return 1;
        }
    }
    double sourceMb = static_cast<double>(fs::file_size(source)) / (1 << 20);
    std::printf("source: %.0f MiB Matroska (H.264 + AC-3, %d s), %d rounds\n", sourceMb, loops * 10, rounds);
    for (auto [name, times] :
         {std::pair{"bluvat nx_ts_author", &bluvat}, std::pair{"ffmpeg -c copy, m2ts", &remux}, std::pair{"cp", &cp}}) {
        auto [best, median] = bestAndMedian(*times);
        std::printf("%-22s best %6.2f s (%5.0f MiB/s), median %6.2f s\n", name, best, sourceMb / best, median);
    }
    for (auto [name, times, aim] : {std::tuple{"FFmpeg remux", &remux, "above 1"}, std::tuple{"cp", &cp, "0.8"}}) {
        std::vector<double> ratios; // the peer's time over bluvat's: above 1, bluvat is faster
        for (int r = 0; r < rounds; ++r)
            ratios.push_back((*times)[r] / bluvat[r]);
        std::sort(ratios.begin(), ratios.end());
        std::printf("speed vs %-12s: best %.2fx, median %.2fx (aim: %s)\n", name, ratios.back(),
                    ratios[ratios.size() / 2], aim);
    }
    fs::remove_all(folder);
    return 0;
}
