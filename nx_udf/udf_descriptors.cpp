#include "nx_udf/udf_descriptors.h"

#include "nx_udf/udf_crc.h"
#include "nx_udf/udf_layout.h"
#include "nx_udf/udf_text.h"
#include "platform/byte_writer.h"

namespace nx_udf {

namespace {

using Writer = platform::LittleEndianWriter;

constexpr uint32_t kPieceLength = 0x3FFFF800; // the largest whole-block extent below 2^30
constexpr uint8_t kUdf250[] = { 0x50, 0x02 };
constexpr uint8_t kDomainSuffix[] = { 0x50, 0x02, 0x03 }; // revision, hard and soft write-protect
constexpr uint8_t kNoSuffix[] = { 0 };
// Neither exists; both point at what they would duplicate, which readers accept in their place.
constexpr uint32_t kReserveSequenceLocation = 32;
constexpr uint32_t kMetadataMirrorLocation = 0;

void tag(Writer& w, uint16_t identifier, uint16_t crc_length, uint32_t location)
{
    w.u16(identifier).u16(3).u8(0).u8(0).u16(1).u16(0).u16(crc_length).u32(location);
}

// The CRC covers the CRC length after the tag; the checksum is taken with the CRC in place.
void seal(std::vector<uint8_t>& bytes, std::size_t at)
{
    uint16_t crc_length = static_cast<uint16_t>(bytes[at + 10] | bytes[at + 11] << 8);
    uint16_t crc = crc16(&bytes[at + 16], crc_length);
    bytes[at + 8] = static_cast<uint8_t>(crc);
    bytes[at + 9] = static_cast<uint8_t>(crc >> 8);
    uint8_t sum = 0;
    for (std::size_t i = 0; i < 16; ++i)
        if (i != 4)
            sum = static_cast<uint8_t>(sum + bytes[at + i]);
    bytes[at + 4] = sum;
}

Block sealed_block(Writer& w)
{
    w.zeros(kBlockSize - w.size());
    Block block = w.take();
    seal(block, 0);
    return block;
}

template <std::size_t N>
void entity(Writer& w, std::string_view identifier, const uint8_t (&suffix)[N])
{
    w.u8(0).text(identifier, 23).bytes(suffix, N).zeros(8 - N);
}

void character_set(Writer& w) { w.u8(0).text("OSTA Compressed Unicode", 63); }

// A fixed field of n bytes whose last byte holds the length used.
void identifier_string(Writer& w, const std::u32string& text, std::size_t n)
{
    if (text.empty()) {
        w.zeros(n);
        return;
    }
    auto chars = compressed_unicode(text, n - 1);
    w.bytes(chars).zeros(n - 1 - chars.size()).u8(static_cast<uint32_t>(chars.size()));
}

void timestamp(Writer& w, const platform::CalendarTime& t)
{
    constexpr uint32_t kLocalTime = 1u << 12;
    w.u16(kLocalTime | (static_cast<uint32_t>(t.offsetMinutes) & 0x0FFF))
        .u16(static_cast<uint32_t>(t.year)).u8(t.month).u8(t.day).u8(t.hour).u8(t.minute).u8(t.second)
        .zeros(3);
}

void long_allocation(Writer& w, uint32_t length, uint32_t block, uint16_t partition)
{
    w.u32(length).u32(block).u16(partition).zeros(6);
}

// Implementation-use attribute header; its checksum is the 16-bit sum of its 48 bytes.
void implementation_attribute(Writer& w, uint32_t length, uint32_t use_length, std::string_view identifier)
{
    std::size_t start = w.size();
    w.u32(2048).u8(1).zeros(3).u32(length).u32(use_length);
    entity(w, identifier, kUdf250);
    uint32_t sum = 0;
    for (std::size_t i = start; i < w.size(); ++i)
        sum += w.data()[i];
    w.u16(sum & 0xFFFF);
}

} // namespace

Block volume_structure_descriptor(std::string_view identifier)
{
    Writer w;
    w.u8(0).text(identifier, 5).u8(1).zeros(kBlockSize - 7);
    return w.take();
}

Block primary_volume_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 1, 496, 32);
    w.u32(0).u32(0);
    identifier_string(w, volume.label, 32);
    w.u16(1).u16(1).u16(2).u16(2).u32(1).u32(1);
    w.u8(8).text("KORBANE-20090623", 126).u8(17);
    character_set(w);
    character_set(w);
    w.zeros(8).zeros(8);
    entity(w, "KORBANE v2.0.0.0", kNoSuffix);
    timestamp(w, volume.recorded);
    entity(w, "*KORBANE", kNoSuffix);
    w.zeros(64).u32(0).u16(0);
    return sealed_block(w);
}

Block implementation_use_volume_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 4, 496, 33);
    w.u32(1);
    entity(w, "*UDF LV Info", kUdf250);
    character_set(w);
    identifier_string(w, volume.label, 128);
    w.zeros(108);
    entity(w, "*KORBANE", kNoSuffix);
    return sealed_block(w);
}

Block partition_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 5, 496, 34);
    w.u32(2).u16(1).u16(0);
    entity(w, "+NSR03", kNoSuffix);
    w.zeros(128).u32(1).u32(kPartitionStart).u32(volume.partition_length);
    entity(w, "*KORBANE", kNoSuffix);
    return sealed_block(w);
}

Block logical_volume_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 6, 494, 35);
    w.u32(3);
    character_set(w);
    identifier_string(w, volume.label, 128);
    w.u32(2048);
    entity(w, "*OSTA UDF Compliant", kDomainSuffix);
    long_allocation(w, 4096, 0, 1); // the file set
    w.u32(70).u32(2);
    entity(w, "*KORBANE", kNoSuffix);
    w.zeros(128).u32(4096).u32(64);
    w.u8(1).u8(6).u16(1).u16(0); // the physical partition
    w.u8(2).u8(64).u16(0);       // the metadata partition on it
    entity(w, "*UDF Metadata Partition", kUdf250);
    w.u16(1).u16(0).u32(0).u32(kMetadataMirrorLocation).u32(0xFFFFFFFF).u32(kAllocationUnit).u16(kAllocationUnit)
        .u8(1).zeros(5);
    return sealed_block(w);
}

Block unallocated_space_descriptor()
{
    Writer w;
    tag(w, 7, 8, 36);
    w.u32(4).u32(0);
    return sealed_block(w);
}

Block terminating_descriptor(uint32_t location)
{
    Writer w;
    tag(w, 8, 496, location);
    return sealed_block(w);
}

Block logical_volume_integrity_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 9, 126, 64);
    timestamp(w, volume.recorded);
    w.u32(1).zeros(8).u64(volume.next_unique_id).zeros(24);
    w.u32(2).u32(46).u32(0).u32(0).u32(volume.partition_length).u32(volume.metadata_blocks);
    entity(w, "*KORBANE", kNoSuffix);
    w.u32(volume.files).u32(volume.folders + 1).u16(0x0250).u16(0x0250).u16(0x0250);
    return sealed_block(w);
}

Block anchor_volume_descriptor_pointer(uint32_t location)
{
    Writer w;
    tag(w, 2, 496, location);
    w.u32(32768).u32(32).u32(32768).u32(kReserveSequenceLocation);
    return sealed_block(w);
}

Block file_set_descriptor(const VolumeFacts& volume)
{
    Writer w;
    tag(w, 256, 496, 0);
    timestamp(w, volume.recorded);
    w.u16(3).u16(3).u32(1).u32(1).u32(0).u32(0);
    character_set(w);
    identifier_string(w, volume.label, 128);
    character_set(w);
    identifier_string(w, volume.label, 32);
    w.zeros(32).zeros(32);
    long_allocation(w, 2048, 2, 1); // the root's entry
    entity(w, "*OSTA UDF Compliant", kDomainSuffix);
    return sealed_block(w);
}

Block extended_file_entry(const FileEntryFacts& entry)
{
    bool metadata = entry.type == FileType::Metadata;
    uint32_t ea_length = metadata ? 0 : 132;
    auto ad_length = static_cast<uint32_t>(entry.allocation_descriptors.size());
    uint16_t flags = metadata ? 0x0020 : entry.type == FileType::Folder ? 0x0230 : 0x0231;

    Writer w;
    tag(w, 266, static_cast<uint16_t>(200 + ea_length + ad_length), entry.location);
    w.u32(0).u16(4).u16(0).u16(1).u8(0).u8(static_cast<uint32_t>(entry.type)).zeros(6).u16(flags);
    w.u32(0xFFFFFFFF).u32(0xFFFFFFFF).u32(0x14A5).u16(entry.link_count).u8(0).u8(0).u32(0);
    w.u64(entry.information_length).u64(entry.information_length).u64(entry.blocks_recorded);
    timestamp(w, entry.access);
    timestamp(w, entry.modification);
    timestamp(w, entry.creation);
    timestamp(w, entry.attribute);
    w.u32(1).u32(0).zeros(16).zeros(16);
    entity(w, "*KORBANE", kNoSuffix);
    w.u64(entry.unique_id).u32(ea_length).u32(ad_length);
    if (!metadata) {
        tag(w, 262, 8, entry.location);
        w.u32(24).u32(0xFFFFFFFF);
        implementation_attribute(w, 52, 4, "*UDF FreeEASpace");
        w.u16(0);
        implementation_attribute(w, 56, 8, "*UDF DVD CGMS Info");
        w.zeros(6);
    }
    w.bytes(entry.allocation_descriptors);
    if (!metadata)
        seal(w.data(), 216);
    return sealed_block(w);
}

std::vector<uint8_t> short_allocation(uint32_t length, uint32_t position)
{
    Writer w;
    w.u32(length).u32(position);
    return w.take();
}

std::vector<uint8_t> file_allocations(uint64_t size, uint32_t location)
{
    Writer w;
    uint64_t pieces = size / kPieceLength + 1;
    for (uint64_t i = 0; i < pieces; ++i) {
        uint64_t left = size - i * kPieceLength;
        long_allocation(w, static_cast<uint32_t>(left < kPieceLength ? left : kPieceLength),
                        static_cast<uint32_t>(location + i * (kPieceLength / kBlockSize)), 0);
    }
    return w.take();
}

std::vector<uint8_t> file_identifier_descriptor(FileCharacteristics characteristics,
                                                const std::vector<uint8_t>& identifier,
                                                uint32_t entry_block, uint64_t unique_id, uint32_t location)
{
    auto length = static_cast<uint32_t>((38 + identifier.size() + 3) & ~std::size_t(3));
    Writer w;
    tag(w, 257, static_cast<uint16_t>(length - 16), location);
    w.u16(1).u8(static_cast<uint32_t>(characteristics)).u8(static_cast<uint32_t>(identifier.size()));
    w.u32(2048).u32(entry_block).u16(1).u16(0).u32(static_cast<uint32_t>(unique_id));
    w.u16(0).bytes(identifier);
    w.zeros(length - w.size());
    std::vector<uint8_t> bytes = w.take();
    seal(bytes, 0);
    return bytes;
}

} // namespace nx_udf
