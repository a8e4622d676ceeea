#include "nx_udf/nx_udf.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "nx_udf/udf_image.h"
#include "nx_udf/udf_text.h"
#include "nx_udf/udf_tree.h"

namespace {

bool build_image(std::string source, const char* volume_label, const std::string& image_path,
                 UdfProgressCallback progress)
{
    if (source.size() > 1 && source.back() == '/')
        source.pop_back();
    auto label = nx_udf::decode_utf8(volume_label);
    if (!label)
        return false;
    auto root = nx_udf::read_tree(source, image_path);
    if (!root)
        return false;
    auto layout = nx_udf::lay_out(*root);
    if (!layout)
        return false;

    nx_udf::VolumeFacts volume;
    volume.label = std::move(*label);
    auto now = std::chrono::system_clock::now().time_since_epoch();
    volume.recorded = platform::UtcTime(std::chrono::duration_cast<std::chrono::seconds>(now).count());
    volume.partition_length = layout->partition_length;
    volume.metadata_blocks = layout->metadata_blocks;
    volume.next_unique_id = layout->next_unique_id;
    volume.files = layout->files;
    volume.folders = layout->folders;

    std::error_code ignored;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(image_path, ignored)))
        std::filesystem::remove(image_path, ignored);
    platform::RawOutputFile out;
    if (!out.Open(image_path))
        return false;
    bool written = false;
    try {
        written = nx_udf::write_image(*root, *layout, volume, out, progress);
    } catch (...) {
    }
    if (!written) {
        out.Close();
        std::filesystem::remove(image_path, ignored);
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
        return build_image(sourceFolder, volumeLabel, imagePath, progress) ? 0 : -1;
    } catch (...) { // nothing may cross into the caller
        return -1;
    }
}
