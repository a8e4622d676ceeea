// Bad sources and folders: the texts reach the callback, nothing crashes, later titles still come.

#include "stream_checks.h"
#include "test_media.h"

#include <gtest/gtest.h>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using namespace bluvat_test;

namespace {

std::string badFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::string path = scratchFolder() + "/" + name;
    writeFile(path, bytes);
    return path;
}

// Authors the bad source first and a good one second; the good one must be title 1.
JobResult badThenGood(const std::string& name, const std::string& bad)
{
    std::string folder = scratchFolder() + "/" + name;
    JobResult job = runJob(folder, {{bad, {}}, {h264Ac3(), {}}});
    EXPECT_EQ(job.result, -1) << "a title was left out, so the job is not complete";
    EXPECT_FALSE(fs::exists(folder + "/BDMV/STREAM/00000.m2ts"));
    EXPECT_FALSE(fs::exists(folder + "/BDMV/PLAYLIST/00000.mpls"));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/STREAM/00001.m2ts"));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/CLIPINF/00001.clpi"));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/PLAYLIST/00001.mpls"));
    EXPECT_EQ(readFile(folder + "/BDMV/index.bdmv").size(), 504u + 44); // both titles listed
    DiscFacts disc = readDisc(folder);
    EXPECT_EQ(disc.playlists, 1u);
    return job;
}

} // namespace

TEST(BluvatBadInput, EmptyFile)
{
    JobResult job = badThenGood("empty", badFile("empty.ts", {}));
    EXPECT_EQ(job.errors(), (std::vector<std::string>{"The specified file is too short",
                                                      "The specified file is not a valid file", "Open file error"}));
}

TEST(BluvatBadInput, RandomBytes)
{
    std::vector<uint8_t> noise(200000);
    std::mt19937 random(7);
    for (auto& b : noise)
        b = uint8_t(random() % 0x46); // never a sync byte
    JobResult job = badThenGood("random", badFile("random.ts", noise));
    EXPECT_EQ(job.errors(), (std::vector<std::string>{"The specified file is not a valid file", "Open file error"}));
}

TEST(BluvatBadInput, StreamWithoutProgramMap)
{
    std::vector<uint8_t> nulls;
    for (int k = 0; k < 100; ++k) {
        std::vector<uint8_t> p = {0x47, 0x1F, 0xFF, 0x10};
        p.resize(188, 0xFF);
        nulls.insert(nulls.end(), p.begin(), p.end());
    }
    JobResult job = badThenGood("no_map", badFile("no_map.ts", nulls));
    EXPECT_EQ(job.errors(), std::vector<std::string>{"The specified file does not contain a valid PAT/PMT combo."});
}

TEST(BluvatBadInput, VanishedFile)
{
    std::string path = badFile("vanished.ts", readFile(h264Ac3()));
    fs::remove(path);
    JobResult job = badThenGood("vanished", path);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"Open file error"});
}

TEST(BluvatBadInput, TruncatedFileIsAuthoredAsFarAsItGoes)
{
    std::vector<uint8_t> whole = readFile(h264Ac3());
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2 + 77)); // mid-packet
    std::string folder = scratchFolder() + "/truncated";
    JobResult job = runJob(folder, {{badFile("truncated.ts", cut), {}}});
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"small packet"});
    M2tsFacts facts = inspectM2ts(folder + "/BDMV/STREAM/00000.m2ts");
    EXPECT_TRUE(facts.wholeUnits);
    EXPECT_TRUE(facts.atsRising);
    ProbeFacts probe = probeFile(folder + "/BDMV/STREAM/00000.m2ts");
    EXPECT_GT(probe.count("video"), 15);
    DiscFacts disc = readDisc(folder);
    ASSERT_EQ(disc.titles.size(), 1u);
    EXPECT_NEAR(disc.titles[0].seconds, 1.0, 0.5);
}

TEST(BluvatBadInput, DamagedPacketsAreReportedOnceAndSkipped)
{
    std::vector<uint8_t> ts = readFile(h264Ac3());
    for (std::size_t at = 188 * 40; at < ts.size(); at += 188 * 97)
        ts.insert(ts.begin() + std::ptrdiff_t(at), {0x00, 0x13, 0x47}); // stray bytes between packets
    std::string folder = scratchFolder() + "/damaged";
    JobResult job = runJob(folder, {{badFile("damaged.ts", ts), {}}});
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"sync byte missing"});
    M2tsFacts facts = inspectM2ts(folder + "/BDMV/STREAM/00000.m2ts");
    EXPECT_TRUE(facts.wholeUnits);
    EXPECT_EQ(facts.continuityErrors, 0);
    DiscFacts disc = readDisc(folder);
    ASSERT_EQ(disc.titles.size(), 1u);
    EXPECT_NEAR(disc.titles[0].seconds, 2.0, 0.5);
}

TEST(BluvatBadInput, UnreadablePesStartsAreReportedOnceAndDropped)
{
    // Every other PES start of the audio PID made unreadable, as a scrambled stream shows them (a
    // stream with none readable brings no data and fails its title).
    std::vector<uint8_t> ts = readFile(h264Ac3());
    int starts = 0, spoiled = 0;
    for (std::size_t at = 0; at + 188 <= ts.size(); at += 188) {
        uint8_t* p = &ts[at];
        if (p[0] != 0x47 || !(p[1] & 0x40) || (((p[1] & 0x1F) << 8) | p[2]) != 0x101 || !(p[3] & 0x10))
            continue;
        std::size_t payload = (p[3] & 0x20) ? 5u + p[4] : 4u;
        if (payload + 3 > 188 || starts++ % 2 == 1)
            continue;
        std::fill(p + payload, p + payload + 3, 0x5A);
        ++spoiled;
    }
    ASSERT_GT(spoiled, 5);
    std::string folder = scratchFolder() + "/unreadable";
    JobResult job = runJob(folder, {{badFile("unreadable.ts", ts), {}}});
    EXPECT_EQ(job.result, 0);
    EXPECT_EQ(job.errors(), std::vector<std::string>{"invalid stream"});
    DiscFacts disc = readDisc(folder);
    ASSERT_EQ(disc.titles.size(), 1u);
    EXPECT_NEAR(disc.titles[0].seconds, 2.0, 0.5);
}

TEST(BluvatBadInput, FolderThatCannotBeMade)
{
    std::string blocker = badFile("blocker", {1});
    JobResult job = runJob(blocker + "/disc", {{h264Ac3(), {}}});
    EXPECT_EQ(job.result, -1);
    for (const char* text :
         {"create index.bdmv error", "create MovieObject.bdmv error", "create mpls error", "create clpi error"})
        EXPECT_TRUE(job.has(1, text)) << text;
    EXPECT_EQ(readFile(blocker), std::vector<uint8_t>{1});
}

// Runs `body` in a child process under a time limit; true when it exited with 0.
template <typename Body>
bool inChild(unsigned seconds, Body body)
{
    pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(BluvatBadInput, ATitleThatCannotBeWrittenWholeLeavesNoFileOfIt)
{
    // A file-size limit in a child process stands in for a full disk: the index files fit, the
    // stream file does not.
    const std::string folder = scratchFolder() + "/full_disk";
    const std::string& source = h264Ac3();
    EXPECT_TRUE(inChild(60, [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        JobResult job = runJob(folder, {{source, {}}});
        return job.result == -1 && job.has(1, "write m2ts error");
    }));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/index.bdmv"));
    for (const char* file : {"STREAM/00000.m2ts", "PLAYLIST/00000.mpls", "CLIPINF/00000.clpi",
                             "BACKUP/PLAYLIST/00000.mpls", "BACKUP/CLIPINF/00000.clpi"})
        EXPECT_FALSE(fs::exists(folder + "/BDMV/" + file)) << file;
    EXPECT_EQ(readDisc(folder).playlists, 0u);
}

TEST(BluvatBadInput, AFailedBackupCopyIsReportedLikeAFailedWrite)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime needs descriptors of its own";
#endif
    // One free file descriptor under the limit: a whole-file write needs one, a copy needs two.
    const std::string folder = scratchFolder() + "/backup_fails";
    fs::remove_all(folder);
    const std::string& source = h264Ac3();
    EXPECT_TRUE(inChild(60, [&] {
        int highest = 0;
        for (const fs::directory_entry& e : fs::directory_iterator("/proc/self/fd"))
            highest = std::max(highest, std::stoi(e.path().filename().string()));
        int fd = ::open("/dev/null", O_RDONLY);
        while (fd >= 0 && fd <= highest) // fills every gap below the highest open descriptor
            fd = ::open("/dev/null", O_RDONLY);
        ::close(fd);
        struct rlimit limit = {rlim_t(fd) + 1, rlim_t(fd) + 1};
        ::setrlimit(RLIMIT_NOFILE, &limit);
        JobResult job = runJob(folder, {{source, {}}});
        return job.result == -1 && job.has(1, "write index.bdmv error") && job.has(1, "write MovieObject.bdmv error") &&
               !job.has(1, "create index.bdmv error");
    }));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/index.bdmv"));
    EXPECT_FALSE(fs::exists(folder + "/BDMV/BACKUP/index.bdmv"));
}

TEST(BluvatBadInput, PipesAndDevicesAreRefusedAtOnce)
{
    std::string fifo = scratchFolder() + "/source.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = scratchFolder() + "/from_pipe";
    const std::string& good = h264Ac3();
    EXPECT_TRUE(inChild(20, [&] { // a reader that waits for a writer never comes back by itself
        JobResult job = runJob(folder, {{fifo, {}}, {"/dev/zero", {}}, {good, {}}});
        std::vector<std::string> expected = {"Open file error", "Open file error"};
        return job.result == -1 && job.errors() == expected;
    }));
    EXPECT_TRUE(fs::exists(folder + "/BDMV/STREAM/00002.m2ts"));
    EXPECT_FALSE(fs::exists(folder + "/BDMV/STREAM/00000.m2ts"));
}

TEST(BluvatBadInput, TitleCountOutsideTheRangeMakesNothing)
{
    std::string folder = scratchFolder() + "/no_titles";
    JobResult job = runJob(folder, {});
    EXPECT_EQ(job.result, -1);
    EXPECT_FALSE(fs::exists(folder));
}

TEST(BluvatTrackInfo, DescribesTheSourceAndReleasesNull)
{
    TrackInfo* info = nullptr;
    ASSERT_EQ(nx_ts_gettrackinfo(h264TwoAudio().c_str(), &info), 0);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->kind, 1);
    EXPECT_NEAR(info->duration, 2.0, 0.3);
    ASSERT_EQ(info->count, 3);
    EXPECT_STREQ(info->entries[0]->name, "AVC Video Stream");
    EXPECT_EQ(info->entries[0]->streamType, 0x1B);
    EXPECT_STREQ(info->entries[1]->name, "Dolby Digital Audio Stream");
    EXPECT_EQ(info->entries[2]->selected, 1);
    EXPECT_EQ(sizeof(TrackEntry), 60u);

    // Authoring through the single-title path with one audio track left out.
    info->entries[2]->selected = 0;
    std::string folder = scratchFolder() + "/single";
    EXPECT_EQ(nx_ts_cbdfolder(folder.c_str(), info, 0), 0);
    EXPECT_EQ(nx_ts_freetrackinfo(info), 0);
    DiscFacts disc = readDisc(folder);
    ASSERT_EQ(disc.titles.size(), 1u);
    EXPECT_EQ(disc.titles[0].audioPids, std::vector<uint16_t>{0x1100});

    EXPECT_EQ(nx_ts_freetrackinfo(nullptr), 0);
    TrackInfo* none = reinterpret_cast<TrackInfo*>(0x1);
    EXPECT_EQ(nx_ts_gettrackinfo((scratchFolder() + "/missing.ts").c_str(), &none), -1);
    EXPECT_EQ(none, reinterpret_cast<TrackInfo*>(0x1)); // nothing stored on failure
}

TEST(BluvatBadInput, StreamsTheMapNamesButThatNeverComeFailTheTitleAndProgressIsNoError)
{
    // Only the tables are kept (and, in the second case, the video): the map still names both streams.
    std::vector<uint8_t> whole = readFile(h264Ac3());
    auto without = [&whole](std::vector<uint16_t> pids) {
        std::vector<uint8_t> kept;
        for (std::size_t at = 0; at + 188 <= whole.size(); at += 188) {
            uint16_t pid = uint16_t((whole[at + 1] & 0x1F) << 8 | whole[at + 2]);
            if (std::find(pids.begin(), pids.end(), pid) == pids.end())
                kept.insert(kept.end(), whole.begin() + std::ptrdiff_t(at), whole.begin() + std::ptrdiff_t(at + 188));
        }
        return kept;
    };
    JobResult tablesOnly = badThenGood("tables_only", badFile("tables_only.ts", without({0x100, 0x101})));
    std::vector<std::string> errors = tablesOnly.errors();
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Stream 0x0100 of the program map carries no data"),
              errors.end());
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Stream 0x0101 of the program map carries no data"),
              errors.end());

    JobResult noAudio = badThenGood("no_audio", badFile("no_audio.ts", without({0x101})));
    EXPECT_EQ(noAudio.errors(), (std::vector<std::string>{"Stream 0x0101 of the program map carries no data",
                                                          "The files of title 0 could not be written whole and "
                                                          "were removed"}));

    // Opening a source is progress, never an error.
    EXPECT_TRUE(noAudio.has(2, "Open file..."));
    for (const Message& m : noAudio.messages)
        EXPECT_FALSE(m.kind == 1 && m.text == "Open file...");
}

TEST(BluvatBadInput, AStopAskedForEndsTheJobAndRemovesTheTitleBeingWritten)
{
    static int asked;
    asked = 0;
    nx_setstopfunc([]() -> int32_t { return ++asked > 40 ? 1 : 0; });
    std::string folder = scratchFolder() + "/stopped";
    JobResult job = runJob(folder, {{h264Ac3(), {}}, {h264Ac3(), {}}});
    nx_setstopfunc(nullptr);
    EXPECT_EQ(job.result, -1);
    EXPECT_GT(asked, 40);
    EXPECT_FALSE(fs::exists(folder + "/BDMV/STREAM/00000.m2ts"));
    EXPECT_FALSE(fs::exists(folder + "/BDMV/STREAM/00001.m2ts"));
    EXPECT_TRUE(job.errors().empty());
}
