// Streams that already fit are copied, not re-encoded: a Matroska film straight onto a Blu-ray
// image, an H.264/AAC file into the MP4 profile, an HEVC file into the HEVC profile of its depth,
// and each broken rule once.
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/stream_copy_rules.h"
#include "tests/bluvat/stream_checks.h"
#include "tests/media/fitting_media.h"
#include "tests/media/media_facts.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include "platform/process_runner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <libbluray/bluray.h>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

namespace {

// The md5 of every decoded picture of the first video stream, and the count of pictures.
struct DecodedVideo {
    std::string md5;
    int frames = 0;
};

DecodedVideo DecodeVideo(const std::string& path)
{
    DecodedVideo video;
    if (auto out = platform::RunAndCapture("ffmpeg",
                                           {"-v", "error", "-nostdin", "-i", path, "-map", "0:v:0", "-f", "md5", "-"}))
        video.md5 = *out;
    if (auto out =
            platform::RunAndCapture("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0",
                                                "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", path}))
        video.frames = std::atoi(out->c_str());
    return video;
}

// The first title's transport stream as libbluray plays it from the image.
std::string ReadFirstTitle(const std::string& image, const std::string& target)
{
    BLURAY* bd = bd_open(image.c_str(), nullptr);
    if (!bd)
        return {};
    if (bd_get_titles(bd, TITLES_ALL, 0) == 0 || !bd_select_title(bd, 0)) {
        bd_close(bd);
        return {};
    }
    std::ofstream out(target, std::ios::binary);
    std::vector<unsigned char> buffer(6144 * 10);
    for (int n; (n = bd_read(bd, buffer.data(), static_cast<int>(buffer.size()))) > 0;)
        out.write(reinterpret_cast<const char*>(buffer.data()), n);
    bd_close(bd);
    return target;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

RunRequest Request(std::vector<ConversionTask> tasks, const ProfileSettings& profile, const std::string& folder)
{
    RunRequest request;
    request.tasks = std::move(tasks);
    request.currentProfile = profile;
    request.outputFolder = folder;
    request.copyFitting = true;
    return request;
}

PerFileTask Input(const ConversionTask& task)
{
    return {task.settings,  task.probed,    task.sourcePath, "/tmp/out.ts", task.subtitlePath,
            task.fromStart, task.trimStart, task.toEnd,      task.trimEnd,  true};
}

SplitRule NoSplit()
{
    SplitRule split;
    split.runChoice = split.currentChoice = "No split";
    return split;
}

// The word after `option` in the engine vector, or "".
std::string After(const EngineArguments& arguments, const std::string& option)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == option)
            return arguments[i + 1];
    return {};
}

} // namespace

TEST(StreamCopy, FittingMatroskaBecomesABlurayImageWithTheSourcesOwnVideoAndChaptersAndTheSourceStays)
{
    TempFolder folder;
    const std::string source = folder.path("film.mkv");
    fs::copy_file(testmedia::FittingClipPath(testmedia::FittingClip::BlurayChapters), source);
    const std::string before = FileBytes(source);
    const std::string engineLog = folder.path("engine.log");
    const std::string logger =
        WriteScript(folder.path("ffmpeg-logged"), "echo \"$*\" >> '" + engineLog + "'\nexec ffmpeg \"$@\"");
    setenv("REELVANE_FFMPEG", logger.c_str(), 1);
    fs::create_directory(folder.path("out"));
    const ProfileSettings profile = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");
    ScriptedObserver observer;
    ConversionDriver driver(observer);
    RunRequest request = Request(Tasks({source}, profile, folder.path("out/")), profile, folder.path("out/"));
    request.splitChoice = "BD-25 (25GB)";

    RunSummary summary = driver.Run(request);
    unsetenv("REELVANE_FFMPEG");

    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    EXPECT_FALSE(fs::exists(engineLog)); // the engine never ran: the author read the source itself
    ASSERT_EQ(summary.tasks.size(), 1u);
    ASSERT_EQ(summary.tasks[0].streams.size(), 2u);
    for (const StreamDecision& stream : summary.tasks[0].streams)
        EXPECT_EQ(stream.action, StreamAction::Copy) << stream.reason;
    // The source is neither deleted nor changed by the disc step.
    EXPECT_EQ(FileBytes(source), before);
    EXPECT_EQ(FolderEntries(folder.path("out/")), std::vector<std::string>{"film.iso"});

    bluvat_test::DiscFacts disc = bluvat_test::readDisc(summary.discResult);
    ASSERT_TRUE(disc.opened);
    ASSERT_EQ(disc.titles.size(), 1u);
    EXPECT_NEAR(disc.titles[0].seconds, 2.0, 0.2);
    ASSERT_EQ(disc.titles[0].chapterStarts.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(disc.titles[0].chapterStarts[i], (std::vector<double>{0.0, 0.5, 1.25})[i], 0.01) << i;
    const std::string played = ReadFirstTitle(summary.discResult, folder.path("played.m2ts"));
    ASSERT_FALSE(played.empty());
    const DecodedVideo original = DecodeVideo(source), authored = DecodeVideo(played);
    EXPECT_GT(original.frames, 40);
    EXPECT_EQ(authored.frames, original.frames);
    EXPECT_FALSE(original.md5.empty());
    EXPECT_EQ(authored.md5, original.md5);
}

TEST(StreamCopy, SourcesThatBreakOneRuleAreReEncodedEachForItsRule)
{
    using testmedia::FittingClip;
    const ProfileSettings bluray = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");
    const std::string fitting = testmedia::FittingClipPath(FittingClip::Bluray);
    TempFolder folder;
    const std::string subtitle = testmedia::ClipPath(testmedia::Clip::SubtitleText);

    struct Case {
        const char* rule;
        std::string source;
        bool videoCopied;
        bool audioCopied;
        std::function<void(ConversionTask&)> change;
    };
    const std::vector<Case> cases = {
        {"fits", fitting, true, true, {}},
        {"level 5.1", testmedia::FittingClipPath(FittingClip::BlurayLevel51), false, true, {}},
        {"1080p at 60", testmedia::FittingClipPath(FittingClip::Bluray1080p60), false, true, {}},
        {"AAC audio", testmedia::FittingClipPath(FittingClip::BlurayAac), true, false, {}},
        {"a crop", fitting, false, true,
         [](ConversionTask& t) {
             t.settings.bVideoEnableCrop = 1;
             t.settings.nVideoCropTop = t.settings.nVideoCropBottom = 8;
         }},
        {"a burnt subtitle", fitting, false, true, [&](ConversionTask& t) { t.subtitlePath = subtitle; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        ConversionTask task = Tasks({c.source}, bluray, folder.path())[0];
        if (c.change)
            c.change(task);
        const PerFileTask input = Input(task);
        const StreamPlan plan = PlanStreams(input, true);
        ASSERT_EQ(plan.streams.size(), 2u);
        EXPECT_EQ(plan.CopiesVideo(), c.videoCopied) << plan.streams[0].reason;
        EXPECT_EQ(plan.CopiesAudio(), c.audioCopied) << plan.streams[1].reason;
        EngineArguments arguments = BuildPerFileArguments(input, NoSplit());
        EXPECT_EQ(After(arguments, "-vcodec"), c.videoCopied ? "copy" : "h264");
        EXPECT_EQ(After(arguments, "-acodec"), c.audioCopied ? "copy" : "ac3");
        // An encoded video keeps the profile's encoder options; a copied one has none to clash.
        EXPECT_EQ(After(arguments, "-profile:v").empty(), c.videoCopied);
        // Re-encoding on request: nothing is copied, whatever fits.
        EXPECT_FALSE(PlanStreams(input, false).CopiesVideo());
        EXPECT_EQ(After(BuildPerFileArguments({task.settings, task.probed, task.sourcePath, "/tmp/o.ts"}, NoSplit()),
                        "-vcodec"),
                  "h264");
    }
}

TEST(StreamCopy, Mp4ProfileCopiesAFittingH264AacSourceAndTheOutputPlaysWhole)
{
    TempFolder folder;
    const std::string source = testmedia::FittingClipPath(testmedia::FittingClip::Mp4Main);
    const ProfileSettings profile = Profile("h264mp4.ini", "H.264 MP4 Video");
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunSummary summary = driver.Run(Request(Tasks({source}, profile, folder.path()), profile, folder.path()));

    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    ASSERT_EQ(summary.tasks[0].streams.size(), 2u);
    for (const StreamDecision& stream : summary.tasks[0].streams)
        EXPECT_EQ(stream.action, StreamAction::Copy) << stream.reason;
    const std::string output = summary.tasks[0].output;
    auto facts = testmedia::ProbeFile(output);
    ASSERT_TRUE(facts);
    EXPECT_NEAR(facts->duration, 2.0, 0.1);
    ASSERT_TRUE(facts->First("video") && facts->First("audio"));
    EXPECT_EQ(facts->First("video")->codec, "h264");
    EXPECT_EQ(facts->First("audio")->codec, "aac");
    // Plays whole: every picture decodes, and they are the source's own.
    EXPECT_EQ(platform::RunAndWait("ffmpeg", {"-v", "error", "-xerror", "-nostdin", "-i", output, "-f", "null", "-"}),
              0);
    const DecodedVideo original = DecodeVideo(source), copied = DecodeVideo(output);
    EXPECT_EQ(copied.frames, original.frames);
    EXPECT_EQ(copied.md5, original.md5);
}

TEST(StreamCopy, HevcSourceIsCopiedIntoTheHevcProfileOfItsDepthOnly)
{
    TempFolder folder;
    const std::string source = testmedia::ClipPath(testmedia::Clip::HdrPq10); // 10-bit HEVC, PQ
    const ProfileSettings deep = Profile("hevc_mp4.ini", "MP4 HEVC 10-bit (H.265 Main 10, AAC)");
    const ProfileSettings eightBit = Profile("hevc_mp4.ini", "MP4 HEVC (H.265, AAC)");

    const ConversionTask shallowTask = Tasks({source}, eightBit, folder.path())[0];
    const StreamPlan shallow = PlanStreams(Input(shallowTask), true);
    ASSERT_FALSE(shallow.streams.empty());
    EXPECT_FALSE(shallow.CopiesVideo());
    EXPECT_NE(shallow.streams[0].reason.find("yuv420p10le"), std::string::npos) << shallow.streams[0].reason;
    EXPECT_EQ(After(BuildPerFileArguments(Input(shallowTask), NoSplit()), "-tonemap"), "9:9");

    ScriptedObserver observer;
    ConversionDriver driver(observer);
    RunSummary summary = driver.Run(Request(Tasks({source}, deep, folder.path()), deep, folder.path()));
    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    ASSERT_FALSE(summary.tasks[0].streams.empty());
    EXPECT_EQ(summary.tasks[0].streams[0].action, StreamAction::Copy) << summary.tasks[0].streams[0].reason;
    const std::string output = summary.tasks[0].output;
    // The MP4 says "hvc1", as players want, and holds the source's own pictures, HDR and all.
    auto tag = platform::RunAndCapture("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                   "stream=codec_tag_string", "-of", "csv=p=0", output});
    EXPECT_EQ(tag.value_or(""), "hvc1\n");
    auto facts = testmedia::ProbeFile(output);
    ASSERT_TRUE(facts && facts->First("video"));
    EXPECT_EQ(facts->First("video")->colorTransfer, "smpte2084");
    EXPECT_EQ(testmedia::DecodeProblems(output), "");
    EXPECT_EQ(DecodeVideo(output).md5, DecodeVideo(source).md5);
}
