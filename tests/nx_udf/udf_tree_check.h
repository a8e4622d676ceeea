#pragma once
// Walks an image through its own descriptors and compares it with the source tree.

#include <filesystem>
#include <set>
#include <string>

#include "udf_image_reader.h"

namespace udf_test {

struct TreeCheck {
    int files = 0;
    int folders = 0; // below the root
    std::set<uint32_t> unique_ids;
};

// Checks every descriptor of the folder whose extended file entry is `entry_block`, recursively:
// tags, sorted names equal to the source's, unique IDs, and file contents up to `content_limit` bytes.
void check_tree(const ImageReader& image, uint32_t entry_block, const std::filesystem::path& source,
                TreeCheck& check, uint64_t content_limit = 1 << 20);

} // namespace udf_test
