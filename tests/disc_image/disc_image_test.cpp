#include "nx_udf/nx_udf.h"
#include "platform/process_runner.h"
#include "tests/bluvat/stream_checks.h"
#include "tests/bluvat/test_media.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <libbluray/bluray.h>

using namespace bluvat_test;

namespace {

// The main title's stream as a player reads it from the disc.
std::vector<uint8_t> ReadTitleStream(const std::string& disc, uint32_t playlist)
{
    std::vector<uint8_t> bytes;
    BLURAY* bd = bd_open(disc.c_str(), nullptr);
    if (!bd)
        return bytes;
    bd_get_titles(bd, TITLES_ALL, 0);
    if (bd_select_playlist(bd, playlist)) {
        unsigned char buffer[6144 * 8];
        for (int n; (n = bd_read(bd, buffer, sizeof buffer)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
    }
    bd_close(bd);
    return bytes;
}

} // namespace

TEST(DiscImage, AnAuthoredFolderPackedIntoAnImagePlaysFromTheImage)
{
    const std::string folder = scratchFolder() + "/disc";
    const std::string image = scratchFolder() + "/disc.iso";
    JobResult job = runJob(folder, {{h264Ac3(), {}}, {mpeg2Ac3(), {}}});
    ASSERT_EQ(job.result, 0);
    ASSERT_EQ(nx_udfc(folder.c_str(), "BDMV", image.c_str(), nullptr), 0);

    DiscFacts fromFolder = readDisc(folder);
    DiscFacts fromImage = readDisc(image);
    ASSERT_TRUE(fromImage.opened);
    ASSERT_EQ(fromImage.titles.size(), 2u);
    for (std::size_t t = 0; t < 2; ++t) {
        EXPECT_DOUBLE_EQ(fromImage.titles[t].seconds, fromFolder.titles[t].seconds);
        EXPECT_NEAR(fromImage.titles[t].seconds, 2.0, 0.5);
        EXPECT_EQ(fromImage.titles[t].videoPids, fromFolder.titles[t].videoPids);
        EXPECT_EQ(fromImage.titles[t].audioPids, fromFolder.titles[t].audioPids);
    }

    // A player reads the same stream from the image as from the folder, whole.
    for (uint32_t playlist = 0; playlist < 2; ++playlist) {
        std::vector<uint8_t> fromImageStream = ReadTitleStream(image, playlist);
        std::vector<uint8_t> fromFolderStream = ReadTitleStream(folder, playlist);
        char name[32];
        std::snprintf(name, sizeof name, "/BDMV/STREAM/%05u.m2ts", playlist);
        EXPECT_EQ(fromImageStream.size(), std::filesystem::file_size(folder + name));
        EXPECT_TRUE(fromImageStream == fromFolderStream) << "playlist " << playlist;
    }

    // The command-line reader agrees.
    std::optional<std::string> info = platform::RunAndCapture("bd_info", {image});
    ASSERT_TRUE(info);
    EXPECT_NE(info->find("BluRay detected"), std::string::npos) << *info;
}
