#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/probed_source.h"
#include "reelvane/frame/language_table.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace reelvane {
namespace {

using testmedia::Clip;

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(ConversionProbe, TracksOfAMatroskaFile)
{
    ProbedSource p;
    ASSERT_EQ(ProbeSource(testmedia::ClipPath(Clip::MatroskaTracks), 0, p), 0);
    // Only audio streams become audio tracks; subtitles stay in the stream array.
    ASSERT_EQ(p.audioTracks.size(), 2u);
    EXPECT_EQ(p.audioTracks[0].position, 0);
    EXPECT_EQ(p.audioTracks[0].selected, 1);
    EXPECT_EQ(p.audioTracks[1].position, 1);
    EXPECT_EQ(p.audioTracks[1].selected, 0);
    EXPECT_EQ(std::string(p.audioTracks[0].description).rfind("Audio: ac3", 0), 0u);
    EXPECT_EQ(p.streams.size(), 5u);
    EXPECT_EQ(p.sourceWidth, 320);
    EXPECT_EQ(p.sourceHeight, 240);
    EXPECT_NEAR(p.sourceAspect, 4.0 / 3.0, 1e-4);
    EXPECT_NEAR(p.duration, 2.0, 0.1);
    EXPECT_EQ(p.bitRate, p.mediaInfo.bitRate / 1024);
    // One line per stream after the four heading lines.
    EXPECT_EQ(CountOf(p.informationText, "\r\n"), 3 + 5);
    EXPECT_NE(p.informationText.find("\r\nSubtitle: ass"), std::string::npos);
    EXPECT_EQ(p.videoText.rfind("Video: h264", 0), 0u);
    EXPECT_EQ(p.videoText.substr(p.videoText.size() - 2), "\r\n");
    // The facts follow the stream array one for one.
    ASSERT_EQ(p.facts.size(), p.streams.size());
    for (std::size_t i = 0; i < p.facts.size(); ++i) {
        EXPECT_EQ(p.facts[i].index, static_cast<int32_t>(i));
        EXPECT_EQ(p.facts[i].kind, p.streams[i].kind);
    }
    EXPECT_STREQ(p.facts[2].language, "ger");
}

TEST(ConversionProbe, FieldOrderFromTheStreamOrFromAScan)
{
    ProbedSource flagged, unflagged, progressive;
    ASSERT_EQ(ProbeSource(testmedia::ClipPath(Clip::Interlaced576), 0, flagged), 0);
    EXPECT_EQ(flagged.facts[0].fieldOrder, 2);
    ASSERT_EQ(ProbeSource(testmedia::ClipPath(Clip::UnflaggedFields), 0, unflagged), 0);
    EXPECT_EQ(unflagged.facts[0].fieldOrder, 2); // the container says nothing; the frames do
    ASSERT_EQ(ProbeSource(testmedia::ClipPath(Clip::Standard4x3), 0, progressive), 0);
    EXPECT_EQ(progressive.facts[0].fieldOrder, 1);
    EXPECT_EQ(ScanFieldOrder(testmedia::ClipPath(Clip::NotMedia).c_str(), 0), 0);
    EXPECT_EQ(ScanFieldOrder("/no/such/file.avi", 0), 0);
}

TEST(ConversionProbe, UnreadableFileSaysSo)
{
    ProbedSource p;
    p.audioTracks.push_back({0, 1, "stale"});
    EXPECT_EQ(ProbeSource(testmedia::ClipPath(Clip::NotMedia), 0, p), kProbeUnreadable);
    EXPECT_EQ(p.informationText, "Cannot open the file");
    EXPECT_TRUE(p.streams.empty());
    EXPECT_TRUE(p.facts.empty());
    EXPECT_EQ(p.mediaInfo.streamCount, 0);
}

TEST(ConversionProbe, HeadingFromTheRecord)
{
    MediaFileInfo info{};
    std::strcpy(info.fileName, "/v/movie.mkv");
    info.duration = 3723400000; // 1:02:03.4, whose seconds show as "3.4" with "%02.1f"
    info.startTime = 500000;
    info.bitRate = 1048576;
    EXPECT_EQ(InformationHeading(info),
              "File Name:/v/movie.mkv\r\nDuration:01:02:3.4\r\nStart Time:0.500s\r\nBit Rate:1024kbit/s");
}

TEST(ConversionProbe, HeadingFormatFromTheLanguagePack)
{
    TempFolder folder;
    folder.write("good.ini", "[Info]\nLanguage=Good\n[CONVERSION_INFO]\n"
                             "strFormatInfo=Datei:%s#13Dauer:%02d:%02d:%04.1f#13Start:%.1fs#13Rate:%d\n");
    folder.write("bad.ini", "[Info]\nLanguage=Bad\n[CONVERSION_INFO]\nstrFormatInfo=Datei:%s %s %s %n\n");
    Languages().SetLanguageFolder(folder.path());
    MediaFileInfo info{};
    std::strcpy(info.fileName, "a.mkv");
    info.duration = 65000000;
    info.bitRate = 2048;
    Languages().SelectLanguage("Good");
    EXPECT_EQ(InformationHeading(info), "Datei:a.mkv\nDauer:00:01:05.0\nStart:0.0s\nRate:2");
    Languages().SelectLanguage("Bad"); // a format that would read missing arguments is not used
    EXPECT_EQ(InformationHeading(info),
              "File Name:a.mkv\r\nDuration:00:01:5.0\r\nStart Time:0.000s\r\nBit Rate:2kbit/s");
}

TEST(ConversionProbe, FormatFromDataMustTakeTheArguments)
{
    EXPECT_TRUE(FormatTakes("File:%s %02d:%02d:%02.1f %.3fs %dkbit/s 100%%", "sddffd"));
    EXPECT_FALSE(FormatTakes("File:%s %s %s", "sddffd"));
    EXPECT_FALSE(FormatTakes("%s %d %d %f %f %d %n", "sddffd"));
    EXPECT_FALSE(FormatTakes("%s %d %d %f %f", "sddffd"));
    EXPECT_FALSE(FormatTakes("%s %d %d %f %f %ld", "sddffd"));
    EXPECT_EQ(CheckedFormat("%s%s", "d", "fallback %d"), "fallback %d");
    // Widths and precisions beyond the text's limit would only keep printf busy for seconds.
    EXPECT_TRUE(FormatTakes("%-999s %+0999d %.999d %999.999f %f %d", "sddffd"));
    EXPECT_FALSE(FormatTakes("%s %d %d %f %.999999999f %d", "sddffd"));
    EXPECT_FALSE(FormatTakes("%2147483647s %d %d %f %f %d", "sddffd"));
    EXPECT_FALSE(FormatTakes("%s %d %d %f %f %1.2.3d", "sddffd"));
}

TEST(ConversionProbe, PlatformReaderByExtension)
{
    EXPECT_EQ(UsesPlatformReader("/v/movie.RMVB"), 1);
    EXPECT_EQ(UsesPlatformReader("clip.wmv"), 1);
    EXPECT_EQ(UsesPlatformReader("song.Wma"), 1);
    EXPECT_EQ(UsesPlatformReader("movie.mkv"), 0);
    EXPECT_EQ(UsesPlatformReader("noextension"), 0);
    EXPECT_EQ(UsesPlatformReader("archive.rm.mkv"), 0);
    EXPECT_EQ(UsesPlatformReader("clip.r"), 0);
}

} // namespace
} // namespace reelvane
