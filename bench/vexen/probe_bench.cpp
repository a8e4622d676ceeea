// Probing a folder of clips through GetMediaFileInfo against one ffprobe process per file, and a
// 60 s 1080p Matroska film through GetMediaFileFacts against GetMediaFileInfo and GetStreamFacts
// one after the other (what a task's probe did before it opened the file once).

#include "adapters/vexen/vexen.h"
#include "platform/process_runner.h"
#include "tests/media/fitting_media.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using testmedia::Clip;

double InProcess(const std::vector<std::string>& files)
{
    auto start = Clock::now();
    for (const std::string& file : files) {
        MediaFileInfo info;
        StreamInfo* streams = nullptr;
        GetMediaFileInfo(file.c_str(), &info, &streams, 0);
        FreeStreamInfo(streams);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TwoProbes(const std::string& file)
{
    auto start = Clock::now();
    MediaFileInfo info;
    StreamInfo* streams = nullptr;
    GetMediaFileInfo(file.c_str(), &info, &streams, 0);
    FreeStreamInfo(streams);
    StreamFacts* facts = nullptr;
    int32_t count = 0;
    GetStreamFacts(file.c_str(), &facts, &count);
    FreeStreamFacts(facts);
    return Seconds(start);
}

double OneProbe(const std::string& file)
{
    auto start = Clock::now();
    MediaFileInfo info;
    StreamInfo* streams = nullptr;
    StreamFacts* facts = nullptr;
    int32_t count = 0;
    GetMediaFileFacts(file.c_str(), &info, &streams, &facts, &count);
    FreeStreamInfo(streams);
    FreeStreamFacts(facts);
    return Seconds(start);
}

double OneFfprobeEach(const std::vector<std::string>& files)
{
    auto start = Clock::now();
    for (const std::string& file : files)
        platform::RunAndCapture("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", file});
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    VCInit();
    std::vector<std::string> files;
    for (Clip clip : {Clip::MatroskaTracks, Clip::Standard4x3, Clip::Wide16x9, Clip::Anamorphic, Clip::TransportStream,
                      Clip::Wmv, Clip::AudioOnly, Clip::CoverArt})
        files.push_back(testmedia::ClipPath(clip));

    double engine = 0, ffprobe = 0;
    for (int round = 0; round < rounds; ++round) {
        ffprobe += OneFfprobeEach(files);
        engine += InProcess(files);
    }
    std::printf("probing %zu clips, %d rounds\n", files.size(), rounds);
    std::printf("  one ffprobe per file: %.2f ms per file\n", ffprobe * 1000 / (rounds * files.size()));
    std::printf("  GetMediaFileInfo:     %.2f ms per file\n", engine * 1000 / (rounds * files.size()));
    std::printf("  ratio GetMediaFileInfo / ffprobe: %.3f\n", engine / ffprobe);

    const std::string film = testmedia::BlurayFilmPath(60);
    std::vector<double> ratios, one, two; // interleaved rounds, each giving one ratio
    for (int round = 0; round < rounds; ++round) {
        two.push_back(TwoProbes(film));
        one.push_back(OneProbe(film));
        ratios.push_back(two.back() / one.back());
    }
    for (std::vector<double>* v : {&ratios, &one, &two})
        std::sort(v->begin(), v->end());
    std::printf("a 60 s 1080p Matroska film, %d rounds\n", rounds);
    std::printf("  GetMediaFileInfo + GetStreamFacts: best %.1f ms, median %.1f ms\n", two.front() * 1000,
                two[two.size() / 2] * 1000);
    std::printf("  GetMediaFileFacts:                 best %.1f ms, median %.1f ms\n", one.front() * 1000,
                one[one.size() / 2] * 1000);
    std::printf("  speed of one open against two: best %.2fx, median %.2fx\n", ratios.back(),
                ratios[ratios.size() / 2]);
    VCExit();
    return 0;
}
