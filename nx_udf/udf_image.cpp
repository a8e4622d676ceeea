#include "nx_udf/udf_image.h"

#include <algorithm>
#include <filesystem>

namespace nx_udf {

namespace {

constexpr uint64_t kImageAlignment = 65536;

class ImageWriter {
public:
    explicit ImageWriter(platform::RawOutputFile& out) : out_(out) {}

    void block(const Block& b) { out_.Write(b); }
    void zero_blocks(uint64_t count)
    {
        static const Block zeros(kBlockSize, 0);
        for (uint64_t i = 0; i < count; ++i)
            out_.Write(zeros);
    }
    // Zeros up to the given sector.
    void zeros_until(uint64_t sector) { zero_blocks(sector - out_.position() / kBlockSize); }
    uint32_t sector() const { return static_cast<uint32_t>(out_.position() / kBlockSize); }
    platform::RawOutputFile& out() { return out_; }

private:
    platform::RawOutputFile& out_;
};

FileEntryFacts entry_facts(const UdfTreeEntry& entry, const platform::CalendarTime& recorded, bool is_root)
{
    FileEntryFacts facts;
    facts.location = entry.entry_block;
    facts.access = recorded;
    if (is_root) {
        facts.modification = facts.creation = facts.attribute = recorded;
    } else {
        facts.modification = platform::LocalTime(entry.times.modification);
        facts.creation = platform::LocalTime(entry.times.creation);
        facts.attribute = platform::LocalTime(entry.times.access);
    }
    facts.unique_id = entry.unique_id;
    if (entry.is_folder) {
        facts.type = FileType::Folder;
        facts.link_count = static_cast<uint16_t>(entry.child_folders() + 1);
        facts.information_length = entry.directory_bytes();
        facts.blocks_recorded = entry.directory_blocks();
        facts.allocation_descriptors = short_allocation(static_cast<uint32_t>(entry.directory_bytes()), entry.location);
    } else {
        facts.type = FileType::File;
        facts.link_count = 1;
        facts.information_length = entry.size;
        facts.blocks_recorded = entry.data_blocks();
        facts.allocation_descriptors = file_allocations(entry.size, entry.location);
    }
    return facts;
}

FileEntryFacts metadata_file_facts(const UdfLayout& layout, const platform::CalendarTime& recorded)
{
    FileEntryFacts facts;
    facts.type = FileType::Metadata;
    facts.information_length = uint64_t(layout.metadata_blocks) * kBlockSize;
    facts.blocks_recorded = layout.metadata_blocks;
    facts.access = facts.modification = facts.creation = facts.attribute = recorded;
    facts.allocation_descriptors = short_allocation(layout.metadata_blocks * uint32_t(kBlockSize), kMetadataStart);
    return facts;
}

// Descriptors are packed back to back, a descriptor may run over into the next block.
void write_directory(ImageWriter& image, const UdfTreeEntry& folder)
{
    std::vector<uint8_t> bytes = file_identifier_descriptor(
        FileCharacteristics::Parent, {}, folder.parent_entry_block, folder.parent_unique_id, folder.location);
    for (const auto& child : folder.children) {
        auto block = static_cast<uint32_t>(folder.location + bytes.size() / kBlockSize);
        auto fid = file_identifier_descriptor(child->is_folder ? FileCharacteristics::Folder : FileCharacteristics::File,
                                              child->identifier, child->entry_block, child->unique_id, block);
        bytes.insert(bytes.end(), fid.begin(), fid.end());
    }
    bytes.resize(folder.directory_blocks() * kBlockSize, 0);
    image.out().Write(bytes);
}

void write_metadata(ImageWriter& image, const UdfTreeEntry& root, const UdfLayout& layout, const VolumeFacts& volume)
{
    image.block(file_set_descriptor(volume));
    image.block(terminating_descriptor(1));
    image.block(extended_file_entry(entry_facts(root, volume.recorded, true)));
    for (const UdfTreeEntry* folder : layout.folders_breadth_first) {
        write_directory(image, *folder);
        for (const auto& child : folder->children)
            image.block(extended_file_entry(entry_facts(*child, volume.recorded, false)));
    }
    image.zero_blocks(layout.metadata_blocks - layout.metadata_used);
}

class Progress {
public:
    Progress(UdfProgressCallback callback, uint64_t total) : callback_(callback), total_(total ? total : 1) {}
    // Reports once before each of the next `blocks` blocks.
    void before_blocks(uint64_t blocks)
    {
        for (uint64_t i = 0; callback_ && i < blocks; ++i)
            callback_(static_cast<int32_t>((done_ + i) * 100 / total_), "UDF building...");
        done_ += blocks;
    }

private:
    UdfProgressCallback callback_;
    uint64_t total_;
    uint64_t done_ = 0;
};

// Copies the data of [offset, end) and leaves its holes as holes; returns where the file's bytes ended.
uint64_t copy_range(const platform::RawInputFile& in, platform::RawOutputFile& out, uint64_t offset, uint64_t end)
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
bool has_size(const UdfTreeEntry& file)
{
    std::error_code error;
    uint64_t size = std::filesystem::file_size(file.path, error);
    return !error && size == file.size;
}

// The file's bytes into the blocks reserved at the walk, holes kept; false when the file could not
// be read whole or changed its size, since the image would then hold something other than the file.
bool write_file_data(platform::RawOutputFile& out, const UdfTreeEntry& file, Progress& progress)
{
    constexpr uint64_t kStretch = 64u << 20;
    platform::RawInputFile in(file.path);
    if (!in.opened() || !has_size(file))
        return false;
    uint64_t reserved = file.data_blocks() * kBlockSize;
    for (uint64_t offset = 0; offset < reserved && out.ok();) {
        uint64_t stretch_end = std::min(reserved, offset + kStretch);
        progress.before_blocks((stretch_end - offset) / kBlockSize);
        uint64_t data_end = std::min(stretch_end, file.size);
        if (copy_range(in, out, offset, data_end) < data_end)
            return false;
        out.Skip(stretch_end - data_end);
        offset = stretch_end;
    }
    return has_size(file);
}

} // namespace

bool write_image(const UdfTreeEntry& root, const UdfLayout& layout, const VolumeFacts& volume,
                 platform::RawOutputFile& out, UdfProgressCallback progress)
{
    ImageWriter image(out);
    image.zero_blocks(16);
    image.block(volume_structure_descriptor("BEA01"));
    image.block(volume_structure_descriptor("NSR03"));
    image.block(volume_structure_descriptor("TEA01"));
    image.zeros_until(32);
    image.block(primary_volume_descriptor(volume));
    image.block(implementation_use_volume_descriptor(volume));
    image.block(partition_descriptor(volume));
    image.block(logical_volume_descriptor(volume));
    image.block(unallocated_space_descriptor());
    image.block(terminating_descriptor(37));
    image.zeros_until(64);
    image.block(logical_volume_integrity_descriptor(volume));
    image.block(terminating_descriptor(65));
    image.zeros_until(256);
    image.block(anchor_volume_descriptor_pointer(256));
    image.zeros_until(kPartitionStart);
    image.block(extended_file_entry(metadata_file_facts(layout, volume.recorded)));
    image.zeros_until(kPartitionStart + kMetadataStart);
    write_metadata(image, root, layout, volume);

    Progress data_progress(progress, layout.data_blocks);
    for (const UdfTreeEntry* file : layout.files_in_data_order)
        if (!write_file_data(out, *file, data_progress))
            return false;

    image.block(anchor_volume_descriptor_pointer(image.sector()));
    uint64_t end = (out.position() + kImageAlignment - 1) / kImageAlignment * kImageAlignment;
    std::vector<uint8_t> padding(end - out.position(), 0);
    out.Write(padding);
    return out.Close();
}

} // namespace nx_udf
