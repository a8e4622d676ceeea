#include "reelvane/conversion/argument_builder.h"

#include <gtest/gtest.h>

namespace reelvane {
namespace {

using Words = std::vector<std::string>;

ProfileSettings WorkedExampleSettings()
{
    ProfileSettings s = EmptyProfileSettings();
    s.bAudioCustomSampleRate = 1;
    s.nAudioCustomSampleRate = 48000;
    s.nAudioChannel = 2;
    s.bAudioCustomBitRate = 1;
    s.nAudioCustomBitRate = 128.0f;
    s.nVideoDefaultBitRate = 900;
    SetText(s.cAudioCodec, "auto");
    SetText(s.cVideoCodec, "AUTO");
    s.nVideoRiszeOption = 6;
    SetText(s.TargetType, "mp4");
    return s;
}

// A probe with one video stream and `audio` audio streams after it, the first entry selected.
ProbedSource ProbeWithAudio(int audio, int selected = 1)
{
    ProbedSource p;
    p.mediaInfo.videoIndex = 0;
    StreamInfo video{};
    video.kind = VEXEN_KIND_VIDEO;
    p.streams.push_back(video);
    for (int i = 0; i < audio; ++i) {
        StreamInfo subtitle{};
        subtitle.kind = VEXEN_KIND_SUBTITLE; // non-audio streams between the tracks
        p.streams.push_back(subtitle);
        StreamInfo track{};
        track.kind = VEXEN_KIND_AUDIO;
        p.streams.push_back(track);
        p.audioTracks.push_back({i, i < selected ? 1 : 0, "track"});
    }
    return p;
}

SplitRule NoSplit()
{
    SplitRule split;
    split.runChoice = split.currentChoice = "No split";
    return split;
}

Words Entries(const EngineArguments& a)
{
    return a.entries();
}

TEST(ConversionBuilder, WorkedExampleGivesItsEighteenEntries)
{
    ProfileSettings s = WorkedExampleSettings();
    ProbedSource probed;
    probed.mediaInfo.videoIndex = 0;
    StreamInfo video{}, audio{};
    audio.kind = VEXEN_KIND_AUDIO;
    probed.streams = {video, audio};
    probed.audioTracks.push_back({0, 1, "Audio"});
    PerFileTask task{s, probed, "/in/source.mkv", "/out/dest.mp4"};
    EngineArguments a = BuildPerFileArguments(task, NoSplit());
    EXPECT_EQ(Entries(a), (Words{"ffmain", "-i", "/in/source.mkv", "-ar", "48000", "-ac", "2", "-ab", "128.000000",
                                 "-b", "900", "-s", "640x480", "-map", "0:0", "-map", "0:1", "/out/dest.mp4"}));
}

TEST(ConversionBuilder, TrimTimesAgainstTheFileStart)
{
    ProfileSettings s = WorkedExampleSettings();
    ProbedSource probed = ProbeWithAudio(0);
    probed.mediaInfo.startTime = 500000;
    PerFileTask endOnly{s, probed, "in", "out", "", 1, 0, 0, 90500000};
    Words a = Entries(BuildPerFileArguments(endOnly, NoSplit()));
    EXPECT_EQ(Words(a.begin(), a.begin() + 3), (Words{"ffmain", "-t", "00:01:30.0"}));

    PerFileTask early{s, probed, "in", "out", "", 0, 100000, 0, 2100000};
    Words b = Entries(BuildPerFileArguments(early, NoSplit()));
    EXPECT_EQ(Words(b.begin(), b.begin() + 5), (Words{"ffmain", "-ss", "00:00:00.0", "-t", "00:00:02.0"}));
}

TEST(ConversionBuilder, OrderOfParametersHookAndMaps)
{
    ProfileSettings s = EmptyProfileSettings();
    SetText(s.cAudioCodec, "ac3");
    SetText(s.cVideoCodec, "auto");
    SetText(s.BeforePara, "  -threads   2 ");
    SetText(s.Para, "-f matroska");
    ProbedSource probed = ProbeWithAudio(1);
    PerFileTask task{s, probed, "/in/a b.mkv", "/out/a b.mkv", "/subs/a b.srt"};
    EXPECT_EQ(Entries(BuildPerFileArguments(task, NoSplit())),
              (Words{"ffmain", "-threads", "2", "-i", "/in/a b.mkv", "-vhook", "SubTitleHook -f /subs/a b.srt", "-f",
                     "matroska", "-b", "0", "-acodec", "ac3", "-map", "0:0", "-map", "0:2", "/out/a b.mkv"}));
}

TEST(ConversionBuilder, ThreeSelectedTracksGiveThreeMapsAndTwoGroups)
{
    ProfileSettings s = WorkedExampleSettings();
    ProbedSource probed = ProbeWithAudio(4, 3);
    probed.audioTracks[1].selected = 0; // tracks 1, 3 and 4 selected
    probed.audioTracks[3].selected = 1;
    PerFileTask task{s, probed, "in", "out"};
    Words a = Entries(BuildPerFileArguments(task, NoSplit()));
    auto out = std::find(a.begin(), a.end(), "out");
    ASSERT_NE(out, a.end());
    EXPECT_EQ(Words(out - 8, out), (Words{"-map", "0:0", "-map", "0:2", "-map", "0:6", "-map", "0:8"}));
    // Each further track with the profile's own audio settings (its codec is "auto" here).
    Words group = {"-ar", "48000", "-ab", "128.000000", "-ac", "2", "-newaudio"};
    Words groups = group;
    groups.insert(groups.end(), group.begin(), group.end());
    EXPECT_EQ(Words(out + 1, a.end()), groups);

    s.bDisableAudio = 1;
    s.bDisableVideo = 1;
    Words silent = Entries(BuildPerFileArguments(task, NoSplit()));
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "-map"), 0);
    EXPECT_EQ(silent.back(), "out");
}

TEST(ConversionBuilder, EngineOptionsTable)
{
    ProfileSettings s = EmptyProfileSettings();
    s.bDisableAudio = s.bDisableVideo = s.bVideoHighQuality = 1;
    s.bAudioCustomVolume = 1;
    s.nAudioVolume = 300;
    s.bVideoCustomFrameRate = 1;
    s.nVideoCustomFrameRate = 29.97f;
    s.bVideoCustomBitRate = 1;
    s.nVideoCustomBitRate = 1500;
    s.nVideoDefaultBitRate = 900;
    SetText(s.cAudioCodec, "Auto");
    SetText(s.cVideoCodec, "mpeg4");
    s.bVideoEnableCrop = 1;
    s.nVideoCropTop = 1, s.nVideoCropBottom = 2, s.nVideoCropLeft = 3, s.nVideoCropRight = 4;
    s.bVideoEnablePad = 1;
    s.nVideoPadTop = 8, s.nVideoPadBottom = 8, s.nVideoPadLeft = 16, s.nVideoPadRight = 16;
    s.nVideoPadColor = 0x060606;
    s.nVideoRiszeOption = 4;
    s.nAspect = 1;
    EngineArguments a;
    std::size_t next = BuildEngineOptions(a, s);
    EXPECT_EQ(next, a.size());
    EXPECT_EQ(Entries(a),
              (Words{"ffmain",      "-an",        "-vol",      "300",      "-vn",        "-hq",       "-r",
                     "29.970",      "-b",         "1500",      "-vcodec",  "mpeg4",      "-croptop",  "1",
                     "-cropbottom", "2",          "-cropleft", "3",        "-cropright", "4",         "-padtop",
                     "8",           "-padbottom", "8",         "-padleft", "16",         "-padright", "16",
                     "-padcolor",   "0x60606",    "-s",        "672x560",  "-aspect",    "4:3"}));
}

TEST(ConversionBuilder, FrameSizesByOption)
{
    ProfileSettings s = EmptyProfileSettings();
    SetText(s.cAudioCodec, "auto");
    SetText(s.cVideoCodec, "auto");
    auto size = [&](int option) {
        s.nVideoRiszeOption = option;
        EngineArguments a;
        BuildEngineOptions(a, s);
        auto found = std::find(a.entries().begin(), a.entries().end(), "-s");
        return found == a.entries().end() ? std::string("none") : *(found + 1);
    };
    EXPECT_EQ(size(0), "none");
    EXPECT_EQ(size(1), "sqcif");
    EXPECT_EQ(size(3), "cif");
    EXPECT_EQ(size(11), "1920x1080");
    EXPECT_EQ(size(12), "none");
    s.nVideoCustomSizeX = 330, s.nVideoCustomSizeY = 241;
    EXPECT_EQ(size(9), "336x256");
    s.bVideoEnablePad = 1;
    s.nVideoPadTop = 4, s.nVideoPadBottom = 4;
    EXPECT_EQ(size(9), "336x248");
    EXPECT_EQ(size(1), "128x88");
    s.nAspect = 7;
    EngineArguments a;
    BuildEngineOptions(a, s);
    EXPECT_EQ(a.entries().back(), "16:9");
}

class ConversionSplit : public ::testing::Test {
protected:
    Words Para(const std::string& para, SplitRule split)
    {
        EngineArguments a;
        AppendParaWords(a, para, split);
        Words words = a.entries();
        words.erase(words.begin());
        return words;
    }
    SplitRule Chosen(const std::string& choice, const std::string& profile = "/p/ini/mp4.ini")
    {
        SplitRule split;
        split.runChoice = split.currentChoice = choice;
        split.currentProfilePath = profile;
        return split;
    }
};

TEST_F(ConversionSplit, MarkerPlaceholderAndLaterWords)
{
    EXPECT_EQ(Para("-f mp4 -fs 999 -y", Chosen("No split")), (Words{"-f", "mp4"}));
    EXPECT_EQ(Para("-f mp4 -fs 999 -y", Chosen("BD-25 (25GB)")), (Words{"-f", "mp4", "-fs", "23000000", "-y"}));
    EXPECT_EQ(Para("-fs 1", Chosen("DVD-5 (4.7GB)")), (Words{"-fs", "4200000"}));
    SplitRule custom = Chosen("Custom");
    custom.customMegabytes = 700;
    custom.writtenKilobytes = 5000;
    EXPECT_EQ(Para("-fs x", custom), (Words{"-fs", "700000"}));
    // The run's choice decides whether to split, the current text the value.
    SplitRule changed = Chosen("DVD-9 (8.5GB)");
    changed.runChoice = "No split";
    EXPECT_EQ(Para("-fs x -y", changed), Words{});
    changed.runChoice = "BD-50 (50GB)";
    EXPECT_EQ(Para("-fs x -y", changed), (Words{"-fs", "8000000", "-y"}));
}

TEST_F(ConversionSplit, DiscProfilesSubtractWhatIsWritten)
{
    SplitRule disc = Chosen("BD-25 (25GB)", "/p/ini/blu-ray_h264.ini");
    disc.writtenKilobytes = 1000000;
    EXPECT_EQ(Para("-fs x", disc), (Words{"-fs", "22000000"}));
    disc.writtenKilobytes = 23000000; // nothing left: the whole disc again
    EXPECT_EQ(Para("-fs x", disc), (Words{"-fs", "23000000"}));

    SplitRule divx = Chosen("DVD-5 (4.7GB)", "/p/ini/hd_divxavi.ini");
    divx.writtenKilobytes = 200000;
    EXPECT_EQ(Para("-fs x", divx), (Words{"-fs", "4000000"}));
    divx.sharedProfile = false;
    EXPECT_EQ(Para("-fs x", divx), (Words{"-fs", "4200000"}));

    SplitRule merged = Chosen("DVD-5 (4.7GB)", "/p/ini/paldvd.ini");
    merged.writtenKilobytes = 200000;
    merged.perFileRun = false;
    EXPECT_EQ(Para("-fs x", merged), (Words{"-fs", "4200000"}));
    // The merged vector never subtracts, whatever the rule it is handed says.
    merged.perFileRun = true;
    ProfileSettings s = EmptyProfileSettings();
    SetText(s.Para, "-fs x");
    Words joined = BuildMergedArguments({{"/a.vob", 0}}, s, merged, "/out/", 1).entries();
    EXPECT_EQ(std::count(joined.begin(), joined.end(), "4200000"), 1);

    SplitRule other = Chosen("DVD-5 (4.7GB)", "/p/ini/mp4.ini");
    other.writtenKilobytes = 200000;
    EXPECT_EQ(Para("-fs x", other), (Words{"-fs", "4200000"}));
}

TEST(ConversionBuilder, MergedVectorJoinsEveryTask)
{
    ProfileSettings s = WorkedExampleSettings();
    SetText(s.BeforePara, "-threads 1");
    SetText(s.Para, "-fs 0 -y");
    SplitRule split;
    split.runChoice = split.currentChoice = "No split";
    EngineArguments a = BuildMergedArguments({{"/a.mkv", 0}, {"/b.wmv", 1}}, s, split, "/out/", 4711);
    EXPECT_EQ(Entries(a), (Words{"ffmain",
                                 "-threads",
                                 "1",
                                 "-ivs",
                                 "&new &file /a.mkv",
                                 "-ias",
                                 "&file /a.mkv",
                                 "-ivs",
                                 "&new &dshow &file /b.wmv",
                                 "-ias",
                                 "&file /b.wmv",
                                 "-ar",
                                 "48000",
                                 "-ac",
                                 "2",
                                 "-ab",
                                 "128.000000",
                                 "-b",
                                 "900",
                                 "-s",
                                 "640x480",
                                 "/out/Compound4711.mp4"}));
}

TEST(ConversionBuilder, VectorGrowsAndEntriesKeepTheirBound)
{
    ProfileSettings s = WorkedExampleSettings();
    std::vector<MergedInput> inputs(80, MergedInput{"/" + std::string(300, 'p'), 0});
    inputs[0].sourcePath = std::string(600, 'q');
    EngineArguments a = BuildMergedArguments(inputs, s, NoSplit(), "/out/", 1);
    EXPECT_EQ(a.size(), 1u + 80 * 4 + 10 + 1);
    EXPECT_EQ(a[2].size(), kEnginePathEntryLimit); // the directive with its path, cut
    EXPECT_EQ(a[2].rfind("&new &file qqq", 0), 0u);
    EXPECT_EQ(a[6], "&new &file /" + std::string(300, 'p')); // a path longer than a word stays whole

    EngineArguments words;
    SplitParameterString(std::string(400, 'w') + " x", words);
    EXPECT_EQ(words[1].size(), kEngineEntryLimit);
    EXPECT_EQ(words[2], "x");
    EXPECT_EQ(words.LogLine(), "ffmain " + std::string(255, 'w') + " x ");
}

TEST(ConversionBuilder, EngineTimeText)
{
    EXPECT_EQ(FormatEngineTime(5400500000), "01:30:00.5");
    EXPECT_EQ(FormatEngineTime(0), "00:00:00.0");
    EXPECT_EQ(FormatEngineTime(59999999), "00:00:59.9");
    EXPECT_EQ(FormatEngineTime(int64_t(100) * 3600 * 1000000 + 61000000), "100:01:01.0");
    EXPECT_EQ(FormatEngineTime(-2000000), "00:00:00.0");
}

TEST(ConversionBuilder, SplitParameterStringWords)
{
    EngineArguments a;
    EXPECT_EQ(SplitParameterString("", a), 1u);
    EXPECT_EQ(SplitParameterString("   ", a), 1u);
    EXPECT_EQ(SplitParameterString(" -a  b\tc   -d ", a), 4u);
    EXPECT_EQ(Entries(a), (Words{"ffmain", "-a", "b\tc", "-d"}));
}

} // namespace
} // namespace reelvane
