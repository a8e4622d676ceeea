#include "reelvane/conversion/output_paths.h"

#include "platform/file_moves.h"
#include "reelvane/conversion/engine_arguments.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <unistd.h>

namespace reelvane {
namespace fs = std::filesystem;
namespace {

std::atomic<unsigned> partialCounter{0};

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

} // namespace

std::string UniqueOutputPath(const std::string& destination, const std::string& baseName,
                             const std::vector<std::string>& taken)
{
    auto used = [&taken](const fs::path& path) {
        return Exists(path) || std::find(taken.begin(), taken.end(), path.string()) != taken.end();
    };
    if (!used(destination))
        return destination;
    const fs::path target(destination);
    const std::string extension = target.extension().string();
    for (int n = 1;; ++n) {
        fs::path candidate = target.parent_path() / (baseName + " (" + std::to_string(n) + ")" + extension);
        if (!used(candidate))
            return candidate.string();
    }
}

std::string PartialOutputPath(const std::string& destination)
{
    const fs::path target(destination);
    for (;;) {
        fs::path candidate =
            target.parent_path() / ("." + target.stem().string() + ".partial-" + std::to_string(::getpid()) + "-" +
                                    std::to_string(partialCounter++) + target.extension().string());
        if (!Exists(candidate))
            return candidate.string();
    }
}

bool PathFitsEngine(const std::string& path)
{
    return path.size() <= kEnginePathEntryLimit && fs::path(path).filename().string().size() <= NAME_MAX;
}

std::optional<std::string> CommitOutput(const std::string& partial, const std::string& destination,
                                        const std::string& baseName)
{
    std::string target = destination;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (platform::RenameNoReplace(partial, target) == 0)
            return target;
        if (errno != EEXIST)
            break;
        target = UniqueOutputPath(destination, baseName);
    }
    std::error_code ec;
    fs::remove(partial, ec);
    return std::nullopt;
}

} // namespace reelvane
