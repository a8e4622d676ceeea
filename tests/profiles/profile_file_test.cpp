#include "reelvane/profiles/profile_file.h"
#include "reelvane/profiles/profile_folders.h"
#include "temp_folder.h"
#include "platform/process_runner.h"

#include <clocale>
#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

using namespace reelvane;

namespace {

ProfileSettings FullRecord()
{
    ProfileSettings s = EmptyProfileSettings();
    SetText(s.FormatName, "MP4 Video");
    SetText(s.FormatHint, "MPEG-4 video for phones");
    SetText(s.TargetType, "mp4");
    SetText(s.BeforePara, "-threads 2");
    SetText(s.Para, "-f mp4 -vcodec mpeg4");
    SetText(s.PostProcess, "touch %s");
    s.bAudioCustomSampleRate = 1;
    s.nAudioCustomSampleRate = 44100;
    s.bAudioCustomBitRate = 1;
    s.nAudioCustomBitRate = 128;
    s.nAudioChannel = 2;
    s.nAudioVolume = 256;
    SetText(s.cAudioCodec, "aac");
    s.nVideoCustomFrameRate = 29.97f;
    s.nVideoBitRateLevel = 3.5f;
    s.nVideoBitRateLevel2 = -1;
    s.nVideoCustomBitRate = 1200;
    SetText(s.cVideoCodec, "auto");
    s.bVideoEnablePad = 1;
    s.nVideoPadTop = 60;
    s.nVideoPadColor = 0xFF0000;
    s.nVideoRiszeOption = 9;
    s.nVideoCustomSizeX = 718;
    s.nVideoCustomSizeY = 404;
    s.nAspect = 2;
    s.bCanBurn = 1;
    SetText(s.BurnType, "BLURAY");
    return s;
}

} // namespace

TEST(ProfileFile, WriteThenReadGivesTheSameRecord)
{
    TempFolder t;
    std::string path = t.path("mp4.ini");
    ProfileSettings written = FullRecord();
    WriteProfile("MP4 Video", written, path);

    ProfileSettings read = EmptyProfileSettings();
    SetText(read.iniPath, "/kept");
    read.nSourceWidth = 640;
    read.fSourceAspect = 1.5f;
    ReadProfile("mp4 video", read, path);
    EXPECT_STREQ(read.profileName, "mp4 video");
    EXPECT_STREQ(read.iniPath, "/kept"); // not the reader's business
    EXPECT_EQ(read.nSourceWidth, 640);
    EXPECT_EQ(read.fSourceAspect, 1.5f);
    std::memset(read.iniPath, 0, sizeof read.iniPath);
    std::memset(read.profileName, 0, sizeof read.profileName);
    read.nSourceWidth = 0;
    read.fSourceAspect = 0;
    const auto* a = reinterpret_cast<const unsigned char*>(&read);
    const auto* b = reinterpret_cast<const unsigned char*>(&written);
    for (std::size_t i = 0; i < sizeof read; ++i)
        ASSERT_EQ(a[i], b[i]) << "record differs at byte " << i;
}

TEST(ProfileFile, TheStoredTextsAreTheClassicOnes)
{
    TempFolder t;
    std::string path = t.path("p.ini");
    WriteProfile("P", FullRecord(), path);
    std::string text = t.read("p.ini");
    EXPECT_NE(text.find("nAudioCustomBitRate=128.000000\n"), std::string::npos);
    EXPECT_NE(text.find("nVideoPadColor=16711680\n"), std::string::npos);
    EXPECT_NE(text.find("nVideoBitRateLevel2=-1.000000\n"), std::string::npos);
    EXPECT_NE(text.find("nVideoRiszeOption=9\n"), std::string::npos);
    // The texts lead, with Para written before BeforePara.
    EXPECT_EQ(text.rfind("[P]\nFormatName=MP4 Video\nFormatHint=MPEG-4 video for phones\nTargetType=mp4\nPara=", 0),
              0u);
    EXPECT_LT(text.find("PostProcess="), text.find("bDisableAudio="));
}

TEST(ProfileFile, MissingKeysReadAsEmptyAndZero)
{
    TempFolder t;
    std::string path = t.write("p.ini", "[Only]\nTargetType=mp4\n");
    ProfileSettings s = FullRecord();
    ReadProfile("Only", s, path);
    EXPECT_STREQ(s.TargetType, "mp4");
    EXPECT_STREQ(s.FormatName, "");
    EXPECT_STREQ(s.BurnType, "");
    EXPECT_EQ(s.nAudioCustomBitRate, 0.0f);
    EXPECT_EQ(s.nVideoPadColor, 0);
    ReadProfile("Absent", s, t.path("absent.ini"));
    EXPECT_STREQ(s.TargetType, "");
}

TEST(ProfileFile, LongTextsAreCutToTheirField)
{
    TempFolder t;
    std::string path = t.write("p.ini", "[Long]\nTargetType=" + std::string(40, 't') +
                                            "\nBurnType=BLURAYDISC1234\n"
                                            "Para=" +
                                            std::string(3000, 'p') +
                                            "\nnVideoBitRateLevel=  2.5junk\n"
                                            "nAudioCustomBitRate=+96\nnVideoCustomFrameRate=abc\n");
    ProfileSettings s = EmptyProfileSettings();
    ReadProfile("Long", s, path);
    EXPECT_EQ(std::strlen(s.TargetType), 19u);
    EXPECT_STREQ(s.BurnType, "BLURAYDIS"); // nine characters are read
    EXPECT_EQ(std::strlen(s.Para), 1023u);
    EXPECT_EQ(s.nVideoBitRateLevel, 2.5f);
    EXPECT_EQ(s.nAudioCustomBitRate, 96.0f);
    EXPECT_EQ(s.nVideoCustomFrameRate, 0.0f);
    ReadProfile(std::string(400, 'n'), s, path);
    EXPECT_EQ(std::strlen(s.profileName), 255u);
}

TEST(ProfileFile, RealsIgnoreTheProcessLocale)
{
    // A desktop session may run with a comma as decimal separator. Build such a locale here.
    TempFolder t;
    ASSERT_EQ(platform::RunAndWait("localedef", {"-i", "de_DE", "-f", "UTF-8", t.path("de_DE.UTF-8")}), 0);
    setenv("LOCPATH", t.path().c_str(), 1);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
    ASSERT_EQ(std::atof("25.5"), 25.0); // the C rule alone would lose the fraction
    EXPECT_EQ(ParseReal("25.5"), 25.5f);
    EXPECT_EQ(FormatReal(25.5f), "25.500000");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(ProfileFile, SaveAsNewRefusesANameThatExistsInAnyCase)
{
    TempFolder t;
    std::string path = t.write("mp4.ini", "[mp4 video]\nTargetType=mp4\n");
    std::string before = t.read("mp4.ini");
    EXPECT_EQ(SaveProfileAsNew("MP4 Video", FullRecord(), path), 0);
    EXPECT_EQ(t.read("mp4.ini"), before);
    EXPECT_EQ(SaveProfileAsNew("My MP4", FullRecord(), path), 1);
    EXPECT_EQ(ProfileSectionNames(path), (std::vector<std::string>{"mp4 video", "My MP4"}));
}

TEST(ProfileFile, SaveAsNewSeesNamesBeyondTheListBuffer)
{
    TempFolder t;
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "[Profile number " + std::to_string(1000 + i) + "]\nTargetType=mp4\n";
    text += "[Late]\nTargetType=mkv\n";
    std::string path = t.write("many.ini", text);
    EXPECT_EQ(SaveProfileAsNew("LATE", FullRecord(), path), 0);
    EXPECT_EQ(t.read("many.ini"), text);
}

TEST(ProfileFile, FailedWritesAreReported)
{
    TempFolder t;
    std::string path = t.path("missing-folder/mp4.ini");
    EXPECT_FALSE(WriteProfile("MP4 Video", FullRecord(), path));
    EXPECT_EQ(SaveProfileAsNew("MP4 Video", FullRecord(), path), -1);
    EXPECT_TRUE(WriteProfile("MP4 Video", FullRecord(), t.path("mp4.ini")));
}

// A quota or a full disk, as a file-size limit of this process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(ProfileFile, AWriteThatFailsPartWayLeavesTheFileAsItWas)
{
    TempFolder t;
    const std::string before = "[MP4 Video]\nTargetType=avi\nPara=-old\n\n[Other]\nTargetType=mkv\n";
    std::string path = t.write("mp4.ini", before);
    {
        // Room for a few more keys, not for the whole section.
        FileSizeLimit limit(before.size() + 120);
        EXPECT_FALSE(WriteProfile("MP4 Video", FullRecord(), path));
        EXPECT_EQ(SaveProfileAsNew("My MP4", FullRecord(), path), -1);
    }
    EXPECT_EQ(t.read("mp4.ini"), before);
    // The failed "Save as" took no name: the user can try again with it.
    EXPECT_EQ(SaveProfileAsNew("My MP4", FullRecord(), path), 1);
    ProfileSettings read = EmptyProfileSettings();
    ReadProfile("My MP4", read, path);
    EXPECT_STREQ(read.BurnType, "BLURAY");
}

TEST(OutputDefault, RememberedChoiceRoundTrips)
{
    TempFolder t;
    OutputDefault none = ReadOutputDefault(t.path());
    EXPECT_STREQ(none.profileFile, "");
    EXPECT_STREQ(none.profileName, "");
    EXPECT_EQ(none.calcAspect, 0);

    WriteOutputDefault(t.path(), "blu-ray_h264.ini", "Blu-ray H.264", 1);
    RememberSavedProfile(t.path(), "mp4.ini", "My MP4");
    EXPECT_EQ(t.read("tvcdef.ini"), "[OUTPUT_DEFAULT]\noutputinifile=blu-ray_h264.ini\noutputprofile=Blu-ray H.264\n"
                                    "outputcalcaspect=1\n\n[default]\nmp4.ini=My MP4\n");
    t.write("blu-ray_h264.ini", "[Blu-ray H.264]\nTargetType=m2ts\nBurnType=BLURAY\n");
    ProfileSettings s = EmptyProfileSettings();
    OutputDefault chosen = LoadChosenProfile({t.path(), t.path(), t.path()}, s);
    EXPECT_EQ(chosen.calcAspect, 1);
    EXPECT_STREQ(s.TargetType, "m2ts");
    EXPECT_STREQ(s.profileName, "Blu-ray H.264");
    EXPECT_EQ(std::string(s.iniPath), t.path("blu-ray_h264.ini"));
}

TEST(OutputDefault, NamesAreCutAt199)
{
    TempFolder t;
    WriteOutputDefault(t.path(), std::string(300, 'f'), std::string(300, 'p'), 7);
    OutputDefault d = ReadOutputDefault(t.path());
    EXPECT_EQ(std::strlen(d.profileFile), 199u);
    EXPECT_EQ(std::strlen(d.profileName), 199u);
}

TEST(ProfileFolder, TvcdefIsNeverAProfileFile)
{
    TempFolder t;
    for (const char* name : {"tvcdef.ini", "mp4.ini", "TVCDEF.ini", "avi.ini"})
        t.write(name, "");
    EXPECT_EQ(ListProfileFiles(t.path()), (std::vector<std::string>{"TVCDEF.ini", "avi.ini", "mp4.ini"}));
}
