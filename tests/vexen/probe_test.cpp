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

struct Facts {
    StreamFacts* facts = nullptr;
    int32_t count = 0;
    int32_t result = 0;

    explicit Facts(const std::string& path) { result = GetStreamFacts(path.c_str(), &facts, &count); }
    ~Facts() { FreeStreamFacts(facts); }
    const StreamFacts& operator[](int i) const { return facts[i]; }
};

// What the conversion decisions read: each clip's facts as the maker encoded them.
TEST(VexenStreamFacts, ShapeFieldsAndStreamStructureOfGeneratedClips)
{
    Facts phone(testmedia::ClipPath(Clip::PhonePortrait));
    ASSERT_EQ(phone.result, 0);
    ASSERT_EQ(phone.count, 2);
    EXPECT_EQ(phone[0].index, 0);
    EXPECT_EQ(phone[0].kind, VEXEN_KIND_VIDEO);
    EXPECT_STREQ(phone[0].codec, "hevc");
    EXPECT_EQ(phone[0].width, 320); // coded size; the display turns it upright
    EXPECT_EQ(phone[0].height, 180);
    EXPECT_EQ(phone[0].rotation, 270);
    EXPECT_EQ(phone[0].variableRate, 1);
    EXPECT_EQ(phone[0].bitsPerRawSample, 10);
    EXPECT_STREQ(phone[0].pixelFormat, "yuv420p10le");
    EXPECT_EQ(phone[1].kind, VEXEN_KIND_AUDIO);
    EXPECT_EQ(phone[1].channels, 1);
    EXPECT_EQ(phone[1].sampleRate, 48000);
    EXPECT_EQ(phone[1].maxKeyDistanceMs, -1); // only video is scanned

    Facts interlaced(testmedia::ClipPath(Clip::Interlaced576));
    ASSERT_EQ(interlaced.result, 0);
    EXPECT_EQ(interlaced[0].fieldOrder, 2);
    EXPECT_EQ(interlaced[0].rotation, 0);
    EXPECT_EQ(interlaced[0].sarNum * 45, interlaced[0].sarDen * 64);
    EXPECT_EQ(interlaced[0].rateNum, 25 * interlaced[0].rateDen);
    EXPECT_EQ(interlaced[0].variableRate, 0);

    Facts keyed(testmedia::ClipPath(Clip::KeyedH264));
    ASSERT_EQ(keyed.result, 0);
    EXPECT_STREQ(keyed[0].codec, "h264");
    EXPECT_EQ(keyed[0].profile, 100); // High
    EXPECT_EQ(keyed[0].level, 41);
    EXPECT_EQ(keyed[0].refFrames, 3);
    EXPECT_EQ(keyed[0].fieldOrder, 1);
    EXPECT_NEAR(keyed[0].maxKeyDistanceMs, 480, 1);
    EXPECT_STREQ(keyed[1].codec, "ac3");

    // A single key frame: the distance is the whole clip.
    Facts tracks(testmedia::ClipPath(Clip::MatroskaTracks));
    ASSERT_EQ(tracks.result, 0);
    ASSERT_EQ(tracks.count, 5);
    EXPECT_NEAR(tracks[0].maxKeyDistanceMs, 2000, 1);
    EXPECT_EQ(tracks[0].refFrames, 1);
    EXPECT_STREQ(tracks[1].language, "eng");
    EXPECT_STREQ(tracks[2].language, "ger");
    EXPECT_STREQ(tracks[3].codec, "subrip");
    EXPECT_EQ(tracks[3].kind, VEXEN_KIND_SUBTITLE);

    Facts cover(testmedia::ClipPath(Clip::CoverArt));
    ASSERT_EQ(cover.result, 0);
    EXPECT_EQ(cover[1].attachedPicture, 1);
    EXPECT_EQ(cover[1].kind, VEXEN_KIND_ATTACHMENT);
    EXPECT_EQ(cover[1].maxKeyDistanceMs, -1);

    for (std::string path : {testmedia::ClipPath(Clip::NotMedia), std::string("/no/such/file.mkv")}) {
        Facts unreadable(path);
        EXPECT_EQ(unreadable.result, -1);
        EXPECT_EQ(unreadable.facts, nullptr);
        EXPECT_EQ(unreadable.count, 0);
    }
}

TEST(VexenLibrary, EveryExportBindsByName)
{
    void* library = dlopen(VEXEN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name :
         {"VCInit", "VCExit", "ExitPlayCurrentFile", "GetMediaFileInfo", "FreeContext", "FreeStreamInfo", "EnableDshow",
          "ffmain", "GetStreamFacts", "FreeStreamFacts", "ScanFieldOrder", "GrabFrame", "FreeFramePicture"})
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
