// Feeds mutated Matroska, program-stream and graphics-stream files (bit flips, cuts, spliced
// ranges, scrambled sizes) through detection, the reader and the M2TS writer:
// `bluvat_mkv_fuzz_driver <count> <seconds>`. Any crash or sanitizer report fails.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "media.h"
#include "tests/bluvat/fuzz_one.h"
#include "platform/process_runner.h"

using namespace bluvat_mkv_test;
using bluvat_test::authorInput;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

std::vector<Bytes> seeds()
{
    const std::vector<std::string> av = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1",
                                         "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> a = av;
        a.insert(a.end(), extra.begin(), extra.end());
        return a;
    };
    std::string mkv =
        makeMedia("seed.mkv", with({"-c:v", "libx264", "-preset", "ultrafast", "-g", "5", "-c:a", "ac3"}));
    std::string mpeg2 = makeMedia("seed_mpeg2.mkv", with({"-c:v", "mpeg2video", "-c:a", "ac3"}));
    std::string vob = makeMedia("seed.vob", with({"-c:v", "mpeg2video", "-c:a", "ac3", "-f", "vob"}));
    std::string lpcm =
        makeMedia("seed_lpcm.vob",
                  with({"-ac", "2", "-c:v", "mpeg2video", "-c:a", "pcm_dvd", "-sample_fmt", "s32", "-f", "vob"}));
    std::string laced = scratchFolder() + "/seed_laced.mkv";
    platform::RunAndWait("mkvmerge", {"-q", "-o", laced, "--engage", "lacing_ebml", mpeg2});
    Bytes sup;
    for (uint32_t k = 0; k < 4; ++k) {
        Bytes s = {'P', 'G', 0, 1, static_cast<uint8_t>(k), 0, 0, 0, 0, 0, 0x16, 0, 4, 1, 2, 3, 4};
        sup.insert(sup.end(), s.begin(), s.end());
    }
    std::vector<Bytes> all = {readWhole(mkv), readWhole(mpeg2), readWhole(vob), readWhole(lpcm), readWhole(laced), sup};
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    int count = argc > 1 ? std::atoi(argv[1]) : 200;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    auto inputs = seeds();
    for (const Bytes& s : inputs)
        if (s.empty()) {
            std::fprintf(stderr, "a seed file could not be made\n");
            return 1;
        }
    std::string input = scratchFolder() + "/fuzz_input";
    std::string output = scratchFolder() + "/fuzz_output.m2ts";
    std::mt19937_64 random(5301);
    auto start = std::chrono::steady_clock::now();
    int done = 0;
    for (; done < count && std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds); ++done) {
        Bytes data = inputs[random() % inputs.size()];
        // the head holds the track table and the first sizes: mutate it more often
        int flips = 1 + static_cast<int>(random() % 48);
        for (int f = 0; f < flips && !data.empty(); ++f) {
            std::size_t span = random() % 3 == 0 ? data.size() : std::min<std::size_t>(data.size(), 2048);
            data[random() % span] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        if (random() % 4 == 0 && data.size() > 16) { // a size varint made huge or tiny
            std::size_t at = random() % data.size();
            data[at] = random() % 2 ? 0x01 : 0x80;
            if (at + 1 < data.size())
                data[at + 1] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0 && data.size() > 2) {
            for (int k = 0; k < 6; ++k) {
                std::size_t from = random() % data.size(), to = random() % data.size();
                std::size_t n = std::min<std::size_t>({random() % 300, data.size() - from, data.size() - to});
                std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), n,
                            data.begin() + static_cast<std::ptrdiff_t>(to));
            }
        }
        if (random() % 3 == 0)
            data.resize(random() % (data.size() + 1));
        writeFile(input, data);
        authorInput(input, output);
    }
    std::printf("%d mutated inputs read\n", done);
    return done > 0 ? 0 : 1;
}
