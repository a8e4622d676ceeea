#pragma once
// The descriptors of the image, each finished with its CRC and tag checksum.
// Every function returns a whole 2048-byte block except FileIdentifierDescriptor.

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
    uint32_t partitionLength = 0;
    uint32_t metadataBlocks = 0;
    uint64_t nextUniqueId = 0;
    uint32_t files = 0;   // below the root
    uint32_t folders = 0; // below the root
};

Block VolumeStructureDescriptor(std::string_view identifier);
Block PrimaryVolumeDescriptor(const VolumeFacts& volume);
Block ImplementationUseVolumeDescriptor(const VolumeFacts& volume);
Block PartitionDescriptor(const VolumeFacts& volume);
Block LogicalVolumeDescriptor(const VolumeFacts& volume);
Block UnallocatedSpaceDescriptor();
Block TerminatingDescriptor(uint32_t location);
Block LogicalVolumeIntegrityDescriptor(const VolumeFacts& volume);
Block AnchorVolumeDescriptorPointer(uint32_t location);
Block FileSetDescriptor(const VolumeFacts& volume);

enum class FileType : uint8_t { Folder = 4, File = 5, Metadata = 250 };

struct FileEntryFacts {
    FileType type = FileType::File;
    uint32_t location = 0; // tag location
    uint16_t linkCount = 0;
    uint64_t informationLength = 0;
    uint64_t blocksRecorded = 0;
    platform::CalendarTime access, modification, creation, attribute;
    uint64_t uniqueId = 0;
    std::vector<uint8_t> allocationDescriptors; // short for folders and the metadata file, long for files
};

Block ExtendedFileEntry(const FileEntryFacts& entry);

// Short allocation descriptor (in metadata or partition blocks).
std::vector<uint8_t> ShortAllocation(uint32_t length, uint32_t position);
// Long allocation descriptors of a file's data in the physical partition, one per piece.
std::vector<uint8_t> FileAllocations(uint64_t size, uint32_t location);

enum class FileCharacteristics : uint8_t { File = 0x00, Folder = 0x02, Parent = 0x0A };

// `identifier` is empty for the parent descriptor.
std::vector<uint8_t> FileIdentifierDescriptor(FileCharacteristics characteristics,
                                              const std::vector<uint8_t>& identifier, uint32_t entryBlock,
                                              uint64_t uniqueId, uint32_t location);

} // namespace nx_udf
