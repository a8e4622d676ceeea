// Building an image of a tree against `cp -r` of the same tree to the same disk.
// Usage: nx_udf_bench WORK_FOLDER [MEGABYTES]   (default 2048; the folder is left empty again)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "nx_udf/nx_udf.h"
#include "platform/process_runner.h"

namespace fs = std::filesystem;

namespace {

// A disc-like tree: a few large streams and many small files, none of it sparse.
void make_tree(const fs::path& root, uint64_t megabytes)
{
    std::vector<char> chunk(1 << 20);
    std::minstd_rand random(7);
    for (auto& c : chunk)
        c = static_cast<char>(random());
    fs::create_directories(root / "BDMV/STREAM");
    uint64_t streams = 16, per_stream = megabytes / streams;
    for (uint64_t i = 0; i < streams; ++i) {
        std::ofstream out(root / "BDMV/STREAM" / (std::to_string(10000 + i) + ".m2ts"), std::ios::binary);
        for (uint64_t mb = 0; mb < per_stream; ++mb) {
            chunk[mb % chunk.size()] ^= static_cast<char>(i + 1);
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
    }
    for (int i = 0; i < 400; ++i) {
        fs::create_directories(root / "BDMV/CLIPINF");
        std::ofstream(root / "BDMV/CLIPINF" / (std::to_string(10000 + i) + ".clpi"), std::ios::binary)
            .write(chunk.data() + i, 1000 + i * 7);
    }
}

// Seconds for `work`, then for the flush of everything it left to write on that disk.
template <typename Work>
std::pair<double, double> timed(const fs::path& on_disk, Work work)
{
    int fd = ::open(on_disk.c_str(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    auto start = std::chrono::steady_clock::now();
    work();
    auto worked = std::chrono::steady_clock::now();
    ::syncfs(fd);
    auto flushed = std::chrono::steady_clock::now();
    ::close(fd);
    return { std::chrono::duration<double>(worked - start).count(),
             std::chrono::duration<double>(flushed - start).count() };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER [MEGABYTES]\n", argv[0]);
        return 2;
    }
    fs::path work = fs::path(argv[1]) / "nx_udf_bench";
    uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 2048;
    fs::remove_all(work);
    make_tree(work / "tree", megabytes);

    // Interleaved rounds, the two taking turns (and turns at going first), since the machine is
    // shared and noisy: each round gives one ratio, and the best and the median are printed.
    constexpr int kRounds = 5;
    std::vector<double> written, on_disk;
    std::vector<std::pair<double, double>> copies, images;
    for (int round = 0; round < kRounds; ++round) {
        auto copy_tree = [&] {
            return timed(work, [&] {
                if (platform::RunAndWait("cp", { "-r", (work / "tree").string(), (work / "copy").string() }) != 0)
                    std::fprintf(stderr, "cp failed\n");
            });
        };
        auto build_image = [&] {
            return timed(work, [&] {
                if (nx_udfc((work / "tree").c_str(), "BDMV", (work / "tree.iso").c_str(), nullptr) != 0)
                    std::fprintf(stderr, "nx_udfc failed\n");
            });
        };
        std::pair<double, double> copy, image;
        if (round % 2 == 0) {
            copy = copy_tree();
            image = build_image();
        } else {
            image = build_image();
            copy = copy_tree();
        }
        fs::remove_all(work / "copy");
        fs::remove(work / "tree.iso");
        copies.push_back(copy);
        images.push_back(image);
        written.push_back(copy.first / image.first);
        on_disk.push_back(copy.second / image.second);
    }
    fs::remove_all(work);

    auto best_and_median = [](std::vector<double> v, bool larger_is_better) {
        std::sort(v.begin(), v.end());
        return std::pair<double, double>{ larger_is_better ? v.back() : v.front(), v[v.size() / 2] };
    };
    auto times = [&](const char* name, const std::vector<std::pair<double, double>>& t) {
        std::vector<double> w, d;
        for (const auto& x : t) {
            w.push_back(x.first);
            d.push_back(x.second);
        }
        auto [best_w, median_w] = best_and_median(w, false);
        auto [best_d, median_d] = best_and_median(d, false);
        std::printf("%-8s written: best %.2f s, median %.2f s; on disk: best %.2f s, median %.2f s\n", name,
                    best_w, median_w, best_d, median_d);
    };
    std::printf("tree of %llu MB, %d rounds\n", static_cast<unsigned long long>(megabytes), kRounds);
    times("cp -r", copies);
    times("nx_udfc", images);
    auto [best_w, median_w] = best_and_median(written, true);
    auto [best_d, median_d] = best_and_median(on_disk, true);
    std::printf("ratio (cp time / image time): written best %.2f median %.2f; on disk best %.2f median %.2f (aim: at least 0.95)\n",
                best_w, median_w, best_d, median_d);
    return 0;
}
