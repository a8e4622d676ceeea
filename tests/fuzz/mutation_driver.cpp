// Runs a fuzz target without libFuzzer, so that every test run fuzzes a little with the normal
// compiler:
//   <driver> seeds FOLDER                   writes the target's seed inputs into FOLDER
//   <driver> run COUNT SECONDS [FOUND...]   replays the files of the FOUND folders (inputs that
//                                           once broke the target), then the seeds, then mutated
//                                           seeds until COUNT inputs or SECONDS have passed
// The input that crashes the run is written to "<driver>.input" in the working folder.

#include "tests/fuzz/fuzz_target.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <random>
#include <unistd.h>

// Set when the driver runs under the sanitizers, which end the process without a signal.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

using fuzz::Bytes;

class Mutator {
public:
    explicit Mutator(const std::vector<Bytes>& seeds) : seeds_(seeds) {}

    Bytes Next()
    {
        Bytes data = seeds_[random_() % seeds_.size()];
        const int steps = 1 + static_cast<int>(random_() % 8);
        for (int s = 0; s < steps; ++s)
            Mutate(data);
        return data;
    }

private:
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : random_() % n; }

    // Places near the head, where headers and tables sit, are picked more often.
    std::size_t Place(const Bytes& data)
    {
        return Below(random_() % 3 ? std::min<std::size_t>(data.size(), 2048) : data.size());
    }

    void Mutate(Bytes& data)
    {
        static constexpr uint8_t kInteresting[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, '\n', '[', '=', '%', '-'};
        switch (random_() % 7) {
        case 0: // flip bits
            for (int k = 1 + static_cast<int>(Below(16)); k > 0 && !data.empty(); --k)
                data[Place(data)] ^= static_cast<uint8_t>(1u << Below(8));
            break;
        case 1: // a byte or a 32-bit field set to an edge value
            if (data.size() >= 4) {
                std::size_t at = std::min(Place(data), data.size() - 4);
                const std::size_t width = random_() % 2 ? 1 : 4;
                const uint8_t value = kInteresting[Below(std::size(kInteresting))];
                std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(at), width, value);
            }
            break;
        case 2: // copy a range over another
            if (data.size() > 2) {
                std::size_t from = Below(data.size()), to = Place(data);
                std::size_t n = std::min({Below(512), data.size() - from, data.size() - to});
                std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), n,
                            data.begin() + static_cast<std::ptrdiff_t>(to));
            }
            break;
        case 3: { // insert a range, repeating part of the input or bringing in another seed
            const Bytes& source = random_() % 2 ? data : seeds_[Below(seeds_.size())];
            if (source.empty() || data.size() > (1u << 22))
                break;
            const Bytes piece = Piece(source);
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(Below(data.size() + 1)), piece.begin(), piece.end());
            break;
        }
        case 4: // erase a range
            if (!data.empty()) {
                std::size_t at = Place(data);
                std::size_t n = std::min(Below(256) + 1, data.size() - at);
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + n));
            }
            break;
        case 5: // cut anywhere
            data.resize(Below(data.size() + 1));
            break;
        default: // random bytes in place
            for (int k = 1 + static_cast<int>(Below(8)); k > 0 && !data.empty(); --k)
                data[Place(data)] = static_cast<uint8_t>(random_());
            break;
        }
    }

    Bytes Piece(const Bytes& source)
    {
        std::size_t from = Below(source.size());
        std::size_t n = std::min(Below(512) + 1, source.size() - from);
        return Bytes(source.begin() + static_cast<std::ptrdiff_t>(from),
                     source.begin() + static_cast<std::ptrdiff_t>(from + n));
    }

    const std::vector<Bytes>& seeds_;
    std::mt19937_64 random_{20260522};
};

int WriteSeeds(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const std::vector<Bytes> seeds = fuzz::Seeds();
    for (std::size_t i = 0; i < seeds.size(); ++i)
        fuzz::WriteFile(folder + "/seed-" + std::to_string(i), seeds[i]);
    std::printf("%zu seeds in %s\n", seeds.size(), folder.c_str());
    return seeds.empty() ? 1 : 0;
}

// The input under test, written out only when the process dies on it.
struct Current {
    const uint8_t* data = nullptr;
    std::size_t size = 0;
    char path[4096] = {};
} current;

void KeepCurrentInput()
{
    const int fd = ::open(current.path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    for (std::size_t done = 0; done < current.size;) {
        const ssize_t n = ::write(fd, current.data + done, current.size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    static const char kNote[] = "\nthe input that broke the target is kept in the working folder\n";
    [[maybe_unused]] ssize_t ignored = ::write(2, kNote, sizeof kNote - 1);
}

void OnFatalSignal(int signal)
{
    KeepCurrentInput();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class Runner {
public:
    explicit Runner(const std::string& keep)
    {
        std::snprintf(current.path, sizeof current.path, "%s", keep.c_str());
        for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
            std::signal(signal, OnFatalSignal);
        if (__sanitizer_set_death_callback)
            __sanitizer_set_death_callback(KeepCurrentInput);
    }

    void Run(const Bytes& input)
    {
        current.data = input.data();
        current.size = input.size();
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++count_;
    }
    long count() const { return count_; }

private:
    long count_ = 0;
};

int RunMutations(const char* program, long count, int seconds, const std::vector<std::string>& foundFolders)
{
    Runner runner(std::filesystem::path(program).filename().string() + ".input");
    long replayed = 0;
    for (const std::string& folder : foundFolders) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            continue;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            runner.Run(fuzz::ReadFile(file.string()));
            ++replayed;
        }
    }
    const std::vector<Bytes> seeds = fuzz::Seeds();
    if (seeds.empty()) {
        std::fprintf(stderr, "no seed input could be made\n");
        return 1;
    }
    for (const Bytes& seed : seeds)
        runner.Run(seed);
    // The time is for mutations: making the seeds may take a while on a busy machine.
    const auto start = std::chrono::steady_clock::now();
    Mutator mutator(seeds);
    while (runner.count() < count && std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds))
        runner.Run(mutator.Next());
    std::printf("%ld inputs run: %ld found before, %zu seeds, %ld mutated\n", runner.count(), replayed, seeds.size(),
                runner.count() - replayed - static_cast<long>(seeds.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seeds" && argc == 3)
        return WriteSeeds(argv[2]);
    if (mode == "run" && argc >= 4)
        return RunMutations(argv[0], std::atol(argv[2]), std::atoi(argv[3]),
                            std::vector<std::string>(argv + 4, argv + argc));
    std::fprintf(stderr, "usage: %s seeds FOLDER | run COUNT SECONDS [FOUND_FOLDER...]\n", argv[0]);
    return 2;
}
