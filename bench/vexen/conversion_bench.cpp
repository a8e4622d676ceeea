// A conversion through ffmain against the same ffmpeg command run directly; prints the ratio.

#include "adapters/vexen/vector_translation.h"
#include "adapters/vexen/vexen.h"
#include "platform/process_runner.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

int32_t Quiet(const char* message, double value)
{
    if (value > -2 && value < 0)
        std::fprintf(stderr, "engine message: %s\n", message);
    return 0;
}

std::vector<std::string> Vector(const std::string& source, const std::string& output)
{
    return {"ffmain", "-i",  source, "-vcodec", "mpeg4",   "-b",       "800", "-acodec",
            "ac3",    "-ab", "192",  "-s",      "320x240", "-threads", "1",   output};
}

double ThroughEngine(const std::string& source, const std::string& output)
{
    std::vector<std::string> words = Vector(source, output);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    auto start = Clock::now();
    ffmain(static_cast<int32_t>(argv.size()), argv.data(), Quiet);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Directly(const std::string& source, const std::string& output)
{
    vexen::Translation translation = vexen::TranslateEngineVector(Vector(source, output));
    std::vector<std::string> args = {"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error"};
    args.insert(args.end(), translation.arguments.begin(), translation.arguments.end());
    auto start = Clock::now();
    platform::RunAndWait("ffmpeg", args);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 9);
    std::string source = testmedia::SizedClipPath(20, 640, 480);
    fs::path folder = fs::temp_directory_path() / "reelvane-bench-vexen";
    fs::create_directories(folder);
    std::string output = (folder / "bench.avi").string();

    // Pairs run back to back see the same machine load; the median pair ratio ignores outliers.
    double engine = 0, direct = 0;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        fs::remove(output);
        double d = Directly(source, output);
        fs::remove(output);
        double e = ThroughEngine(source, output);
        direct += d;
        engine += e;
        ratios.push_back(e / d);
    }
    fs::remove_all(folder);
    std::sort(ratios.begin(), ratios.end());
    std::printf("conversion of a 20 s 640x480 clip, %d rounds\n", rounds);
    std::printf("  ffmpeg directly: %.3f s per conversion\n", direct / rounds);
    std::printf("  through ffmain:  %.3f s per conversion\n", engine / rounds);
    std::printf("  ratio ffmain / direct: %.3f of the totals, %.3f median of the pairs (target at most 1.05)\n",
                engine / direct, ratios[ratios.size() / 2]);
    return 0;
}
