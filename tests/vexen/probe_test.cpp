#include "adapters/vexen/vexen.h"
#include "tests/media/test_media.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testmedia::Clip;

struct Probe {
    MediaFileInfo info;
    StreamInfo* streams = nullptr;
    int32_t result = 0;

    explicit Probe(const std::string& path) { result = GetMediaFileInfo(path.c_str(), &info, &streams, 0); }
    ~Probe() { FreeStreamInfo(streams); }
    std::string Description(int i) const { return streams[i].description; }
};

TEST(VexenProbe, MatroskaWithEveryKindOfTrack)
{
    Probe p(testmedia::ClipPath(Clip::MatroskaTracks));
    ASSERT_EQ(p.result, 0);
    ASSERT_NE(p.streams, nullptr);
    EXPECT_EQ(p.info.streamCount, 5);
    EXPECT_EQ(p.info.audioCount, 2);
    EXPECT_EQ(p.info.videoIndex, 0);
    EXPECT_NEAR(p.info.duration / 1e6, 2.0, 0.1);
    EXPECT_GT(p.info.bitRate, 0);
    EXPECT_STREQ(p.info.fileName, testmedia::ClipPath(Clip::MatroskaTracks).c_str());

    int kinds[5] = {VEXEN_KIND_VIDEO, VEXEN_KIND_AUDIO, VEXEN_KIND_AUDIO, VEXEN_KIND_SUBTITLE, VEXEN_KIND_SUBTITLE};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(p.streams[i].kind, kinds[i]) << i;
    EXPECT_EQ(p.streams[0].width, 320);
    EXPECT_EQ(p.streams[0].height, 240);
    EXPECT_NEAR(p.streams[0].aspect, 4.0 / 3.0, 1e-4);
    EXPECT_EQ(p.Description(0).rfind("Video: h264", 0), 0u) << p.Description(0);
    EXPECT_NE(p.Description(0).find("320x240"), std::string::npos);
    EXPECT_NE(p.Description(0).find("25 fps"), std::string::npos);
    EXPECT_EQ(p.Description(1).rfind("Audio: ac3", 0), 0u) << p.Description(1);
    EXPECT_NE(p.Description(1).find("48000 Hz, stereo"), std::string::npos);
    EXPECT_NE(p.Description(1).find(", eng"), std::string::npos);
    EXPECT_NE(p.Description(2).find("44100 Hz, mono"), std::string::npos) << p.Description(2);
    EXPECT_NE(p.Description(2).find(", ger"), std::string::npos);
    EXPECT_EQ(p.Description(3).rfind("Subtitle: subrip", 0), 0u);
    EXPECT_EQ(p.streams[1].width, 0); // frame facts only for video
}

TEST(VexenProbe, DisplayAspectUsesTheSampleAspect)
{
    Probe anamorphic(testmedia::ClipPath(Clip::Anamorphic));
    ASSERT_EQ(anamorphic.result, 0);
    EXPECT_EQ(anamorphic.streams[0].width, 352);
    EXPECT_EQ(anamorphic.streams[0].height, 288);
    EXPECT_NEAR(anamorphic.streams[0].aspect, 16.0 / 9.0, 1e-3);

    Probe wide(testmedia::ClipPath(Clip::Wide16x9));
    EXPECT_NEAR(wide.streams[0].aspect, 16.0 / 9.0, 1e-3);
}

TEST(VexenProbe, OtherContainersAndAudioOnly)
{
    for (Clip clip : {Clip::TransportStream, Clip::Wmv}) {
        Probe p(testmedia::ClipPath(clip));
        ASSERT_EQ(p.result, 0);
        EXPECT_EQ(p.info.streamCount, 2);
        EXPECT_EQ(p.info.videoIndex, 0);
        EXPECT_EQ(p.info.audioCount, 1);
        EXPECT_NEAR(p.info.duration / 1e6, 2.0, 0.2);
    }
    Probe audio(testmedia::ClipPath(Clip::AudioOnly));
    ASSERT_EQ(audio.result, 0);
    EXPECT_EQ(audio.info.videoIndex, -1);
    EXPECT_EQ(audio.info.audioCount, 1);
    EXPECT_EQ(audio.streams[0].kind, VEXEN_KIND_AUDIO);
}

TEST(VexenProbe, TransportStreamReportsItsStartTime)
{
    Probe p(testmedia::ClipPath(Clip::TransportStream));
    EXPECT_GT(p.info.startTime, 0); // MPEG-TS clocks do not start at zero
}

TEST(VexenProbe, CoverArtIsNotTheVideoToMap)
{
    Probe p(testmedia::ClipPath(Clip::CoverArt));
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(p.info.videoIndex, -1);
    EXPECT_EQ(p.streams[1].kind, VEXEN_KIND_ATTACHMENT);
    EXPECT_NE(p.Description(1).find("attached picture"), std::string::npos);
}

TEST(VexenProbe, UnreadableFilesLeaveNoStreams)
{
    for (std::string path : {testmedia::ClipPath(Clip::NotMedia), std::string("/no/such/file.mkv")}) {
        MediaFileInfo info;
        info.streamCount = 77;
        StreamInfo* streams = reinterpret_cast<StreamInfo*>(&info);
        EXPECT_NE(GetMediaFileInfo(path.c_str(), &info, &streams, 0), 0);
        EXPECT_EQ(info.streamCount, 0);
        EXPECT_EQ(info.videoIndex, -1);
        EXPECT_EQ(streams, nullptr);
    }
}

TEST(VexenProbe, PipesAndFoldersAreNotOpened)
{
    std::string fifo = testmedia::MediaFolder() + "/probe_fifo_" + std::to_string(::getpid());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, testmedia::MediaFolder()}) {
        MediaFileInfo info;
        StreamInfo* streams = nullptr;
        EXPECT_EQ(GetMediaFileInfo(path.c_str(), &info, &streams, 0), -1); // returns instead of waiting
        EXPECT_EQ(info.streamCount, 0);
    }
    std::filesystem::remove(fifo);
}

TEST(VexenProbe, LongPathIsCutToItsField)
{
    std::filesystem::path folder =
        std::filesystem::path(testmedia::MediaFolder()) / std::string(120, 'd') / std::string(120, 'e');
    std::filesystem::create_directories(folder);
    std::filesystem::path path = folder / "long name clip.mp4";
    std::filesystem::copy_file(testmedia::ClipPath(Clip::Standard4x3), path,
                               std::filesystem::copy_options::overwrite_existing);
    Probe p(path.string());
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(std::string(p.info.fileName), path.string().substr(0, 255));
}

TEST(VexenLibrary, EveryExportBindsByName)
{
    void* library = dlopen(VEXEN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"VCInit", "VCExit", "ExitPlayCurrentFile", "GetMediaFileInfo", "FreeContext",
                             "FreeStreamInfo", "EnableDshow", "ffmain"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    auto probe = reinterpret_cast<decltype(&GetMediaFileInfo)>(dlsym(library, "GetMediaFileInfo"));
    auto release = reinterpret_cast<decltype(&FreeStreamInfo)>(dlsym(library, "FreeStreamInfo"));
    MediaFileInfo info;
    StreamInfo* streams = nullptr;
    EXPECT_EQ(probe(testmedia::ClipPath(Clip::Wmv).c_str(), &info, &streams, 1), 0);
    EXPECT_EQ(info.streamCount, 2);
    release(streams);
    dlclose(library);
}

} // namespace
