#include "tools/ferrix/card_copy.h"

#include "platform/staged_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

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

} // namespace

bool IsPathWithDrive(const std::string& destination)
{
    if (destination.size() < 2 || destination[0] != '/' || destination[1] == '/')
        return false;
    std::error_code ec;
    return fs::is_directory("/" + destination.substr(1, destination.find('/', 1) - 1), ec);
}

bool CopyFileNoReplace(const std::string& source, const std::string& target)
{
    std::error_code ec;
    if (!fs::is_regular_file(source, ec) || fs::exists(fs::symlink_status(target, ec)))
        return false;
    std::ifstream in(source, std::ios::binary);
    platform::StagedFile out(target);
    if (!in || !out.Open())
        return false;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (in.gcount() > 0 && !out.Write(buffer.data(), static_cast<std::size_t>(in.gcount())))
            return false;
    }
    return !in.bad() && out.Commit(false);
}

CopyStatus CopyToCard(const CopyRequest& request, const std::vector<std::string>& removableRoots,
                      const std::function<void(const std::string&)>& showMessage)
{
    if (request.source.empty() || request.destination.empty())
        return CopyStatus::NothingDone;
    const std::string fileName = FileNameOf(request.source);

    if (IsPathWithDrive(request.destination)) {
        EnsureFolder(request.destination);
        return CopyFileNoReplace(request.source, WithSlash(request.destination) + fileName) ? CopyStatus::Copied
                                                                                            : CopyStatus::CopyFailed;
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
    EnsureFolder(targetFolder);
    bool copied = CopyFileNoReplace(request.source, targetFolder + fileName);
    // The thumbnail is tried even when the video was not copied, so a missing one can be added.
    if (thumbnailMode)
        copied = CopyFileNoReplace(ThumbnailOf(request.source), targetFolder + ThumbnailOf(fileName)) && copied;
    return copied ? CopyStatus::Copied : CopyStatus::CopyFailed;
}

} // namespace ferrix
