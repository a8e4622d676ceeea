#include "nx_udf/udf_descriptors.h"

#include "nx_udf/udf_crc.h"
#include "nx_udf/udf_layout.h"
#include "nx_udf/udf_text.h"
#include "platform/byte_writer.h"

namespace nx_udf {

namespace {

using Writer = platform::LittleEndianWriter;

constexpr uint32_t kPieceLength = 0x3FFFF800; // the largest whole-block extent below 2^30
constexpr uint8_t kUdf250[] = {0x50, 0x02};
constexpr uint8_t kDomainSuffix[] = {0x50, 0x02, 0x03}; // revision, hard and soft write-protect
constexpr uint8_t kNoSuffix[] = {0};
// Neither exists; both point at what they would duplicate, which readers accept in their place.
constexpr uint32_t kReserveSequenceLocation = 32;
constexpr uint32_t kMetadataMirrorLocation = 0;

void Tag(Writer& w, uint16_t identifier, uint16_t crcLength, uint32_t location)
{
    w.u16(identifier).u16(3).u8(0).u8(0).u16(1).u16(0).u16(crcLength).u32(location);
}

// The CRC covers the CRC length after the tag; the checksum is taken with the CRC in place.
void Seal(std::vector<uint8_t>& bytes, std::size_t at)
{
    uint16_t crcLength = static_cast<uint16_t>(bytes[at + 10] | bytes[at + 11] << 8);
    uint16_t crc = Crc16(&bytes[at + 16], crcLength);
    bytes[at + 8] = static_cast<uint8_t>(crc);
    bytes[at + 9] = static_cast<uint8_t>(crc >> 8);
    uint8_t sum = 0;
    for (std::size_t i = 0; i < 16; ++i)
        if (i != 4)
            sum = static_cast<uint8_t>(sum + bytes[at + i]);
    bytes[at + 4] = sum;
}

Block SealedBlock(Writer& w)
{
    w.zeros(kBlockSize - w.size());
    Block block = w.take();
    Seal(block, 0);
    return block;
}

template <std::size_t N>
void Entity(Writer& w, std::string_view identifier, const uint8_t (&suffix)[N])
{
    w.u8(0).text(identifier, 23).bytes(suffix, N).zeros(8 - N);
}

void CharacterSet(Writer& w)
{
    w.u8(0).text("OSTA Compressed Unicode", 63);
}

// A fixed field of n bytes whose last byte holds the length used.
void IdentifierString(Writer& w, const std::u32string& text, std::size_t n)
{
    if (text.empty()) {
        w.zeros(n);
        return;
    }
    auto chars = CompressedUnicode(text, n - 1);
    w.bytes(chars).zeros(n - 1 - chars.size()).u8(static_cast<uint32_t>(chars.size()));
}

void Timestamp(Writer& w, const platform::CalendarTime& t)
{
    constexpr uint32_t kLocalTime = 1u << 12;
    w.u16(kLocalTime | (static_cast<uint32_t>(t.offsetMinutes) & 0x0FFF))
        .u16(static_cast<uint32_t>(t.year))
        .u8(t.month)
        .u8(t.day)
        .u8(t.hour)
        .u8(t.minute)
        .u8(t.second)
        .zeros(3);
}

void LongAllocation(Writer& w, uint32_t length, uint32_t block, uint16_t partition)
{
    w.u32(length).u32(block).u16(partition).zeros(6);
}

// Implementation-use attribute header; its checksum is the 16-bit sum of its 48 bytes.
void ImplementationAttribute(Writer& w, uint32_t length, uint32_t useLength, std::string_view identifier)
{
    std::size_t start = w.size();
    w.u32(2048).u8(1).zeros(3).u32(length).u32(useLength);
    Entity(w, identifier, kUdf250);
    uint32_t sum = 0;
    for (std::size_t i = start; i < w.size(); ++i)
        sum += w.data()[i];
    w.u16(sum & 0xFFFF);
}

} // namespace

Block VolumeStructureDescriptor(std::string_view identifier)
{
    Writer w;
    w.u8(0).text(identifier, 5).u8(1).zeros(kBlockSize - 7);
    return w.take();
}

Block PrimaryVolumeDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 1, 496, 32);
    w.u32(0).u32(0);
    IdentifierString(w, volume.label, 32);
    w.u16(1).u16(1).u16(2).u16(2).u32(1).u32(1);
    w.u8(8).text("KORBANE-20090623", 126).u8(17);
    CharacterSet(w);
    CharacterSet(w);
    w.zeros(8).zeros(8);
    Entity(w, "KORBANE v2.0.0.0", kNoSuffix);
    Timestamp(w, volume.recorded);
    Entity(w, "*KORBANE", kNoSuffix);
    w.zeros(64).u32(0).u16(0);
    return SealedBlock(w);
}

Block ImplementationUseVolumeDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 4, 496, 33);
    w.u32(1);
    Entity(w, "*UDF LV Info", kUdf250);
    CharacterSet(w);
    IdentifierString(w, volume.label, 128);
    w.zeros(108);
    Entity(w, "*KORBANE", kNoSuffix);
    return SealedBlock(w);
}

Block PartitionDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 5, 496, 34);
    w.u32(2).u16(1).u16(0);
    Entity(w, "+NSR03", kNoSuffix);
    w.zeros(128).u32(1).u32(kPartitionStart).u32(volume.partitionLength);
    Entity(w, "*KORBANE", kNoSuffix);
    return SealedBlock(w);
}

Block LogicalVolumeDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 6, 494, 35);
    w.u32(3);
    CharacterSet(w);
    IdentifierString(w, volume.label, 128);
    w.u32(2048);
    Entity(w, "*OSTA UDF Compliant", kDomainSuffix);
    LongAllocation(w, 4096, 0, 1); // the file set
    w.u32(70).u32(2);
    Entity(w, "*KORBANE", kNoSuffix);
    w.zeros(128).u32(4096).u32(64);
    w.u8(1).u8(6).u16(1).u16(0); // the physical partition
    w.u8(2).u8(64).u16(0);       // the metadata partition on it
    Entity(w, "*UDF Metadata Partition", kUdf250);
    w.u16(1)
        .u16(0)
        .u32(0)
        .u32(kMetadataMirrorLocation)
        .u32(0xFFFFFFFF)
        .u32(kAllocationUnit)
        .u16(kAllocationUnit)
        .u8(1)
        .zeros(5);
    return SealedBlock(w);
}

Block UnallocatedSpaceDescriptor()
{
    Writer w;
    Tag(w, 7, 8, 36);
    w.u32(4).u32(0);
    return SealedBlock(w);
}

Block TerminatingDescriptor(uint32_t location)
{
    Writer w;
    Tag(w, 8, 496, location);
    return SealedBlock(w);
}

Block LogicalVolumeIntegrityDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 9, 126, 64);
    Timestamp(w, volume.recorded);
    w.u32(1).zeros(8).u64(volume.nextUniqueId).zeros(24);
    w.u32(2).u32(46).u32(0).u32(0).u32(volume.partitionLength).u32(volume.metadataBlocks);
    Entity(w, "*KORBANE", kNoSuffix);
    w.u32(volume.files).u32(volume.folders + 1).u16(0x0250).u16(0x0250).u16(0x0250);
    return SealedBlock(w);
}

Block AnchorVolumeDescriptorPointer(uint32_t location)
{
    Writer w;
    Tag(w, 2, 496, location);
    w.u32(32768).u32(32).u32(32768).u32(kReserveSequenceLocation);
    return SealedBlock(w);
}

Block FileSetDescriptor(const VolumeFacts& volume)
{
    Writer w;
    Tag(w, 256, 496, 0);
    Timestamp(w, volume.recorded);
    w.u16(3).u16(3).u32(1).u32(1).u32(0).u32(0);
    CharacterSet(w);
    IdentifierString(w, volume.label, 128);
    CharacterSet(w);
    IdentifierString(w, volume.label, 32);
    w.zeros(32).zeros(32);
    LongAllocation(w, 2048, 2, 1); // the root's entry
    Entity(w, "*OSTA UDF Compliant", kDomainSuffix);
    return SealedBlock(w);
}

Block ExtendedFileEntry(const FileEntryFacts& entry)
{
    bool metadata = entry.type == FileType::Metadata;
    uint32_t eaLength = metadata ? 0 : 132;
    auto adLength = static_cast<uint32_t>(entry.allocationDescriptors.size());
    uint16_t flags = metadata ? 0x0020 : entry.type == FileType::Folder ? 0x0230 : 0x0231;

    Writer w;
    Tag(w, 266, static_cast<uint16_t>(200 + eaLength + adLength), entry.location);
    w.u32(0).u16(4).u16(0).u16(1).u8(0).u8(static_cast<uint32_t>(entry.type)).zeros(6).u16(flags);
    w.u32(0xFFFFFFFF).u32(0xFFFFFFFF).u32(0x14A5).u16(entry.linkCount).u8(0).u8(0).u32(0);
    w.u64(entry.informationLength).u64(entry.informationLength).u64(entry.blocksRecorded);
    Timestamp(w, entry.access);
    Timestamp(w, entry.modification);
    Timestamp(w, entry.creation);
    Timestamp(w, entry.attribute);
    w.u32(1).u32(0).zeros(16).zeros(16);
    Entity(w, "*KORBANE", kNoSuffix);
    w.u64(entry.uniqueId).u32(eaLength).u32(adLength);
    if (!metadata) {
        Tag(w, 262, 8, entry.location);
        w.u32(24).u32(0xFFFFFFFF);
        ImplementationAttribute(w, 52, 4, "*UDF FreeEASpace");
        w.u16(0);
        ImplementationAttribute(w, 56, 8, "*UDF DVD CGMS Info");
        w.zeros(6);
    }
    w.bytes(entry.allocationDescriptors);
    if (!metadata)
        Seal(w.data(), 216);
    return SealedBlock(w);
}

std::vector<uint8_t> ShortAllocation(uint32_t length, uint32_t position)
{
    Writer w;
    w.u32(length).u32(position);
    return w.take();
}

std::vector<uint8_t> FileAllocations(uint64_t size, uint32_t location)
{
    Writer w;
    uint64_t pieces = size / kPieceLength + 1;
    for (uint64_t i = 0; i < pieces; ++i) {
        uint64_t left = size - i * kPieceLength;
        LongAllocation(w, static_cast<uint32_t>(left < kPieceLength ? left : kPieceLength),
                       static_cast<uint32_t>(location + i * (kPieceLength / kBlockSize)), 0);
    }
    return w.take();
}

std::vector<uint8_t> FileIdentifierDescriptor(FileCharacteristics characteristics,
                                              const std::vector<uint8_t>& identifier, uint32_t entryBlock,
                                              uint64_t uniqueId, uint32_t location)
{
    auto length = static_cast<uint32_t>((38 + identifier.size() + 3) & ~std::size_t(3));
    Writer w;
    Tag(w, 257, static_cast<uint16_t>(length - 16), location);
    w.u16(1).u8(static_cast<uint32_t>(characteristics)).u8(static_cast<uint32_t>(identifier.size()));
    w.u32(2048).u32(entryBlock).u16(1).u16(0).u32(static_cast<uint32_t>(uniqueId));
    w.u16(0).bytes(identifier);
    w.zeros(length - w.size());
    std::vector<uint8_t> bytes = w.take();
    Seal(bytes, 0);
    return bytes;
}

} // namespace nx_udf
