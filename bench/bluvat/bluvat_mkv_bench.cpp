// Authoring a Matroska source of about 1 GB (H.264 + AC-3) through the exported interface,
// against `ffmpeg -c copy -f mpegts -mpegts_m2ts_mode 1` from the same file. Prints both times
// and their ratio, best of a few runs: `bluvat_mkv_bench [repeats]`.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
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

// Ten seconds of 720p H.264 and AC-3, looped by stream copy to about 1 GB.
bool makeSource(const fs::path& folder, const std::string& source)
{
    std::string piece = (folder / "piece.mkv").string();
    return ffmpeg({"-f",   "lavfi",   "-i",      "testsrc2=size=1280x720:rate=25:duration=10",
                   "-f",   "lavfi",   "-i",      "sine=frequency=440:sample_rate=48000:duration=10",
                   "-c:v", "libx264", "-preset", "ultrafast",
                   "-crf", "8",       "-g",      "25",
                   "-c:a", "ac3",     "-b:a",    "448k",
                   piece}) &&
           ffmpeg({"-stream_loop", "59", "-i", piece, "-c", "copy", source});
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

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    fs::path folder = fs::temp_directory_path() / ("bluvat_mkv_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string source = (folder / "source.mkv").string();
    std::string disc = (folder / "disc/").string();
    std::string peer = (folder / "peer.m2ts").string();
    if (!makeSource(folder, source)) {
        std::fprintf(stderr, "the source could not be made with ffmpeg\n");
        fs::remove_all(folder);
        return 1;
    }
    warmCache(source);
    nx_setcallbackfunc(quiet);

    double best = 1e9, bestPeer = 1e9;
    for (int r = 0; r < repeats; ++r) {
        AuthorItem item{source.c_str(), 256, 5, nullptr};
        AuthorItem* items[] = {&item};
        AuthorList list{items, 1};
        auto t0 = std::chrono::steady_clock::now();
        nx_ts_author(disc.c_str(), &list);
        best = std::min(best, seconds(std::chrono::steady_clock::now() - t0));

        t0 = std::chrono::steady_clock::now();
        bool ok = ffmpeg({"-i", source, "-c", "copy", "-f", "mpegts", "-mpegts_m2ts_mode", "1", peer});
        bestPeer = std::min(bestPeer, seconds(std::chrono::steady_clock::now() - t0));
        if (!ok) {
            std::fprintf(stderr, "ffmpeg failed\n");
            fs::remove_all(folder);
            return 1;
        }
    }
    auto mb = [](const fs::path& p) { return static_cast<double>(fs::file_size(p)) / (1 << 20); };
    double sourceMb = mb(source);
    std::printf("source: %.0f MiB Matroska (H.264 + AC-3, 600 s)\n", sourceMb);
    std::printf("bluvat nx_ts_author:          %.2f s (%.0f MiB/s), stream %.0f MiB\n", best, sourceMb / best,
                mb(folder / "disc/BDMV/STREAM/00000.m2ts"));
    std::printf("ffmpeg -c copy, m2ts mode:    %.2f s (%.0f MiB/s), stream %.0f MiB\n", bestPeer, sourceMb / bestPeer,
                mb(peer));
    std::printf("speed vs FFmpeg remux: %.2fx (best of %d; aim: above 1)\n", bestPeer / best, repeats);
    fs::remove_all(folder);
    return 0;
}
