// Subtitle tracks of a Matroska source, listed and extracted through libtrakkel over the real
// MKVToolNix programs, and attached to the task.
#include "platform/process_runner.h"
#include "reelvane/conversion/subtitle_extraction.h"
#include "temp_folder.h"
#include "tests/media/test_media.h"

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

using namespace reelvane;

namespace {

class ScriptedUi : public ExtractionUi {
public:
    bool answer = true;
    int questions = 0;
    std::vector<int> percents;
    std::vector<std::string> failures;
    bool shown = false;

    bool AskExtract(const std::string&) override { return ++questions, answer; }
    void BeginProgress() override { shown = true; }
    void ShowProgress(int percent, const std::string&) override
    {
        EXPECT_TRUE(shown);
        percents.push_back(percent);
    }
    void EndProgress() override { shown = false; }
    void ShowFailure(const std::string& message) override { failures.push_back(message); }
};

const char kSrt[] = "1\n00:00:00,200 --> 00:00:01,500\nSrt line\n";
const char kAss[] = "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n"
                    "Format: Name, Fontname, Fontsize, PrimaryColour, Bold, Italic, Alignment, MarginV\n"
                    "Style: Default,DejaVu Sans,20,&H00FFFFFF,0,0,2,10\n\n[Events]\n"
                    "Format: Layer, Start, End, Style, Text\nDialogue: 0,0:00:00.20,0:00:01.50,Default,Ass line\n";
const char kSsa[] =
    "[Script Info]\nScriptType: v4.00\n\n[V4 Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, Bold, Italic, Alignment, MarginV\n"
    "Style: Default,DejaVu Sans,20,16777215,0,0,2,10\n\n[Events]\n"
    "Format: Marked, Start, End, Style, Text\nDialogue: Marked=0,0:00:00.20,0:00:01.50,Default,Ssa line\n";
const char kUsf[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<USFSubtitles version=\"1.0\">\n"
                    "<metadata><title>t</title><language code=\"eng\">English</language></metadata>\n<subtitles>\n"
                    "<subtitle start=\"00:00:00.200\" stop=\"00:00:01.500\"><text>Usf line</text></subtitle>\n"
                    "</subtitles>\n</USFSubtitles>\n";

class SubtitleExtraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(trakkel_.LoadFrom(TRAKKEL_FOLDER));
        std::filesystem::create_directories(folder_.path("out"));
        std::filesystem::create_directories(folder_.path("src"));
        source_ = folder_.path("src/movie.mkv");
        ASSERT_EQ(platform::RunAndWait("mkvmerge",
                                       {"-q", "-o", source_, testmedia::ClipPath(testmedia::Clip::Standard4x3),
                                        folder_.write("a.srt", kSrt), folder_.write("b.ass", kAss),
                                        folder_.write("c.ssa", kSsa), folder_.write("d.usf", kUsf)}),
                  0);
        task_.sourcePath = source_;
    }

    std::string Out(const std::string& name) const { return folder_.path("out/" + name); }

    TempFolder folder_;
    TrakkelBinding trakkel_;
    std::string source_;
    ConversionTask task_;
    ScriptedUi ui_;
};

TEST_F(SubtitleExtraction, ListsEveryTrackWithItsKindNumberAndCodec)
{
    MkvTrackList* list = nullptr;
    ASSERT_EQ(trakkel_.GetTrackInfo(source_, &list), 0);
    ASSERT_EQ(list->count, 6);
    const int kinds[] = {TRAKKEL_KIND_VIDEO,    TRAKKEL_KIND_AUDIO,    TRAKKEL_KIND_SUBTITLE,
                         TRAKKEL_KIND_SUBTITLE, TRAKKEL_KIND_SUBTITLE, TRAKKEL_KIND_SUBTITLE};
    const char* codecs[] = {"V_MPEG4/ISO/AVC", "A_AAC", "S_TEXT/UTF8", "S_TEXT/ASS", "S_TEXT/SSA", "S_TEXT/USF"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list->entries[i]->number, i + 1);
        EXPECT_EQ(list->entries[i]->kind, kinds[i]);
        EXPECT_STREQ(list->entries[i]->codec, codecs[i]);
    }
    trakkel_.FreeTrackInfo(list);
}

TEST_F(SubtitleExtraction, ExtractsEveryTrackAndAttachesTheFirst)
{
    EXPECT_EQ(PrepareSubtitleTracks(task_, trakkel_, folder_.path("out/"), ui_), 4);
    EXPECT_EQ(ui_.questions, 1);
    EXPECT_TRUE(ui_.failures.empty());
    EXPECT_EQ(task_.subtitlePath, Out("movie_0.srt"));
    EXPECT_EQ(task_.subtitleCandidates, (std::vector<std::string>{Out("movie_0.srt"), Out("movie_1.ass"),
                                                                  Out("movie_2.ssa"), Out("movie_3.usf")}));
    EXPECT_NE(folder_.read("out/movie_0.srt").find("Srt line"), std::string::npos);
    EXPECT_NE(folder_.read("out/movie_1.ass").find("Ass line"), std::string::npos);
    EXPECT_NE(folder_.read("out/movie_2.ssa").find("Ssa line"), std::string::npos);
    EXPECT_NE(folder_.read("out/movie_3.usf").find("Usf line"), std::string::npos);
    ASSERT_FALSE(ui_.percents.empty());
    EXPECT_TRUE(std::is_sorted(ui_.percents.begin(), ui_.percents.end()));
    EXPECT_EQ(ui_.percents.back(), 100);
    EXPECT_FALSE(ui_.shown);
    // Nothing but the four outputs is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path("out")), {}), 4);
}

TEST_F(SubtitleExtraction, NeverReplacesAUsersFile)
{
    folder_.write("out/movie_0.srt", "mine");
    folder_.write("out/movie_1 (1).ass", "");
    folder_.write("out/movie_1.ass", "mine too");
    PrepareSubtitleTracks(task_, trakkel_, folder_.path("out/"), ui_);
    EXPECT_EQ(folder_.read("out/movie_0.srt"), "mine");
    EXPECT_EQ(folder_.read("out/movie_1.ass"), "mine too");
    EXPECT_EQ(task_.subtitlePath, Out("movie_0 (1).srt"));
    EXPECT_NE(folder_.read("out/movie_0 (1).srt").find("Srt line"), std::string::npos);
    EXPECT_NE(folder_.read("out/movie_1 (2).ass").find("Ass line"), std::string::npos);

    // The library itself refuses a taken name, whoever chose it.
    std::vector<char> path(TRAKKEL_PATH_SIZE, '\0');
    std::string taken = Out("movie_0.srt");
    std::copy(taken.begin(), taken.end(), path.begin());
    ExtractItem item{path.data(), 3};
    ExtractItem* items[] = {&item};
    ExtractList list{items, 1};
    EXPECT_NE(trakkel_.Extract(source_, &list), 0);
    EXPECT_EQ(folder_.read("out/movie_0.srt"), "mine");
}

TEST_F(SubtitleExtraction, AFailedExtractionIsReportedAndAttachesNothing)
{
    // The output "folder" is a file: mkvextract cannot write there.
    std::string blocked = folder_.write("out/blocked", "x") + "/";
    EXPECT_EQ(PrepareSubtitleTracks(task_, trakkel_, blocked, ui_), 0);
    ASSERT_EQ(ui_.failures.size(), 1u);
    EXPECT_NE(ui_.failures[0].find("blocked"), std::string::npos) << ui_.failures[0];
    EXPECT_TRUE(task_.subtitlePath.empty());
    EXPECT_TRUE(task_.subtitleCandidates.empty());
}

TEST_F(SubtitleExtraction, DecliningOrANonMatroskaSourceExtractsNothing)
{
    ui_.answer = false;
    EXPECT_EQ(PrepareSubtitleTracks(task_, trakkel_, folder_.path("out/"), ui_), 0);
    EXPECT_EQ(ui_.questions, 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path("out")));

    ConversionTask text;
    text.sourcePath = folder_.write("src/notes.mkv", "not a Matroska file");
    MkvTrackList* list = reinterpret_cast<MkvTrackList*>(1);
    EXPECT_NE(trakkel_.GetTrackInfo(text.sourcePath, &list), 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_NE(trakkel_.GetTrackInfo(folder_.path("src/missing.mkv"), &list), 0);
    EXPECT_EQ(PrepareSubtitleTracks(text, trakkel_, folder_.path("out/"), ui_), 0);
    EXPECT_EQ(ui_.questions, 1);

    // Without the library nothing is offered.
    TrakkelBinding absent;
    ui_.answer = true;
    EXPECT_EQ(PrepareSubtitleTracks(task_, absent, folder_.path("out/"), ui_), 0);
    EXPECT_EQ(ui_.questions, 1);
}

TEST(SubtitleNaming, ExtensionFollowsTheCodecText)
{
    EXPECT_EQ(SubtitleExtension("S_VOBSUB"), ".idx");
    EXPECT_EQ(SubtitleExtension("s_vobsub"), ".idx");
    EXPECT_EQ(SubtitleExtension("VOBSUB"), ".srt"); // at the first position it does not count
    EXPECT_EQ(SubtitleExtension("S_TEXT/SSA"), ".ssa");
    EXPECT_EQ(SubtitleExtension("S_TEXT/ASS"), ".ass");
    EXPECT_EQ(SubtitleExtension("S_TEXT/USF"), ".usf");
    EXPECT_EQ(SubtitleExtension("S_TEXT/UTF8"), ".srt");
    EXPECT_EQ(SubtitleExtension("S_HDMV/PGS"), ".srt");

    TempFolder folder;
    EXPECT_EQ(ExtractedSubtitlePath(folder.path(), "/videos/movie.part1.mkv", 2, ".idx"),
              folder.path("movie.part1_2.idx"));
    folder.write("movie_2.sub", "x"); // a VobSub index needs its ".sub" name free too
    EXPECT_EQ(ExtractedSubtitlePath(folder.path(), "/videos/movie.mkv", 2, ".idx"), folder.path("movie_2 (1).idx"));

    EXPECT_TRUE(OffersSubtitleExtraction("/v/movie.MKV"));
    EXPECT_FALSE(OffersSubtitleExtraction("/v/movie.mka"));
}

} // namespace
