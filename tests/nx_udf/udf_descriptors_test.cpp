#include <gtest/gtest.h>

#include <cstring>

#include "nx_udf/udf_crc.h"
#include "nx_udf/udf_descriptors.h"
#include "nx_udf/udf_text.h"
#include "udf_image_reader.h"
#include "udf_test_tree.h"

using namespace nx_udf;
using udf_test::le16;
using udf_test::le32;
using udf_test::TagVerifies;

namespace {

VolumeFacts volume(const char* label)
{
    VolumeFacts facts;
    facts.label = *DecodeUtf8(label);
    facts.recorded = {2026, 12, 8, 14, 30, 59, 0};
    facts.partitionLength = 96;
    facts.metadataBlocks = 64;
    facts.nextUniqueId = 39;
    facts.files = 9;
    facts.folders = 14;
    return facts;
}

std::vector<uint8_t> bytes(const Block& b, std::size_t at, std::size_t n)
{
    return {b.begin() + at, b.begin() + at + n};
}

} // namespace

TEST(NxUdfDescriptors, CrcIsTheXmodemVariant)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(check), 9), 0x31C3);
    auto block = udf_test::pattern(2048, 7);
    auto* p = reinterpret_cast<const uint8_t*>(block.data());
    EXPECT_EQ(Crc16(p, 2048), udf_test::ReferenceCrc(p, 2048));
}

TEST(NxUdfDescriptors, LabelBdmvIdentifiers)
{
    VolumeFacts facts = volume("BDMV");
    std::vector<uint8_t> shortId(32, 0), longId(128, 0);
    for (auto* id : {&shortId, &longId}) {
        std::memcpy(id->data(),
                    "\x08"
                    "BDMV",
                    5);
        id->back() = 5;
    }
    Block pvd = PrimaryVolumeDescriptor(facts);
    EXPECT_EQ(bytes(pvd, 24, 32), shortId);
    EXPECT_EQ(bytes(ImplementationUseVolumeDescriptor(facts), 116, 128), longId);
    EXPECT_EQ(bytes(LogicalVolumeDescriptor(facts), 84, 128), longId);
    Block fsd = FileSetDescriptor(facts);
    EXPECT_EQ(bytes(fsd, 112, 128), longId);
    EXPECT_EQ(bytes(fsd, 304, 32), shortId);

    EXPECT_EQ(pvd[72], 8);
    EXPECT_EQ(std::string(&pvd[73], &pvd[89]), "KORBANE-20090623");
    EXPECT_EQ(pvd[199], 17);
    EXPECT_EQ(std::string(&pvd[201], &pvd[224]), "OSTA Compressed Unicode");
    // Recording time in UTC: type 1, offset 0.
    EXPECT_EQ(bytes(pvd, 376, 12), (std::vector<uint8_t>{0x00, 0x10, 0xEA, 0x07, 12, 8, 14, 30, 59, 0, 0, 0}));
}

TEST(NxUdfDescriptors, LongAndWideLabelsAreCut)
{
    VolumeFacts facts = volume("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
    Block pvd = PrimaryVolumeDescriptor(facts);
    EXPECT_EQ(std::string(&pvd[25], &pvd[55]), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(pvd[55], 31);
    Block fsd = FileSetDescriptor(facts);
    EXPECT_EQ(std::string(&fsd[113], &fsd[153]), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
    EXPECT_EQ(fsd[239], 41);
    EXPECT_EQ(bytes(fsd, 336, 64), std::vector<uint8_t>(64, 0)); // copyright and abstract

    // One character beyond U+00FF switches the whole label to 16 bits, cut at 15 characters.
    Block wide = PrimaryVolumeDescriptor(volume("Ωmega-Disc-Label-2026"));
    EXPECT_EQ(wide[24], 16);
    EXPECT_EQ(wide[25], 0x03);
    EXPECT_EQ(wide[26], 0xA9);
    EXPECT_EQ(wide[27], 0);
    EXPECT_EQ(wide[28], 'm');
    EXPECT_EQ(wide[55], 31);
}

TEST(NxUdfDescriptors, VolumeDescriptorsHoldTheirNumbers)
{
    VolumeFacts facts = volume("BDMV");
    Block lvd = LogicalVolumeDescriptor(facts);
    EXPECT_EQ(le16(&lvd[10]), 494);
    EXPECT_EQ(le32(&lvd[212]), 2048u);
    EXPECT_EQ(std::string(&lvd[217], &lvd[236]), "*OSTA UDF Compliant");
    EXPECT_EQ(bytes(lvd, 240, 3), (std::vector<uint8_t>{0x50, 0x02, 0x03}));
    EXPECT_EQ(le32(&lvd[248]), 4096u);
    EXPECT_EQ(le16(&lvd[256]), 1);
    EXPECT_EQ(le32(&lvd[264]), 70u);
    EXPECT_EQ(le32(&lvd[436]), 64u);
    EXPECT_EQ(bytes(lvd, 440, 6), (std::vector<uint8_t>{1, 6, 1, 0, 0, 0}));
    EXPECT_EQ(lvd[446], 2);
    EXPECT_EQ(std::string(&lvd[451], &lvd[474]), "*UDF Metadata Partition");
    EXPECT_EQ(le32(&lvd[494]), 0xFFFFFFFFu);
    EXPECT_EQ(le32(&lvd[498]), 32u);
    EXPECT_EQ(lvd[504], 1);

    Block lvid = LogicalVolumeIntegrityDescriptor(facts);
    EXPECT_EQ(le16(&lvid[10]), 126);
    EXPECT_EQ(udf_test::le64(&lvid[40]), 39u);
    EXPECT_EQ(le32(&lvid[88]), 96u);
    EXPECT_EQ(le32(&lvid[92]), 64u);
    EXPECT_EQ(le32(&lvid[128]), 9u);
    EXPECT_EQ(le32(&lvid[132]), 15u);
    EXPECT_EQ(le16(&lvid[140]), 0x0250);

    Block pd = PartitionDescriptor(facts);
    EXPECT_EQ(le32(&pd[188]), 288u);
    EXPECT_EQ(le32(&pd[192]), 96u);
    Block anchor = AnchorVolumeDescriptorPointer(384);
    EXPECT_EQ(le32(&anchor[12]), 384u);
    EXPECT_EQ(le32(&anchor[16]), 32768u);
    EXPECT_EQ(le32(&anchor[20]), 32u);
    EXPECT_EQ(le32(&anchor[24]), 32768u);

    for (const Block& b :
         {PrimaryVolumeDescriptor(facts), ImplementationUseVolumeDescriptor(facts), pd, lvd,
          UnallocatedSpaceDescriptor(), TerminatingDescriptor(37), lvid, anchor, FileSetDescriptor(facts)}) {
        EXPECT_EQ(b.size(), 2048u);
        EXPECT_TRUE(TagVerifies(b.data())) << "tag " << le16(b.data());
        EXPECT_EQ(le16(&b[2]), 3);
        EXPECT_EQ(le16(&b[6]), 1);
    }
}

TEST(NxUdfDescriptors, FileIdentifierOfATenCharacterName)
{
    auto fid = FileIdentifierDescriptor(FileCharacteristics::File, *FileIdentifier("00000.m2ts"), 21, 33, 9);
    ASSERT_EQ(fid.size(), 52u);
    EXPECT_EQ(le16(&fid[10]), 36);
    EXPECT_EQ(le32(&fid[12]), 9u);
    EXPECT_EQ(fid[19], 11);
    EXPECT_EQ(fid[38], 8);
    EXPECT_EQ(std::string(&fid[39], &fid[49]), "00000.m2ts");
    EXPECT_EQ(bytes(fid, 49, 3), std::vector<uint8_t>(3, 0));
    EXPECT_EQ(le32(&fid[24]), 21u);
    EXPECT_EQ(le16(&fid[28]), 1);
    EXPECT_EQ(le32(&fid[32]), 33u);
    EXPECT_TRUE(TagVerifies(fid.data()));

    auto parent = FileIdentifierDescriptor(FileCharacteristics::Parent, {}, 2, 0, 3);
    ASSERT_EQ(parent.size(), 40u);
    EXPECT_EQ(le16(&parent[10]), 24);
    EXPECT_EQ(parent[18], 0x0A);
    EXPECT_TRUE(TagVerifies(parent.data()));
}

TEST(NxUdfDescriptors, ThreeGigabyteFileHasThreePieces)
{
    FileEntryFacts entry;
    entry.location = 30;
    entry.linkCount = 1;
    entry.informationLength = entry.blocksRecorded = 3000000000;
    entry.blocksRecorded = (3000000000 + 2047) / 2048;
    entry.allocationDescriptors = FileAllocations(3000000000, 96);
    Block efe = ExtendedFileEntry(entry);
    EXPECT_EQ(le32(&efe[212]), 48u);
    EXPECT_EQ(le16(&efe[10]), 380);
    EXPECT_EQ(le16(&efe[34]), 0x0231);
    const uint8_t* ad = &efe[348];
    uint32_t lengths[] = {1073739776, 1073739776, 852520448};
    uint32_t blocks[] = {96, 96 + 524287, 96 + 1048574};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(le32(ad + 16 * i), lengths[i]);
        EXPECT_EQ(le32(ad + 16 * i + 4), blocks[i]);
        EXPECT_EQ(le16(ad + 16 * i + 8), 0);
    }
    EXPECT_TRUE(TagVerifies(efe.data()));
    EXPECT_TRUE(TagVerifies(&efe[216]));
    EXPECT_EQ(le16(&efe[288]), 0x05B0);
    EXPECT_EQ(le16(&efe[340]), 0x0598);

    // A whole number of pieces ends with an empty one; an empty file has one at its place.
    auto exact = FileAllocations(1073739776, 200);
    ASSERT_EQ(exact.size(), 32u);
    EXPECT_EQ(le32(&exact[16]), 0u);
    EXPECT_EQ(le32(&exact[20]), 200u + 524287);
    auto empty = FileAllocations(0, 300);
    ASSERT_EQ(empty.size(), 16u);
    EXPECT_EQ(le32(&empty[0]), 0u);
    EXPECT_EQ(le32(&empty[4]), 300u);
}

TEST(NxUdfDescriptors, EntryTimesCarryTheirZone)
{
    FileEntryFacts entry;
    entry.type = FileType::Folder;
    entry.access = {2026, 1, 2, 3, 4, 5, 0};
    entry.modification = {2026, 7, 1, 12, 0, 0, 120};
    entry.creation = {1999, 12, 31, 23, 59, 59, -300};
    entry.allocationDescriptors = ShortAllocation(40, 3);
    Block efe = ExtendedFileEntry(entry);
    EXPECT_EQ(le16(&efe[80]), 0x1000);
    EXPECT_EQ(le16(&efe[92]), 0x1078);
    EXPECT_EQ(le16(&efe[104]), 0x1ED4); // -300 in 12 bits
    EXPECT_EQ(le16(&efe[106]), 1999);
    EXPECT_EQ(le16(&efe[10]), 340);
    EXPECT_EQ(le16(&efe[34]), 0x0230);
}
