#include "nx_udf/nx_udf.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "nx_udf/udf_image.h"
#include "nx_udf/udf_text.h"
#include "nx_udf/udf_tree.h"

namespace {

bool BuildImage(std::string source, const char* volumeLabel, const std::string& imagePath, UdfProgressCallback progress)
{
    if (source.size() > 1 && source.back() == '/')
        source.pop_back();
    auto label = nx_udf::DecodeUtf8(volumeLabel);
    if (!label)
        return false;
    auto root = nx_udf::ReadTree(source, imagePath);
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

    std::error_code ignored;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(imagePath, ignored)))
        std::filesystem::remove(imagePath, ignored);
    platform::RawOutputFile out;
    if (!out.Open(imagePath))
        return false;
    bool written = false;
    try {
        written = nx_udf::WriteImage(*root, *layout, volume, out, progress);
    } catch (...) {
    }
    if (!written) {
        out.Close();
        std::filesystem::remove(imagePath, ignored);
    }
    return written;
}

} // namespace

extern "C" int32_t nx_udfc(const char* sourceFolder, const char* volumeLabel, const char* imagePath,
                           UdfProgressCallback progress)
{
    if (!sourceFolder || !volumeLabel || !imagePath)
        return -1;
    try {
        return BuildImage(sourceFolder, volumeLabel, imagePath, progress) ? 0 : -1;
    } catch (...) { // nothing may cross into the caller
        return -1;
    }
}
