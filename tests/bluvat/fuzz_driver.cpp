// Feeds mutated copies of a real stream (bit flips, cuts, spliced and repeated ranges) through the
// reader and writer: `bluvat_fuzz_driver <inputs> <seconds>`. Any crash or sanitizer report fails.

#include "fuzz_one.h"
#include "test_media.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace bluvat_test;

int main(int argc, char** argv)
{
    int count = argc > 1 ? std::atoi(argv[1]) : 200;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const std::vector<uint8_t> seeds[] = {readFile(h264Ac3()), readFile(h264Ac3Packets192()),
                                          readFile(twoProgramPat())};
    for (const auto& s : seeds)
        if (s.empty()) {
            std::fprintf(stderr, "no seed stream\n");
            return 1;
        }
    std::string input = scratchFolder() + "/fuzz_input.ts";
    std::string output = scratchFolder() + "/fuzz_output.m2ts";
    std::mt19937_64 random(20261208);
    auto start = std::chrono::steady_clock::now();
    int done = 0;
    for (; done < count; ++done) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(seconds))
            break;
        std::vector<uint8_t> data = seeds[random() % 3];
        // Keep most inputs short so many run; mutate the head, where the tables are, more often.
        if (random() % 2)
            data.resize(std::min<std::size_t>(data.size(), 188 * (1 + random() % 200)));
        int flips = 1 + int(random() % 64);
        for (int f = 0; f < flips && !data.empty(); ++f) {
            std::size_t span = random() % 4 == 0 ? data.size() : std::min<std::size_t>(data.size(), 4096);
            data[random() % span] ^= uint8_t(1u << (random() % 8));
        }
        if (random() % 4 == 0 && data.size() > 2) // splice a range over another
            for (int k = 0; k < 8; ++k) {
                std::size_t from = random() % data.size(), to = random() % data.size();
                std::size_t n =
                    std::min<std::size_t>({std::size_t(random() % 400), data.size() - from, data.size() - to});
                std::copy_n(data.begin() + std::ptrdiff_t(from), n, data.begin() + std::ptrdiff_t(to));
            }
        if (random() % 4 == 0) // cut anywhere, mid-packet included
            data.resize(random() % (data.size() + 1));
        writeFile(input, data);
        authorInput(input, output);
    }
    std::printf("%d mutated inputs read\n", done);
    return done > 0 ? 0 : 1;
}
