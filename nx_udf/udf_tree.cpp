#include "nx_udf/udf_tree.h"

#include <algorithm>
#include <filesystem>

#include "nx_udf/udf_text.h"
#include "platform/raw_file.h"

namespace fs = std::filesystem;

namespace nx_udf {

uint64_t UdfTreeEntry::directoryBytes() const
{
    uint64_t bytes = 40;
    for (const auto& child : children)
        bytes += child->identifierLength();
    return bytes;
}

uint32_t UdfTreeEntry::childFolders() const
{
    return static_cast<uint32_t>(
        std::count_if(children.begin(), children.end(), [](const auto& child) { return child->isFolder; }));
}

namespace {

bool IsAncestorOfItself(const fs::path& folder, const std::vector<fs::path>& ancestors)
{
    std::error_code error;
    for (const auto& ancestor : ancestors)
        if (fs::equivalent(folder, ancestor, error))
            return true;
    return false;
}

// Whether the link at `path` leads to a place inside `root` (a canonical path). A broken link
// leads nowhere and holds nothing, so it is left out rather than refused.
bool LeadsOutside(const fs::path& path, const fs::path& root)
{
    std::error_code error;
    fs::path target = fs::canonical(path, error);
    if (error)
        return false;
    return std::mismatch(root.begin(), root.end(), target.begin(), target.end()).first != root.end();
}

bool ReadFolder(UdfTreeEntry& folder, std::vector<fs::path>& ancestors, const fs::path& root)
{
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder.path, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    if (error)
        return false;
    std::sort(names.begin(), names.end());

    ancestors.push_back(folder.path);
    for (const auto& name : names) {
        auto child = std::make_unique<UdfTreeEntry>();
        child->path = (fs::path(folder.path) / name).string();
        auto identifier = FileIdentifier(name);
        if (!identifier)
            return false;
        child->identifier = std::move(*identifier);

        // A link out of the folder would put a file of elsewhere (anyone's) into the image.
        bool link = fs::is_symlink(fs::symlink_status(child->path, error));
        if (link && LeadsOutside(child->path, root))
            return false;
        // Sockets, pipes, devices and broken links have no content to store.
        auto status = fs::status(child->path, error);
        if (error && status.type() != fs::file_type::not_found)
            return false;
        if (fs::is_directory(status)) {
            if (link && IsAncestorOfItself(child->path, ancestors))
                return false;
            child->isFolder = true;
            if (!platform::ReadFileTimes(child->path, child->times) || !ReadFolder(*child, ancestors, root))
                return false;
        } else if (fs::is_regular_file(status)) {
            child->size = fs::file_size(child->path, error);
            if (error || !platform::RawInputFile(child->path).opened() ||
                !platform::ReadFileTimes(child->path, child->times))
                return false;
        } else {
            continue;
        }
        folder.children.push_back(std::move(child));
    }
    ancestors.pop_back();
    return true;
}

} // namespace

std::unique_ptr<UdfTreeEntry> ReadTree(const std::string& folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return nullptr;
    fs::path canonicalRoot = fs::canonical(folder, error);
    if (error)
        return nullptr;
    auto root = std::make_unique<UdfTreeEntry>();
    root->path = folder;
    root->isFolder = true;
    std::vector<fs::path> ancestors;
    if (!ReadFolder(*root, ancestors, canonicalRoot))
        return nullptr;
    return root;
}

} // namespace nx_udf
