// Runs that go on to a disc: a Blu-ray image read back by libbluray, a library made to fail, a
// disk that fills up at the image, the burner's parameters for a DVD burn type, and a DVD image
// read back by lsdvd.
#include "platform/process_runner.h"
#include "platform/program_folder.h"
#include "reelvane/conversion/disc_output.h"
#include "tests/bluvat/stream_checks.h"
#include "tests/bluvat/test_media.h"
#include "tests/discora/dvd_listing.h"
#include "tests/media/fitting_media.h"
#include "tests/media/test_media.h"
#include "tests/platform/temp_folder.h"
#include "tests/run/run_test_support.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <thread>

using namespace reelvane;
using namespace runtest;
namespace fs = std::filesystem;

namespace {

ProfileSettings FastBluray()
{
    ProfileSettings s = Profile("blu-ray_h264.ini", "Blu-ray H.264 (1080p, 23.976 fps)");
    SetText(s.Para, "-f mpegts -preset ultrafast -profile:v high -level:v 4.1 -pix_fmt yuv420p -g 24 -bf 2 -fs 0");
    return s;
}

RunRequest Request(const std::vector<std::string>& sources, const ProfileSettings& profile, const std::string& folder)
{
    RunRequest request;
    request.tasks = Tasks(sources, profile, folder);
    request.currentProfile = profile;
    request.outputFolder = folder;
    request.splitChoice = "BD-25 (25GB)";
    return request;
}

std::string ReadWhenWritten(const std::string& path)
{
    for (int i = 0; i < 200 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A copy of the clip whose audio track names `language`.
std::string WithLanguage(testmedia::Clip clip, const std::string& language, const std::string& path)
{
    int rc = platform::RunAndWait("ffmpeg",
                                  {"-hide_banner", "-loglevel", "error", "-nostdin", "-i", testmedia::ClipPath(clip),
                                   "-map", "0", "-c", "copy", "-metadata:s:a:0", "language=" + language, path});
    return rc == 0 ? path : std::string();
}

} // namespace

TEST(DiscRun, TwoMatroskaClipsBecomeOneBlurayImageWithTheirTitlesAndChapters)
{
    TempFolder folder;
    fs::copy_file(testmedia::FittingClipPath(testmedia::FittingClip::BlurayChapters), folder.path("a.mkv"));
    fs::copy_file(testmedia::ClipPath(testmedia::Clip::MatroskaTracks), folder.path("b.mkv"));
    fs::create_directory(folder.path("out"));
    const std::string out = folder.path("out/");
    fs::create_directory(out + "b"); // a folder of the user's with the authoring folder's name
    std::ofstream(out + "b/keep.txt") << "mine";
    ScriptedObserver observer;
    ConversionDriver driver(observer);

    RunRequest request = Request({folder.path("a.mkv"), folder.path("b.mkv")}, FastBluray(), out);
    // Re-encoded from a quarter second in: the chapters at 0.5 and 1.25 s come a quarter earlier.
    request.tasks[0].fromStart = 0;
    request.tasks[0].trimStart = 250000;
    RunSummary summary = driver.Run(request);

    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    EXPECT_EQ(summary.discResult, out + "b (1).iso");
    // The converted streams and the authoring folder are gone; the user's folder is untouched.
    EXPECT_EQ(FolderEntries(out), (std::vector<std::string>{"b", "b (1).iso"}));
    EXPECT_EQ(FolderEntries(out + "b"), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(observer.questions.size(), 1u);

    bluvat_test::DiscFacts disc = bluvat_test::readDisc(summary.discResult);
    ASSERT_TRUE(disc.opened);
    ASSERT_EQ(disc.titles.size(), 2u);
    for (const bluvat_test::DiscTitle& title : disc.titles) {
        EXPECT_NEAR(title.seconds, 2.0, 0.3);
        EXPECT_EQ(title.videoPids.size(), 1u);
    }
    EXPECT_EQ(disc.titles[0].audioPids.size(), 1u);
    EXPECT_EQ(disc.titles[1].audioPids.size(), 1u); // the profile keeps the first audio track
    ASSERT_EQ(disc.titles[0].chapterStarts.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(disc.titles[0].chapterStarts[i], (std::vector<double>{0.0, 0.25, 1.0})[i], 0.05) << i;
    EXPECT_EQ(disc.titles[1].chapters, 1); // a source without chapters: one at the start
    bool discPhaseLine = false;
    for (const auto& [percent, text] : observer.statuses)
        discPhaseLine = discPhaseLine || text.find("UDF building...") != std::string::npos;
    EXPECT_TRUE(discPhaseLine);
}

TEST(DiscRun, AuthoringThatFailsKeepsTheConvertedFilesAndSaysWhere)
{
    TempFolder folder;
    fs::create_directory(folder.path("program"));
    fs::copy_file(FAILING_BLUVAT, folder.path("program/libbluvat.so"));
    fs::create_directory(folder.path("out"));
    const std::string out = folder.path("out/");
    ScriptedObserver observer;
    ConversionDriver driver(observer);
    RunRequest request = Request({testmedia::SizedClipPath(2, 320, 240)}, FastBluray(), out);
    request.programFolder = folder.path("program");

    RunSummary summary = driver.Run(request);

    EXPECT_EQ(summary.Count(TaskState::Finished), 1);
    EXPECT_FALSE(summary.discOk);
    EXPECT_FALSE(summary.Succeeded());
    EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"sized_2s_320x240.ts"});
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_NE(observer.messages[0].find("could not be authored"), std::string::npos);
    EXPECT_NE(observer.messages[0].find(out + "sized_2s_320x240.ts"), std::string::npos);
    EXPECT_TRUE(observer.questions.empty());
}

TEST(DiscRun, DvdBurnTypeHandsTheConvertedFilesToTheBurner)
{
    TempFolder folder;
    fs::create_directory(folder.path("program"));
    fs::create_directory(folder.path("out"));
    const std::string out = folder.path("out/");
    WriteScript(folder.path("program/discora"), "printf '%s\\n' \"$@\" > '" + folder.path("args.tmp") +
                                                    "'\n"
                                                    "'" DISCORA_PROGRAM "' --dry-run \"$@\" > '" +
                                                    folder.path("plan") +
                                                    "' 2>&1\n"
                                                    "mv '" +
                                                    folder.path("args.tmp") + "' '" + folder.path("args") + "'");
    ProfileSettings dvd = Profile("paldvd.ini", "PAL DVD (720x576)");
    RunRequest request =
        Request({testmedia::SizedClipPath(2, 320, 240), testmedia::SizedClipPath(2, 320, 240)}, dvd, out);
    request.splitChoice = "DVD-5 (4.7GB)";
    for (ConversionTask& task : request.tasks) {
        task.toEnd = 0;
        task.trimEnd = 1000000;
    }
    request.programFolder = folder.path("program");
    ScriptedObserver observer;
    observer.answer = true;
    ConversionDriver driver(observer);

    RunSummary summary = driver.Run(request);
    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    EXPECT_EQ(observer.questions.size(), 1u);

    const std::string a = out + "sized_2s_320x240.mpg", b = out + "sized_2s_320x240 (1).mpg";
    EXPECT_EQ(BurnerArguments({a, b}, "DVD"), (std::vector<std::string>{"burn", "-f", a, b, "-t", "DVD"}));
    EXPECT_EQ(BurnerArguments({a, b}, "DVD", {{"eng", ""}, {}}),
              (std::vector<std::string>{"burn", "-f", a, b, "-t", "DVD", "-l", "eng,und", "und"}));
    EXPECT_EQ(ReadWhenWritten(folder.path("args")), "burn\n-f\n" + a + "\n" + b + "\n-t\nDVD\n");
    const std::string plan = ReadWhenWritten(folder.path("plan"));
    EXPECT_NE(plan.find("dvdauthor"), std::string::npos) << plan;
    EXPECT_NE(plan.find(a), std::string::npos) << plan;
    EXPECT_TRUE(fs::exists(a) && fs::exists(b)); // handed over as they are
}

TEST(DiscRun, DvdOfA4x3AndA16x9SourceShowsEachInItsShapeWithItsLanguage)
{
    TempFolder folder;
    fs::create_directory(folder.path("program"));
    fs::create_directory(folder.path("out"));
    const std::string out = folder.path("out/"), image = folder.path("disc.iso");
    // The burner itself, saving the image where it would burn it.
    WriteScript(folder.path("program/discora"), "exec '" DISCORA_PROGRAM "' \"$@\" --image '" + image + "'");
    const std::string standard = WithLanguage(testmedia::Clip::Standard4x3, "eng", folder.path("standard.mp4"));
    const std::string wide = WithLanguage(testmedia::Clip::Wide16x9, "ger", folder.path("wide.mp4"));
    ASSERT_FALSE(standard.empty() || wide.empty());
    ProfileSettings dvd = Profile("paldvd.ini", "PAL DVD (720x576)");
    RunRequest request = Request({}, dvd, out);
    request.splitChoice = "DVD-5 (4.7GB)";
    request.programFolder = folder.path("program");
    for (const std::string& source : {standard, wide}) { // picked in the selector: the shape follows the source
        request.tasks.push_back(*CreateTask(source, dvd, 1, out));
        request.tasks.back().toEnd = 0;
        request.tasks.back().trimEnd = 1000000;
    }
    ScriptedObserver observer;
    observer.answer = true;
    ConversionDriver driver(observer);

    RunSummary summary = driver.Run(request);

    ASSERT_TRUE(summary.Succeeded()) << (observer.messages.empty() ? "" : observer.messages[0]);
    EXPECT_EQ(discora_test::DvdTitles(image), (std::vector<std::string>{"VTS 01, 4/3, en", "VTS 02, 16/9, de"}));
}

TEST(DiscRun, AFullDiskAtTheImageSaysWhyAndKeepsTheConvertedFilesAndTheAuthoredFolder)
{
    TempFolder folder;
    const std::string disk = folder.path("small");
    fs::create_directory(disk);
    // Room for the stream and its authored copy, not for the image as well.
    const uintmax_t stream = fs::file_size(bluvat_test::h264Ac3());
    const std::string size = "size=" + std::to_string((stream * 21 / 10 + (300 << 10)) / 4096 * 4096);
    ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, size.c_str()), 0) << std::strerror(errno);
    const std::string out = disk + "/";
    fs::copy_file(bluvat_test::h264Ac3(), out + "clip.ts");
    ScriptedObserver observer;
    DiscJob job{"BLURAY", {out + "clip.ts"}, out, out + "clip.ts", platform::ProgramFolder(), {out + "clip.ts"}, {},
                {}};

    DiscResult disc = RunDiscOutput(job, observer, [](int, const std::string&) {});

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const bool authored = fs::is_regular_file(out + "clip/BDMV/STREAM/00000.m2ts");
    ::umount(disk.c_str());
    EXPECT_FALSE(disc.ok);
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_NE(observer.messages[0].find(std::strerror(ENOSPC)), std::string::npos) << observer.messages[0];
    EXPECT_NE(observer.messages[0].find(out + "clip.ts"), std::string::npos) << observer.messages[0];
    EXPECT_EQ(names, (std::vector<std::string>{"clip", "clip.ts"})); // no image, no partial file
    EXPECT_TRUE(authored);
}
