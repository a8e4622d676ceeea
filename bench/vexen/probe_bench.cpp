// Probing a folder of clips through GetMediaFileInfo against one ffprobe process per file.

#include "adapters/vexen/vexen.h"
#include "platform/process_runner.h"
#include "tests/media/test_media.h"

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
    VCExit();
    return 0;
}
