#include "nx_udf/udf_layout.h"

namespace nx_udf {

namespace {

// Children of the root are numbered depth first, those of every other folder all before their subtrees.
void NumberSubtree(UdfTreeEntry& folder, uint64_t& next)
{
    for (auto& child : folder.children) {
        child->uniqueId = next++;
        child->parentUniqueId = folder.uniqueId;
    }
    for (auto& child : folder.children)
        if (child->isFolder)
            NumberSubtree(*child, next);
}

uint64_t NumberTree(UdfTreeEntry& root)
{
    uint64_t next = 16;
    for (auto& child : root.children) {
        child->uniqueId = next++;
        if (child->isFolder)
            NumberSubtree(*child, next);
    }
    return next;
}

void PlaceData(const UdfTreeEntry& folder, uint64_t& next, UdfLayout& layout)
{
    for (const auto& child : folder.children) {
        if (child->isFolder)
            continue;
        child->location = static_cast<uint32_t>(next);
        next += child->dataBlocks();
        layout.filesInDataOrder.push_back(child.get());
    }
    for (const auto& child : folder.children)
        if (child->isFolder)
            PlaceData(*child, next, layout);
}

} // namespace

std::optional<UdfLayout> LayOut(UdfTreeEntry& root)
{
    UdfLayout layout;
    layout.nextUniqueId = NumberTree(root);

    // Metadata blocks 0 and 1 hold the file set and its terminator, 2 the root's entry.
    uint64_t nextBlock = 3;
    root.entryBlock = 2;
    root.parentEntryBlock = 2;
    layout.foldersBreadthFirst.push_back(&root);
    for (std::size_t i = 0; i < layout.foldersBreadthFirst.size(); ++i) {
        UdfTreeEntry& folder = *layout.foldersBreadthFirst[i];
        folder.location = static_cast<uint32_t>(nextBlock);
        nextBlock += folder.directoryBlocks();
        for (auto& child : folder.children) {
            child->entryBlock = static_cast<uint32_t>(nextBlock++);
            if (child->isFolder) {
                child->parentEntryBlock = folder.entryBlock;
                layout.foldersBreadthFirst.push_back(child.get());
                ++layout.folders;
            } else {
                ++layout.files;
            }
        }
        // The metadata file, rounded up to whole allocation units, must stay below 2^30 bytes:
        // a larger extent length would spill into the descriptor's extent type bits.
        if (nextBlock > (1u << 19) - kAllocationUnit)
            return std::nullopt;
    }
    layout.metadataUsed = static_cast<uint32_t>(nextBlock);
    if (nextBlock > kSmallestMetadata)
        layout.metadataBlocks =
            static_cast<uint32_t>((nextBlock + kAllocationUnit - 1) / kAllocationUnit * kAllocationUnit);

    uint64_t nextData = layout.dataStart();
    PlaceData(root, nextData, layout);
    // The closing anchor's sector must be a 32-bit number too.
    if (nextData + kPartitionStart >= UINT32_MAX)
        return std::nullopt;
    layout.partitionLength = static_cast<uint32_t>(nextData);
    layout.dataBlocks = nextData - layout.dataStart();
    return layout;
}

} // namespace nx_udf
