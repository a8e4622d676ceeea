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
    std::set<uint32_t> uniqueIds;
};

// Checks every descriptor of the folder whose extended file entry is `entryBlock`, recursively:
// tags, sorted names equal to the source's, unique IDs, and file contents up to `contentLimit` bytes.
void CheckTree(const ImageReader& image, uint32_t entryBlock, const std::filesystem::path& source, TreeCheck& check,
               uint64_t contentLimit = 1 << 20);

} // namespace udf_test
