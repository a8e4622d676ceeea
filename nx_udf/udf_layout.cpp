#include "nx_udf/udf_layout.h"

namespace nx_udf {

namespace {

// Children of the root are numbered depth first, those of every other folder all before their subtrees.
void number_subtree(UdfTreeEntry& folder, uint64_t& next)
{
    for (auto& child : folder.children) {
        child->unique_id = next++;
        child->parent_unique_id = folder.unique_id;
    }
    for (auto& child : folder.children)
        if (child->is_folder)
            number_subtree(*child, next);
}

uint64_t number_tree(UdfTreeEntry& root)
{
    uint64_t next = 16;
    for (auto& child : root.children) {
        child->unique_id = next++;
        if (child->is_folder)
            number_subtree(*child, next);
    }
    return next;
}

void place_data(const UdfTreeEntry& folder, uint64_t& next, UdfLayout& layout)
{
    for (const auto& child : folder.children) {
        if (child->is_folder)
            continue;
        child->location = static_cast<uint32_t>(next);
        next += child->data_blocks();
        layout.files_in_data_order.push_back(child.get());
    }
    for (const auto& child : folder.children)
        if (child->is_folder)
            place_data(*child, next, layout);
}

} // namespace

std::optional<UdfLayout> lay_out(UdfTreeEntry& root)
{
    UdfLayout layout;
    layout.next_unique_id = number_tree(root);

    // Metadata blocks 0 and 1 hold the file set and its terminator, 2 the root's entry.
    uint64_t next_block = 3;
    root.entry_block = 2;
    root.parent_entry_block = 2;
    layout.folders_breadth_first.push_back(&root);
    for (std::size_t i = 0; i < layout.folders_breadth_first.size(); ++i) {
        UdfTreeEntry& folder = *layout.folders_breadth_first[i];
        folder.location = static_cast<uint32_t>(next_block);
        next_block += folder.directory_blocks();
        for (auto& child : folder.children) {
            child->entry_block = static_cast<uint32_t>(next_block++);
            if (child->is_folder) {
                child->parent_entry_block = folder.entry_block;
                layout.folders_breadth_first.push_back(child.get());
                ++layout.folders;
            } else {
                ++layout.files;
            }
        }
        // The metadata file, rounded up to whole allocation units, must stay below 2^30 bytes:
        // a larger extent length would spill into the descriptor's extent type bits.
        if (next_block > (1u << 19) - kAllocationUnit)
            return std::nullopt;
    }
    layout.metadata_used = static_cast<uint32_t>(next_block);
    if (next_block > kSmallestMetadata)
        layout.metadata_blocks = static_cast<uint32_t>((next_block + kAllocationUnit - 1) / kAllocationUnit * kAllocationUnit);

    uint64_t next_data = layout.data_start();
    place_data(root, next_data, layout);
    // The closing anchor's sector must be a 32-bit number too.
    if (next_data + kPartitionStart >= UINT32_MAX)
        return std::nullopt;
    layout.partition_length = static_cast<uint32_t>(next_data);
    layout.data_blocks = next_data - layout.data_start();
    return layout;
}

} // namespace nx_udf
