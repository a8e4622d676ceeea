// Converts a generated two-second clip with every section of every catalogue file, as a user's
// task would be converted, and checks each output with outside readers, down to decoding it whole.

#include "adapters/vexen/vexen.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/profiles/profile_file.h"
#include "reelvane/tasks/task_rules.h"
#include "tests/bluvat/test_media.h"
#include "tests/catalogue/disc_checks.h"
#include "tests/catalogue/promised_output.h"
#include "tests/media/test_media.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using namespace reelvane;

namespace {

constexpr int kWorkers = 2;
// A 4K frame holds a hundred of the clip's: its first frames are enough, and the rest would take
// minutes.
constexpr int kFourKWidth = 3840;
constexpr int64_t kFourKMicroseconds = 200'000;

struct Job {
    std::string file;
    std::string section;
    ProfileSettings settings;
    std::vector<std::string> problems;
    double seconds = 0;
};

thread_local std::vector<std::string>* engineMessages = nullptr;

int32_t CollectMessages(const char* message, double value)
{
    if (value < 0 && message && *message && engineMessages)
        engineMessages->push_back(message);
    return 0;
}

// The entry the split selector starts with for this profile file.
std::string FirstSplitChoice(const std::string& fileStem)
{
    if (fileStem.starts_with("blu-ray_"))
        return "BD-25 (25GB)";
    if (fileStem.starts_with("avchd_") || fileStem == "paldvd" || fileStem == "ntscdvd")
        return "DVD-5 (4.7GB)";
    return "No split";
}

std::vector<Job> EverySection(const std::string& folder)
{
    std::vector<Job> jobs;
    for (const std::string& file : ListProfileFiles(folder)) {
        const std::string path = folder + file;
        for (const std::string& section : ProfileSectionNames(path)) {
            Job job{file, section, EmptyProfileSettings(), {}, 0};
            ReadProfile(section, job.settings, path);
            SetText(job.settings.iniPath, path);
            jobs.push_back(std::move(job));
        }
    }
    // The largest frames first, so that the two workers finish close together.
    std::stable_sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) {
        FrameSize x = OutputFrameSize(a.settings), y = OutputFrameSize(b.settings);
        return int64_t(x.width) * x.height > int64_t(y.width) * y.height;
    });
    return jobs;
}

bool FixesThePictureRate(const ProfileSettings& s)
{
    std::vector<std::string> words = SplitWords(s.Para);
    return !s.bDisableVideo &&
           (s.bVideoCustomFrameRate || s.BurnType[0] || std::find(words.begin(), words.end(), "-r") != words.end());
}

void CheckTimingAndDisc(Job& job, const std::string& output, const catalogue::PromisedOutput& promise,
                        const testmedia::FileFacts& facts, const std::string& work)
{
    catalogue::VideoTiming timing;
    if (FixesThePictureRate(job.settings)) {
        // A fixed rate is a constant one: no picture is left out or shown twice as long.
        timing = catalogue::ReadVideoTiming(output);
        if (timing.shortestStep <= 0 || timing.longestStep > 1.5 * timing.shortestStep)
            job.problems.push_back("pictures are " + std::to_string(timing.shortestStep) + " to " +
                                   std::to_string(timing.longestStep) + " s apart");
    }
    const std::string burn = job.settings.BurnType;
    if (burn == "BLURAY" || burn == "AVCHD") {
        // At most one second of pictures (24 at 23.976 fps) between key frames.
        if (timing.longestKeyFrameGap < 0 || timing.longestKeyFrameGap > 1.002)
            job.problems.push_back("key frames are " + std::to_string(timing.longestKeyFrameGap) + " s apart");
        const testmedia::StreamFacts* video = facts.First("video");
        if (video && video->codec == "h264" && (video->level < 1 || video->level > (burn == "BLURAY" ? 41 : 40)))
            job.problems.push_back("H.264 level " + std::to_string(video->level));
        for (std::string& problem : catalogue::BluRayProblems(output, work + "/bdmv", promise.seconds))
            job.problems.push_back(std::move(problem));
    } else if (burn == "DVD") {
        for (std::string& problem : catalogue::DvdProblems(output, work + "/dvd", promise.height == 576))
            job.problems.push_back(std::move(problem));
    }
}

void Convert(Job& job, const std::string& clip, const catalogue::SourceFacts& source, const std::string& work)
{
    const auto started = std::chrono::steady_clock::now();
    fs::create_directories(work);
    // calcAspect 1, as a pick in the selector remembers it.
    std::unique_ptr<ConversionTask> task = CreateTask(clip, job.settings, 1, work + "/");
    SplitRule split;
    split.runChoice = split.currentChoice = FirstSplitChoice(fs::path(job.file).stem().string());
    split.currentProfilePath = job.settings.iniPath;
    PerFileTask perFile{task->settings, task->probed, task->sourcePath, task->destinationPath};
    catalogue::SourceFacts used = source;
    if (!task->settings.bDisableVideo && OutputFrameSize(task->settings).width >= kFourKWidth) {
        perFile.toEnd = 0;
        perFile.trimEnd = task->probed.mediaInfo.startTime + kFourKMicroseconds;
        used.seconds = kFourKMicroseconds / 1e6;
    }
    EngineArguments arguments = BuildPerFileArguments(perFile, split);

    catalogue::PromisedOutput promise = catalogue::Promise(task->settings, used, job.problems);
    std::vector<std::string> messages;
    engineMessages = &messages;
    std::vector<char*> argv = arguments.Argv();
    int32_t result = ffmain(static_cast<int32_t>(argv.size()), argv.data(), CollectMessages);
    engineMessages = nullptr;

    const std::string& output = task->destinationPath;
    std::string missing;
    for (const std::string& codec : {promise.videoCodec, promise.audioCodec})
        if (!codec.empty() && !catalogue::HasEncoder(codec))
            missing = codec;
    if (!missing.empty()) {
        // No encoder here: a clear message naming it, no file, and a hint that warns the user.
        bool named = std::any_of(messages.begin(), messages.end(), [&missing](const std::string& message) {
            return message.find("encoder") != std::string::npos &&
                   message.find('"' + missing + '"') != std::string::npos;
        });
        if (result == 0 || !named)
            job.problems.push_back("the missing encoder for " + missing + " is not reported");
        if (fs::exists(output))
            job.problems.push_back("an output was written without an encoder");
        if (std::string(job.settings.FormatHint).find("encoder") == std::string::npos)
            job.problems.push_back("the hint does not say that the encoder is missing");
    } else if (result != 0) {
        job.problems.push_back("ffmain returned " + std::to_string(result));
        for (const std::string& message : messages)
            job.problems.push_back("engine: " + message);
    } else if (auto facts = testmedia::ProbeFile(output); !facts) {
        job.problems.push_back("ffprobe cannot read " + output);
    } else {
        for (std::string& difference : catalogue::Differences(promise, *facts))
            job.problems.push_back(std::move(difference));
        if (std::string problems = testmedia::DecodeProblems(output); !problems.empty())
            job.problems.push_back("it does not decode whole: " + problems);
        CheckTimingAndDisc(job, output, promise, *facts, work);
    }
    job.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

} // namespace

TEST(Catalogue, EverySectionConvertsTheClipIntoWhatItPromises)
{
    VCInit();
    const std::string clip = testmedia::ClipPath(testmedia::Clip::MatroskaTracks);
    auto clipFacts = testmedia::ProbeFile(clip);
    ASSERT_TRUE(clipFacts && clipFacts->First("video") && clipFacts->First("audio"));
    const testmedia::StreamFacts& video = *clipFacts->First("video");
    const testmedia::StreamFacts& audio = *clipFacts->First("audio");
    const catalogue::SourceFacts source{video.width, video.height, audio.sampleRate, audio.channels,
                                        clipFacts->duration};
    std::vector<Job> jobs = EverySection(REELVANE_PROFILE_SOURCE_FOLDER);
    ASSERT_GE(jobs.size(), 95u);

    std::atomic<std::size_t> next = 0;
    auto work = [&] {
        for (std::size_t i; (i = next++) < jobs.size();)
            Convert(jobs[i], clip, source, bluvat_test::scratchFolder() + "/" + std::to_string(i));
    };
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    for (const Job& job : jobs)
        for (const std::string& problem : job.problems)
            ADD_FAILURE() << job.file << " [" << job.section << "]: " << problem;
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.seconds > b.seconds; });
    std::printf("%zu sections in %.1f s with %d workers; the slowest:\n", jobs.size(), total, kWorkers);
    for (std::size_t i = 0; i < 5 && i < jobs.size(); ++i)
        std::printf("  %5.1f s  %s [%s]\n", jobs[i].seconds, jobs[i].file.c_str(), jobs[i].section.c_str());
    VCExit();
}
