#include "nx_udf/udf_image.h"

#include <algorithm>
#include <filesystem>

namespace nx_udf {

namespace {

constexpr uint64_t kImageAlignment = 65536;

class ImageWriter {
public:
    explicit ImageWriter(platform::RawOutputFile& out) : out_(out) {}

    void WriteBlock(const Block& b) { out_.Write(b); }
    void ZeroBlocks(uint64_t count)
    {
        static const Block zeros(kBlockSize, 0);
        for (uint64_t i = 0; i < count; ++i)
            out_.Write(zeros);
    }
    // Zeros up to the given sector.
    void ZerosUntil(uint64_t sector) { ZeroBlocks(sector - out_.position() / kBlockSize); }
    uint32_t sector() const { return static_cast<uint32_t>(out_.position() / kBlockSize); }
    platform::RawOutputFile& out() { return out_; }

private:
    platform::RawOutputFile& out_;
};

FileEntryFacts EntryFacts(const UdfTreeEntry& entry, const platform::CalendarTime& recorded, bool isRoot)
{
    FileEntryFacts facts;
    facts.location = entry.entryBlock;
    facts.access = recorded;
    if (isRoot) {
        facts.modification = facts.creation = facts.attribute = recorded;
    } else {
        facts.modification = platform::LocalTime(entry.times.modification);
        facts.creation = platform::LocalTime(entry.times.creation);
        facts.attribute = platform::LocalTime(entry.times.access);
    }
    facts.uniqueId = entry.uniqueId;
    if (entry.isFolder) {
        facts.type = FileType::Folder;
        facts.linkCount = static_cast<uint16_t>(entry.childFolders() + 1);
        facts.informationLength = entry.directoryBytes();
        facts.blocksRecorded = entry.directoryBlocks();
        facts.allocationDescriptors = ShortAllocation(static_cast<uint32_t>(entry.directoryBytes()), entry.location);
    } else {
        facts.type = FileType::File;
        facts.linkCount = 1;
        facts.informationLength = entry.size;
        facts.blocksRecorded = entry.dataBlocks();
        facts.allocationDescriptors = FileAllocations(entry.size, entry.location);
    }
    return facts;
}

FileEntryFacts MetadataFileFacts(const UdfLayout& layout, const platform::CalendarTime& recorded)
{
    FileEntryFacts facts;
    facts.type = FileType::Metadata;
    facts.informationLength = uint64_t(layout.metadataBlocks) * kBlockSize;
    facts.blocksRecorded = layout.metadataBlocks;
    facts.access = facts.modification = facts.creation = facts.attribute = recorded;
    facts.allocationDescriptors = ShortAllocation(layout.metadataBlocks * uint32_t(kBlockSize), kMetadataStart);
    return facts;
}

// Descriptors are packed back to back, a descriptor may run over into the next block.
void WriteDirectory(ImageWriter& image, const UdfTreeEntry& folder)
{
    std::vector<uint8_t> bytes = FileIdentifierDescriptor(FileCharacteristics::Parent, {}, folder.parentEntryBlock,
                                                          folder.parentUniqueId, folder.location);
    for (const auto& child : folder.children) {
        auto block = static_cast<uint32_t>(folder.location + bytes.size() / kBlockSize);
        auto fid = FileIdentifierDescriptor(child->isFolder ? FileCharacteristics::Folder : FileCharacteristics::File,
                                            child->identifier, child->entryBlock, child->uniqueId, block);
        bytes.insert(bytes.end(), fid.begin(), fid.end());
    }
    bytes.resize(folder.directoryBlocks() * kBlockSize, 0);
    image.out().Write(bytes);
}

void WriteMetadata(ImageWriter& image, const UdfTreeEntry& root, const UdfLayout& layout, const VolumeFacts& volume)
{
    image.WriteBlock(FileSetDescriptor(volume));
    image.WriteBlock(TerminatingDescriptor(1));
    image.WriteBlock(ExtendedFileEntry(EntryFacts(root, volume.recorded, true)));
    for (const UdfTreeEntry* folder : layout.foldersBreadthFirst) {
        WriteDirectory(image, *folder);
        for (const auto& child : folder->children)
            image.WriteBlock(ExtendedFileEntry(EntryFacts(*child, volume.recorded, false)));
    }
    image.ZeroBlocks(layout.metadataBlocks - layout.metadataUsed);
}

class Progress {
public:
    Progress(UdfProgressCallback callback, uint64_t total) : callback_(callback), total_(total ? total : 1) {}
    // Reports once before each of the next `blocks` blocks; false once the caller asked to stop.
    bool BeforeBlocks(uint64_t blocks)
    {
        for (uint64_t i = 0; callback_ && i < blocks; ++i)
            if (callback_(static_cast<int32_t>((done_ + i) * 100 / total_), "UDF building...") != 0)
                return false;
        done_ += blocks;
        return true;
    }

private:
    UdfProgressCallback callback_;
    uint64_t total_;
    uint64_t done_ = 0;
};

// Copies the data of [offset, end) and leaves its holes as holes; returns where the file's bytes ended.
uint64_t CopyRange(const platform::RawInputFile& in, platform::RawOutputFile& out, uint64_t offset, uint64_t end)
{
    while (offset < end && out.ok()) {
        uint64_t data = in.NextData(offset, end);
        out.Skip(data - offset);
        offset = data;
        if (offset == end)
            break;
        uint64_t hole = in.NextHole(offset, end);
        uint64_t copied = out.Copy(in, offset, hole - offset);
        offset += copied;
        if (offset < hole) // the file has shrunk since the walk
            break;
    }
    return offset;
}

// Whether the file still has the size the layout reserved its blocks for.
bool HasSize(const UdfTreeEntry& file)
{
    std::error_code error;
    uint64_t size = std::filesystem::file_size(file.path, error);
    return !error && size == file.size;
}

// The file's bytes into the blocks reserved at the walk, holes kept; false when the file could not
// be read whole or changed its size, since the image would then hold something other than the file,
// and when the caller stopped the build.
bool WriteFileData(platform::RawOutputFile& out, const UdfTreeEntry& file, Progress& progress)
{
    constexpr uint64_t kStretch = 64u << 20;
    platform::RawInputFile in(file.path);
    if (!in.opened() || !HasSize(file))
        return false;
    uint64_t reserved = file.dataBlocks() * kBlockSize;
    for (uint64_t offset = 0; offset < reserved && out.ok();) {
        uint64_t stretchEnd = std::min(reserved, offset + kStretch);
        if (!progress.BeforeBlocks((stretchEnd - offset) / kBlockSize))
            return false;
        uint64_t dataEnd = std::min(stretchEnd, file.size);
        if (CopyRange(in, out, offset, dataEnd) < dataEnd)
            return false;
        out.Skip(stretchEnd - dataEnd);
        offset = stretchEnd;
    }
    return HasSize(file);
}

} // namespace

bool WriteImage(const UdfTreeEntry& root, const UdfLayout& layout, const VolumeFacts& volume,
                platform::RawOutputFile& out, UdfProgressCallback progress)
{
    ImageWriter image(out);
    image.ZeroBlocks(16);
    image.WriteBlock(VolumeStructureDescriptor("BEA01"));
    image.WriteBlock(VolumeStructureDescriptor("NSR03"));
    image.WriteBlock(VolumeStructureDescriptor("TEA01"));
    image.ZerosUntil(32);
    image.WriteBlock(PrimaryVolumeDescriptor(volume));
    image.WriteBlock(ImplementationUseVolumeDescriptor(volume));
    image.WriteBlock(PartitionDescriptor(volume));
    image.WriteBlock(LogicalVolumeDescriptor(volume));
    image.WriteBlock(UnallocatedSpaceDescriptor());
    image.WriteBlock(TerminatingDescriptor(37));
    image.ZerosUntil(64);
    image.WriteBlock(LogicalVolumeIntegrityDescriptor(volume));
    image.WriteBlock(TerminatingDescriptor(65));
    image.ZerosUntil(256);
    image.WriteBlock(AnchorVolumeDescriptorPointer(256));
    image.ZerosUntil(kPartitionStart);
    image.WriteBlock(ExtendedFileEntry(MetadataFileFacts(layout, volume.recorded)));
    image.ZerosUntil(kPartitionStart + kMetadataStart);
    WriteMetadata(image, root, layout, volume);

    Progress dataProgress(progress, layout.dataBlocks);
    for (const UdfTreeEntry* file : layout.filesInDataOrder)
        if (!WriteFileData(out, *file, dataProgress))
            return false;

    image.WriteBlock(AnchorVolumeDescriptorPointer(image.sector()));
    uint64_t end = (out.position() + kImageAlignment - 1) / kImageAlignment * kImageAlignment;
    std::vector<uint8_t> padding(end - out.position(), 0);
    out.Write(padding);
    return out.Close();
}

} // namespace nx_udf
