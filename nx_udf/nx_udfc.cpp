#include "nx_udf/nx_udf.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "nx_udf/udf_image.h"
#include "nx_udf/udf_text.h"
#include "nx_udf/udf_tree.h"
#include "platform/file_moves.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path)
{
    std::error_code ignored;
    return fs::symlink_status(path, ignored).type() != fs::file_type::not_found;
}

// Creates the hidden file the image is written to, beside the image, so that an interrupted
// build never leaves a short image under the final name.
bool CreatePartial(const fs::path& image, platform::RawOutputFile& out, std::string& partial)
{
    for (int n = 0; n < 1000; ++n) {
        partial = (image.parent_path() / ("." + image.stem().string() + ".partial-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(n) + image.extension().string()))
                      .string();
        if (out.Create(partial))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// `cause`: the system's reason for a failure, where it gave one.
bool BuildImage(std::string source, const char* volumeLabel, const std::string& imagePath, UdfProgressCallback progress,
                int& cause)
{
    if (source.size() > 1 && source.back() == '/')
        source.pop_back();
    if (Exists(imagePath)) { // never replaced
        cause = EEXIST;
        return false;
    }
    auto label = nx_udf::DecodeUtf8(volumeLabel);
    if (!label)
        return false;
    auto root = nx_udf::ReadTree(source);
    if (!root)
        return false;
    auto layout = nx_udf::LayOut(*root);
    if (!layout)
        return false;

    nx_udf::VolumeFacts volume;
    volume.label = std::move(*label);
    auto now = std::chrono::system_clock::now().time_since_epoch();
    volume.recorded = platform::UtcTime(std::chrono::duration_cast<std::chrono::seconds>(now).count());
    volume.partitionLength = layout->partitionLength;
    volume.metadataBlocks = layout->metadataBlocks;
    volume.nextUniqueId = layout->nextUniqueId;
    volume.files = layout->files;
    volume.folders = layout->folders;

    platform::RawOutputFile out;
    std::string partial;
    if (!CreatePartial(imagePath, out, partial)) {
        cause = errno;
        return false;
    }
    bool written = false;
    try {
        written = nx_udf::WriteImage(*root, *layout, volume, out, progress);
    } catch (...) {
    }
    out.Close();
    if (written && platform::RenameNoReplace(partial, imagePath) == 0)
        return true;
    cause = written ? errno : out.error();
    std::error_code ignored;
    fs::remove(partial, ignored);
    return false;
}

} // namespace

extern "C" int32_t nx_udfc(const char* sourceFolder, const char* volumeLabel, const char* imagePath,
                           UdfProgressCallback progress)
{
    if (!sourceFolder || !volumeLabel || !imagePath)
        return -1;
    int cause = 0;
    int32_t result = -1;
    try {
        result = BuildImage(sourceFolder, volumeLabel, imagePath, progress, cause) ? 0 : -1;
    } catch (...) { // nothing may cross into the caller
    }
    errno = result == 0 ? 0 : cause;
    return result;
}
