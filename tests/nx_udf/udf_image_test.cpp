#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>

#include "nx_udf/nx_udf.h"
#include "udf_image_reader.h"
#include "udf_test_tree.h"
#include "udf_tree_check.h"

namespace fs = std::filesystem;
using namespace udf_test;

namespace {

bool IsZero(const Sector& s)
{
    return std::all_of(s.begin(), s.end(), [](uint8_t b) { return b == 0; });
}

void ExpectDescriptor(const ImageReader& image, uint64_t sector, uint16_t id, uint32_t location)
{
    Sector s = image.sector(sector);
    EXPECT_EQ(le16(&s[0]), id) << "sector " << sector;
    EXPECT_EQ(le32(&s[12]), location) << "sector " << sector;
    EXPECT_TRUE(TagVerifies(s.data())) << "sector " << sector;
}

std::vector<int> progressCalls;
int32_t RecordProgress(int32_t percent, const char* text)
{
    EXPECT_STREQ(text, "UDF building...");
    progressCalls.push_back(percent);
    return 0;
}

} // namespace

TEST(NxUdfImage, EmptyFolderGivesTheBareLayout)
{
    TempFolder temp;
    fs::create_directory(temp / "src");
    progressCalls.clear();
    ASSERT_EQ(nx_udfc((temp / "src").c_str(), "BDMV", (temp / "a.iso").c_str(), RecordProgress), 0);
    EXPECT_TRUE(progressCalls.empty());

    ImageReader image((temp / "a.iso").string());
    ASSERT_EQ(image.size(), 851968u);
    std::map<uint64_t, std::pair<uint16_t, uint32_t>> tagged = {
        {32, {1, 32}},   {33, {4, 33}}, {34, {5, 34}},   {35, {6, 35}},   {36, {7, 36}},
        {37, {8, 37}},   {64, {9, 64}}, {65, {8, 65}},   {256, {2, 256}}, {288, {266, 0}},
        {320, {256, 0}}, {321, {8, 1}}, {322, {266, 2}}, {323, {257, 3}}, {384, {2, 384}},
    };
    const char* structures[] = {"BEA01", "NSR03", "TEA01"};
    for (uint64_t n = 0; n < 416; ++n) {
        if (n >= 16 && n <= 18) {
            Sector s = image.sector(n);
            EXPECT_EQ(std::string(&s[1], &s[6]), structures[n - 16]);
            EXPECT_EQ(s[6], 1);
        } else if (tagged.count(n)) {
            ExpectDescriptor(image, n, tagged[n].first, tagged[n].second);
        } else {
            EXPECT_TRUE(IsZero(image.sector(n))) << "sector " << n;
        }
    }
    Sector metadata = image.sector(288);
    EXPECT_EQ(metadata[27], 250);
    EXPECT_EQ(le64(&metadata[56]), 131072u);
    EXPECT_EQ(le32(&metadata[216]), 131072u);
    EXPECT_EQ(le32(&metadata[220]), 32u);
    EXPECT_EQ(le32(&image.sector(34)[192]), 96u);

    Sector rootDir = image.sector(323);
    EXPECT_EQ(le16(&rootDir[10]), 24);
    EXPECT_EQ(le32(&rootDir[24]), 2u);
    EXPECT_TRUE(std::all_of(rootDir.begin() + 40, rootDir.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(le64(&image.sector(322)[56]), 40u);
}

TEST(NxUdfImage, DiscRootFillsMetadataBlocks0To40)
{
    TempFolder temp;
    MakeDiscRoot(temp / "disc");
    progressCalls.clear();
    ASSERT_EQ(nx_udfc((temp / "disc").c_str(), "BDMV", (temp / "disc.iso").c_str(), RecordProgress), 0);
    ImageReader image((temp / "disc.iso").string());

    for (uint32_t block = 0; block < 64; ++block) {
        Sector s = image.entry(block);
        if (block <= 40) {
            EXPECT_TRUE(TagVerifies(s.data())) << "metadata block " << block;
            EXPECT_EQ(le32(&s[12]), block);
        } else {
            EXPECT_TRUE(IsZero(s)) << "metadata block " << block;
        }
    }
    Sector lvid = image.sector(64);
    EXPECT_EQ(le64(&lvid[40]), 39u);
    EXPECT_EQ(le32(&lvid[128]), 9u);
    EXPECT_EQ(le32(&lvid[132]), 15u);

    TreeCheck check;
    CheckTree(image, 2, temp / "disc", check);
    EXPECT_EQ(check.files, 9);
    EXPECT_EQ(check.folders, 14);
    EXPECT_EQ(*check.uniqueIds.begin(), 16u);
    EXPECT_EQ(*check.uniqueIds.rbegin(), 38u);
    // The root's children are numbered depth first: CERTIFICATE follows all of BDMV.
    auto root = image.directory(2);
    EXPECT_EQ(Utf8Name(root[2].name), "CERTIFICATE");
    EXPECT_EQ(root[2].uniqueId, 37u);

    // Data follows the metadata file, files of a folder before its sub-folders.
    uint64_t dataBlocks = 8 + 10; // eight small files, and the stream of 18532 bytes
    EXPECT_EQ(le32(&image.sector(34)[192]), 96u + dataBlocks);
    ExpectDescriptor(image, 384 + dataBlocks, 2, static_cast<uint32_t>(384 + dataBlocks));
    EXPECT_EQ(image.size() % 65536, 0u);

    ASSERT_EQ(progressCalls.size(), dataBlocks);
    EXPECT_EQ(progressCalls.front(), 0);
    EXPECT_EQ(progressCalls.back(), static_cast<int>(17 * 100 / 18));
    EXPECT_TRUE(std::is_sorted(progressCalls.begin(), progressCalls.end()));
}

TEST(NxUdfImage, TrailingSlashIsIgnored)
{
    TempFolder temp;
    MakeDiscRoot(temp / "disc");
    ASSERT_EQ(build(temp / "disc", temp / "a.iso"), 0);
    ASSERT_EQ(nx_udfc(((temp / "disc").string() + "/").c_str(), "BDMV", (temp / "b.iso").c_str(), nullptr), 0);
    ImageReader a((temp / "a.iso").string()), b((temp / "b.iso").string());
    EXPECT_EQ(a.size(), b.size());
    for (uint32_t block = 3; block < 41; ++block) { // directories hold no recording time
        if (le16(a.entry(block).data()) == 257) {
            EXPECT_EQ(a.entry(block), b.entry(block));
        }
    }
    for (uint64_t sector = 384; sector < a.size() / 2048; ++sector)
        EXPECT_EQ(a.sector(sector), b.sector(sector));
}

TEST(NxUdfImage, LargeTreesGrowTheMetadataAndDirectories)
{
    TempFolder temp;
    fs::path src = temp / "src";
    for (int i = 0; i < 300; ++i)
        WriteFile(src / "many" / ("clip_" + std::to_string(1000 + i) + "_with_a_long_name.m2ts"),
                  pattern(static_cast<std::size_t>(i % 7) * 1000, i));
    WriteFile(src / "last.txt", "after the metadata");
    ASSERT_EQ(build(src, temp / "big.iso"), 0);
    ImageReader image((temp / "big.iso").string());

    // 3 + root directory + 2 entries + 11 directory blocks of "many" + 300 entries = 317 blocks: 320.
    uint32_t metadataBlocks = 320;
    Sector metadata = image.sector(288);
    EXPECT_EQ(le64(&metadata[56]), metadataBlocks * 2048u);
    EXPECT_EQ(le64(&metadata[72]), metadataBlocks);
    EXPECT_EQ(le32(&image.sector(64)[92]), metadataBlocks);
    Sector last = image.entry(4);
    EXPECT_EQ(le32(&last[216 + 132 + 4]), 32 + metadataBlocks); // the first file is the first data
    Sector many = image.entry(5);
    EXPECT_EQ(le64(&many[72]), 11u);
    EXPECT_GT(le64(&many[56]), 20480u);

    TreeCheck check;
    CheckTree(image, 2, src, check);
    EXPECT_EQ(check.files, 301);
    EXPECT_EQ(le64(&image.sector(64)[40]), 16u + 302);
}

TEST(NxUdfImage, TimesCarryTheirZone)
{
    TempFolder temp;
    WriteFile(temp / "src/winter.txt", "w");
    WriteFile(temp / "src/summer.txt", "s");
    auto at = [](int64_t seconds) { return timespec{static_cast<time_t>(seconds), 0}; };
    timespec winter[2] = {at(1768478400), at(1768478400)}; // 2026-01-15 12:00:00 UTC
    timespec summer[2] = {at(1782907200), at(1782907200)}; // 2026-07-01 12:00:00 UTC
    ASSERT_EQ(utimensat(AT_FDCWD, (temp / "src/winter.txt").c_str(), winter, 0), 0);
    ASSERT_EQ(utimensat(AT_FDCWD, (temp / "src/summer.txt").c_str(), summer, 0), 0);

    std::string oldTz = getenv("TZ") ? getenv("TZ") : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    int result = build(temp / "src", temp / "t.iso");
    oldTz.empty() ? unsetenv("TZ") : setenv("TZ", oldTz.c_str(), 1);
    tzset();
    ASSERT_EQ(result, 0);

    ImageReader image((temp / "t.iso").string());
    Sector summerEntry = image.entry(4), winterEntry = image.entry(5); // sorted by name
    EXPECT_EQ(summerEntry[98], 14);                                    // hour
    EXPECT_EQ(le16(&summerEntry[92]), 0x1000 + 120);
    EXPECT_EQ(winterEntry[98], 13);
    EXPECT_EQ(le16(&winterEntry[92]), 0x1000 + 60);
    EXPECT_EQ(le16(&winterEntry[80]), 0x1000); // access field: the recording time in UTC
    EXPECT_EQ(le16(&image.sector(32)[376]), 0x1000);
}

TEST(NxUdfImage, WideNamesAreStoredInSixteenBits)
{
    TempFolder temp;
    WriteFile(temp / "src/caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.txt", "nihon");
    ASSERT_EQ(build(temp / "src", temp / "w.iso"), 0);
    ImageReader image((temp / "w.iso").string());
    auto root = image.directory(2);
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[1].name, (std::vector<uint8_t>{8, 'c', 'a', 'f', 0xE9}));
    auto inner = image.directory(root[1].entryBlock);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[1].name[0], 16);
    TreeCheck check;
    CheckTree(image, 2, temp / "src", check);
}
