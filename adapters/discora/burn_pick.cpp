#include "adapters/discora/burn_pick.h"

#include <algorithm>
#include <filesystem>

namespace discora {
namespace fs = std::filesystem;

bool BurnsAsImage(const std::vector<std::string>& files)
{
    Options options;
    options.files = files;
    options.burnType = "DATA";
    return !files.empty() && MakePlan(options, {}).kind == DiscKind::Image;
}

std::vector<std::string> FolderFiles(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (std::error_code kind; it->is_regular_file(kind))
            files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace discora
