#pragma once
// Numbering and placement: every block's position is known before the first byte is written.

#include <cstdint>
#include <optional>
#include <vector>

#include "nx_udf/udf_tree.h"

namespace nx_udf {

// Partition blocks before the metadata file, and the metadata file's least size and growth step.
inline constexpr uint32_t kMetadataStart = 32;
inline constexpr uint32_t kAllocationUnit = 32;
inline constexpr uint32_t kSmallestMetadata = 64;
inline constexpr uint32_t kPartitionStart = 288;

struct UdfLayout {
    uint32_t metadataBlocks = kSmallestMetadata; // size of the metadata file
    uint32_t metadataUsed = 0;                   // blocks written into it
    uint32_t partitionLength = 0;
    uint64_t dataBlocks = 0;
    uint64_t nextUniqueId = 0;
    uint32_t files = 0;                             // below the root
    uint32_t folders = 0;                           // below the root
    std::vector<UdfTreeEntry*> foldersBreadthFirst; // the root first
    std::vector<const UdfTreeEntry*> filesInDataOrder;

    uint32_t dataStart() const { return kMetadataStart + metadataBlocks; }
};

// Numbers the tree and places it; nothing when it does not fit into 32-bit block numbers.
std::optional<UdfLayout> LayOut(UdfTreeEntry& root);

} // namespace nx_udf
