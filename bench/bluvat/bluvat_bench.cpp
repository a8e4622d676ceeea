// Times nx_ts_author on a looped generated stream against `ffmpeg -c copy -f mpegts
// -mpegts_m2ts_mode 1` and against `cp` of the same file, in one run, and prints both ratios.

#include "bluvat/bluvat.h"
#include "platform/process_runner.h"

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Timing {
    double wall = 0;
    double cpu = 0; // user + system, of this process and of the programs it waited for
};

double cpuSeconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

Timing measure(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    double cpu = cpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpuSeconds() - cpu};
}

bool run(const std::vector<std::string>& args)
{
    std::vector<std::string> rest(args.begin() + 1, args.end());
    return platform::RunAndWait(args[0], rest) == 0;
}

// Flushes what earlier steps wrote and reads the source once, so that every contender starts
// from the page cache with no write-back of another's output in its way.
void warm(const std::string& path)
{
    run({"sync"});
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
    }
}

void quiet(int32_t, int32_t, const char*)
{
}

} // namespace

int main(int argc, char** argv)
{
    long megabytes = argc > 1 ? std::atol(argv[1]) : 1024;
    fs::path dir = fs::temp_directory_path() / ("bluvat_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string piece = (dir / "piece.ts").string();
    std::string source = (dir / "source.ts").string();

    // Ten seconds of 1080p H.264 (about 12 Mbit/s) with AC-3, looped to the size asked for.
    std::printf("making the source stream...\n");
    if (!run({"ffmpeg", "-v",      "error",   "-y",
              "-f",     "lavfi",   "-i",      "testsrc2=size=1920x1080:rate=25:duration=10",
              "-f",     "lavfi",   "-i",      "sine=frequency=440:sample_rate=48000:duration=10",
              "-c:v",   "libx264", "-preset", "ultrafast",
              "-b:v",   "12M",     "-g",      "25",
              "-c:a",   "ac3",     "-f",      "mpegts",
              piece})) {
        std::fprintf(stderr, "ffmpeg could not make the source\n");
        return 1;
    }
    long loops = std::max<long>(1, megabytes * 1024 * 1024 / long(fs::file_size(piece)));
    run({"ffmpeg", "-v", "error", "-y", "-stream_loop", std::to_string(loops - 1), "-i", piece, "-map", "0", "-c",
         "copy", "-f", "mpegts", source});
    double size = double(fs::file_size(source)) / (1024.0 * 1024.0);
    std::printf("source: %.0f MB\n", size);

    nx_setcallbackfunc(quiet);
    std::string disc = (dir / "disc").string();
    AuthorItem item{source.c_str(), 256, 5, nullptr};
    AuthorItem* items[] = {&item};
    AuthorList list{items, 1};
    std::string remuxed = (dir / "remux.m2ts").string();
    std::string copied = (dir / "copy.ts").string();
    int result = 0;
    // Interleaved rounds, the contenders taking turns, since the machine is shared and noisy: each
    // round gives one ratio against each peer, and the best and the median of those are printed.
    constexpr int kRounds = 5;
    std::vector<Timing> bluvat, ffmpeg, cp;
    for (int round = 0; round < kRounds; ++round) {
        warm(source);
        bluvat.push_back(measure([&] { result |= nx_ts_author(disc.c_str(), &list); }));
        fs::remove_all(disc);

        warm(source);
        ffmpeg.push_back(measure([&] {
            run({"ffmpeg", "-v", "error", "-y", "-i", source, "-map", "0", "-c", "copy", "-f", "mpegts",
                 "-mpegts_m2ts_mode", "1", remuxed});
        }));
        fs::remove(remuxed);

        warm(source);
        cp.push_back(measure([&] { run({"cp", source, copied}); }));
        fs::remove(copied);
    }
    fs::remove_all(dir);

    auto bestAndMedian = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return std::pair<double, double>{v.back(), v[v.size() / 2]};
    };
    // Wall time is what a user waits; processor time is steadier on a machine shared with others.
    auto line = [&](const char* name, const std::vector<Timing>& t) {
        std::vector<double> wall;
        for (const Timing& x : t)
            wall.push_back(-x.wall); // best = shortest
        auto [best, median] = bestAndMedian(wall);
        std::printf("%-14s: best %6.2f s (%7.1f MB/s), median %6.2f s\n", name, -best, size / -best, -median);
    };
    line("bluvat author", bluvat);
    line("ffmpeg remux", ffmpeg);
    line("cp", cp);
    if (result != 0)
        std::printf("the authoring job reported -1\n");
    auto ratios = [&](const std::vector<Timing>& peer, const char* name, const char* aim) {
        std::vector<double> wall, cpu;
        for (int r = 0; r < kRounds; ++r) {
            wall.push_back(peer[r].wall / bluvat[r].wall);
            cpu.push_back(peer[r].cpu / bluvat[r].cpu);
        }
        auto [bestWall, medianWall] = bestAndMedian(wall);
        auto [bestCpu, medianCpu] = bestAndMedian(cpu);
        std::printf(
            "speed vs %-12s: wall best %.2fx median %.2fx, processor best %.2fx median %.2fx (%d rounds; aim: %s)\n",
            name, bestWall, medianWall, bestCpu, medianCpu, kRounds, aim);
    };
    ratios(ffmpeg, "FFmpeg remux", "above 1");
    ratios(cp, "cp", "at least 0.8");
    return result == 0 ? 0 : 1;
}
