#pragma once
// The descriptors of the image, each finished with its CRC and tag checksum.
// Every function returns a whole 2048-byte block except file_identifier_descriptor.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_times.h"

namespace nx_udf {

using Block = std::vector<uint8_t>;
inline constexpr std::size_t kBlockSize = 2048;

// What the volume-wide descriptors say about the image.
struct VolumeFacts {
    std::u32string label;
    platform::CalendarTime recorded; // UTC
    uint32_t partition_length = 0;
    uint32_t metadata_blocks = 0;
    uint64_t next_unique_id = 0;
    uint32_t files = 0;   // below the root
    uint32_t folders = 0; // below the root
};

Block volume_structure_descriptor(std::string_view identifier);
Block primary_volume_descriptor(const VolumeFacts& volume);
Block implementation_use_volume_descriptor(const VolumeFacts& volume);
Block partition_descriptor(const VolumeFacts& volume);
Block logical_volume_descriptor(const VolumeFacts& volume);
Block unallocated_space_descriptor();
Block terminating_descriptor(uint32_t location);
Block logical_volume_integrity_descriptor(const VolumeFacts& volume);
Block anchor_volume_descriptor_pointer(uint32_t location);
Block file_set_descriptor(const VolumeFacts& volume);

enum class FileType : uint8_t { Folder = 4, File = 5, Metadata = 250 };

struct FileEntryFacts {
    FileType type = FileType::File;
    uint32_t location = 0; // tag location
    uint16_t link_count = 0;
    uint64_t information_length = 0;
    uint64_t blocks_recorded = 0;
    platform::CalendarTime access, modification, creation, attribute;
    uint64_t unique_id = 0;
    std::vector<uint8_t> allocation_descriptors; // short for folders and the metadata file, long for files
};

Block extended_file_entry(const FileEntryFacts& entry);

// Short allocation descriptor (in metadata or partition blocks).
std::vector<uint8_t> short_allocation(uint32_t length, uint32_t position);
// Long allocation descriptors of a file's data in the physical partition, one per piece.
std::vector<uint8_t> file_allocations(uint64_t size, uint32_t location);

enum class FileCharacteristics : uint8_t { File = 0x00, Folder = 0x02, Parent = 0x0A };

// `identifier` is empty for the parent descriptor.
std::vector<uint8_t> file_identifier_descriptor(FileCharacteristics characteristics,
                                                const std::vector<uint8_t>& identifier,
                                                uint32_t entry_block, uint64_t unique_id, uint32_t location);

} // namespace nx_udf
