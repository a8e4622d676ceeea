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
#include <sys/resource.h>
#include <unistd.h>

#include "nx_udf/nx_udf.h"
#include "platform/process_runner.h"

namespace fs = std::filesystem;

namespace {

// A disc-like tree: a few large streams and many small files, none of it sparse.
void MakeTree(const fs::path& root, uint64_t megabytes)
{
    std::vector<char> chunk(1 << 20);
    std::minstd_rand random(7);
    for (auto& c : chunk)
        c = static_cast<char>(random());
    fs::create_directories(root / "BDMV/STREAM");
    uint64_t streams = 16, perStream = megabytes / streams;
    for (uint64_t i = 0; i < streams; ++i) {
        std::ofstream out(root / "BDMV/STREAM" / (std::to_string(10000 + i) + ".m2ts"), std::ios::binary);
        for (uint64_t mb = 0; mb < perStream; ++mb) {
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

// Processor seconds of this process and the programs it waited for.
double ProcessorSeconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

struct Timing {
    double written = 0; // seconds for the work
    double onDisk = 0;  // and for the flush of everything it left to write on that disk
    double processor = 0;
};

template <typename Work>
Timing Timed(const fs::path& onDisk, Work work)
{
    int fd = ::open(onDisk.c_str(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    double processor = ProcessorSeconds();
    auto start = std::chrono::steady_clock::now();
    work();
    auto worked = std::chrono::steady_clock::now();
    processor = ProcessorSeconds() - processor;
    ::syncfs(fd);
    auto flushed = std::chrono::steady_clock::now();
    ::close(fd);
    return {std::chrono::duration<double>(worked - start).count(),
            std::chrono::duration<double>(flushed - start).count(), processor};
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
    MakeTree(work / "tree", megabytes);

    // Interleaved rounds, the two taking turns (and turns at going first), since the machine is
    // shared and noisy: each round gives one ratio, and the best and the median are printed.
    constexpr int kRounds = 5;
    std::vector<double> written, onDisk, processor;
    std::vector<Timing> copies, images;
    for (int round = 0; round < kRounds; ++round) {
        auto copyTree = [&] {
            return Timed(work, [&] {
                if (platform::RunAndWait("cp", {"-r", (work / "tree").string(), (work / "copy").string()}) != 0)
                    std::fprintf(stderr, "cp failed\n");
            });
        };
        auto buildImage = [&] {
            return Timed(work, [&] {
                if (nx_udfc((work / "tree").c_str(), "BDMV", (work / "tree.iso").c_str(), nullptr) != 0)
                    std::fprintf(stderr, "nx_udfc failed\n");
            });
        };
        Timing copy, image;
        if (round % 2 == 0) {
            copy = copyTree();
            image = buildImage();
        } else {
            image = buildImage();
            copy = copyTree();
        }
        fs::remove_all(work / "copy");
        fs::remove(work / "tree.iso");
        copies.push_back(copy);
        images.push_back(image);
        written.push_back(copy.written / image.written);
        onDisk.push_back(copy.onDisk / image.onDisk);
        processor.push_back(copy.processor / image.processor);
    }
    fs::remove_all(work);

    auto bestAndMedian = [](std::vector<double> v, bool largerIsBetter) {
        std::sort(v.begin(), v.end());
        return std::pair<double, double>{largerIsBetter ? v.back() : v.front(), v[v.size() / 2]};
    };
    auto times = [&](const char* name, const std::vector<Timing>& t) {
        std::vector<double> w, d, p;
        for (const Timing& x : t) {
            w.push_back(x.written);
            d.push_back(x.onDisk);
            p.push_back(x.processor);
        }
        auto [bestW, medianW] = bestAndMedian(w, false);
        auto [bestD, medianD] = bestAndMedian(d, false);
        auto [bestP, medianP] = bestAndMedian(p, false);
        std::printf("%-8s written: best %.2f s, median %.2f s; on disk: best %.2f s, median %.2f s; "
                    "processor: best %.2f s, median %.2f s\n",
                    name, bestW, medianW, bestD, medianD, bestP, medianP);
    };
    std::printf("tree of %llu MB, %d rounds\n", static_cast<unsigned long long>(megabytes), kRounds);
    times("cp -r", copies);
    times("nx_udfc", images);
    auto [bestW, medianW] = bestAndMedian(written, true);
    auto [bestD, medianD] = bestAndMedian(onDisk, true);
    auto [bestP, medianP] = bestAndMedian(processor, true);
    std::printf("ratio (cp time / image time): written best %.2f median %.2f; on disk best %.2f median %.2f; "
                "processor best %.2f median %.2f (aim: at least 0.95)\n",
                bestW, medianW, bestD, medianD, bestP, medianP);
    return 0;
}
