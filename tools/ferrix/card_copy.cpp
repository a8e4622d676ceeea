#include "tools/ferrix/card_copy.h"

#include "platform/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace ferrix {

namespace {

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string FileNameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// The thumbnail shares the video's base name: clip.mp4 and clip.mpeg both go with clip.THM.
std::string ThumbnailOf(const std::string& path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ".THM";
    return path.substr(0, dot) + ".THM";
}

// One level only: a folder whose parent is missing is not made, and the copy then fails.
void EnsureFolder(const std::string& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        fs::create_directory(folder, ec);
}

std::string CardWithPlayerFolder(const std::vector<std::string>& roots)
{
    std::error_code ec;
    for (const std::string& root : roots)
        if (fs::is_directory(WithSlash(root) + "MP_ROOT", ec))
            return root;
    return {};
}

// Whether `folder` stays inside `root` once its ".." and links are resolved.
bool InsideRoot(const std::string& folder, const std::string& root)
{
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(root, ec);
    if (ec)
        return false;
    const fs::path target = fs::weakly_canonical(folder, ec);
    if (ec)
        return false;
    return std::mismatch(base.begin(), base.end(), target.begin(), target.end()).first == base.end();
}

} // namespace

bool IsPathWithDrive(const std::string& destination)
{
    if (destination.size() < 2 || destination[0] != '/' || destination[1] == '/')
        return false;
    std::error_code ec;
    return fs::is_directory("/" + destination.substr(1, destination.find('/', 1) - 1), ec);
}

std::string CopyFileNoReplace(const std::string& source, const std::string& target)
{
    struct stat status;
    if (::stat(source.c_str(), &status) != 0)
        return "Cannot read " + source + ": " + std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return "Cannot copy " + source + ": it is not a file";
    std::error_code ec;
    if (fs::symlink_status(target, ec).type() != fs::file_type::not_found)
        return "The file " + target + " exists already and is left as it is";
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return "Cannot read " + source + ": " + std::strerror(errno);
    platform::StagedFile out(target);
    if (!out.Open())
        return out.error();
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (in.gcount() > 0 && !out.Write(buffer.data(), static_cast<std::size_t>(in.gcount())))
            return out.error();
    }
    if (in.bad())
        return "Cannot read " + source + ": " + std::strerror(errno);
    return out.Commit(false) ? std::string() : out.error();
}

CopyStatus CopyToCard(const CopyRequest& request, const std::vector<std::string>& removableRoots,
                      const std::function<void(const std::string&)>& showMessage)
{
    if (request.source.empty() || request.destination.empty())
        return CopyStatus::NothingDone;
    const std::string fileName = FileNameOf(request.source);
    auto finish = [&](const std::string& problems) {
        if (problems.empty())
            return CopyStatus::Copied;
        showMessage(problems);
        return CopyStatus::CopyFailed;
    };

    if (IsPathWithDrive(request.destination)) {
        EnsureFolder(request.destination);
        return finish(CopyFileNoReplace(request.source, WithSlash(request.destination) + fileName));
    }

    if (removableRoots.empty())
        return CopyStatus::NothingDone;
    const bool thumbnailMode = request.destination.find("MP_ROOT") != std::string::npos;
    std::string root = removableRoots.front();
    if (thumbnailMode) {
        root = CardWithPlayerFolder(removableRoots);
        if (root.empty()) {
            showMessage(kCannotFindPsp);
            return CopyStatus::NothingDone;
        }
    }

    std::string folder = request.destination;
    if (folder.front() == '/')
        folder.erase(0, 1);
    const std::string targetFolder = WithSlash(WithSlash(root) + folder);
    if (!InsideRoot(targetFolder, root))
        return finish("The folder " + request.destination + " lies outside the card " + root);
    EnsureFolder(targetFolder);
    std::string problems = CopyFileNoReplace(request.source, targetFolder + fileName);
    // The thumbnail is tried even when the video was not copied, so a missing one can be added.
    if (thumbnailMode) {
        std::string thumbnail = CopyFileNoReplace(ThumbnailOf(request.source), targetFolder + ThumbnailOf(fileName));
        if (!thumbnail.empty())
            problems += (problems.empty() ? "" : "\n") + thumbnail;
    }
    return finish(problems);
}

} // namespace ferrix
