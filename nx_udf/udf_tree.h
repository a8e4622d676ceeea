#pragma once
// The source tree as the image will hold it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_times.h"

namespace nx_udf {

struct UdfTreeEntry {
    std::string path;                // in the source tree
    std::vector<uint8_t> identifier; // the name in compressed Unicode
    bool isFolder = false;
    uint64_t size = 0; // files
    platform::FileTimes times;
    std::vector<std::unique_ptr<UdfTreeEntry>> children; // sorted by name, byte order

    // Set by the layout.
    uint64_t uniqueId = 0;
    uint64_t parentUniqueId = 0;
    uint32_t entryBlock = 0;       // metadata block of the extended file entry
    uint32_t location = 0;         // folders: first directory block; files: first partition block
    uint32_t parentEntryBlock = 0; // folders: the parent's extended file entry (the root's own)

    uint64_t dataBlocks() const { return (size + 2047) / 2048; }
    // Bytes of this entry's file identifier descriptor in its parent's directory.
    uint32_t identifierLength() const { return (38 + static_cast<uint32_t>(identifier.size()) + 3) & ~3u; }
    // Folders: the parent descriptor and one descriptor per child.
    uint64_t directoryBytes() const;
    uint32_t directoryBlocks() const { return static_cast<uint32_t>((directoryBytes() + 2047) / 2048); }
    uint32_t childFolders() const;
};

// Reads the folder tree below `folder`: folders and regular files (links followed while they stay
// inside the folder). Nothing when the folder is missing, a part of it cannot be read, a name
// cannot be stored, links lead in a circle or a link leads out of the folder.
std::unique_ptr<UdfTreeEntry> ReadTree(const std::string& folder);

} // namespace nx_udf
