#include "adapters/vexen/cover_picture.h"

#include "adapters/vexen/local_input.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace vexen {

CoverFile::CoverFile(std::string path, std::string mimeType, std::string name)
    : path_(std::move(path)), mimeType_(std::move(mimeType)), name_(std::move(name))
{
}

CoverFile::CoverFile(CoverFile&& other) noexcept
    : path_(std::move(other.path_)), mimeType_(std::move(other.mimeType_)), name_(std::move(other.name_))
{
    other.path_.clear();
}

CoverFile::~CoverFile()
{
    if (!path_.empty())
        ::unlink(path_.c_str());
}

std::optional<CoverFile> CoverFile::Write(const std::string& source, int stream)
{
    AVFormatContext* format = OpenLocalInput(source.c_str());
    if (!format)
        return std::nullopt;
    std::optional<CoverFile> cover;
    const AVStream* picture =
        stream >= 0 && static_cast<unsigned>(stream) < format->nb_streams ? format->streams[stream] : nullptr;
    if (picture && (picture->disposition & AV_DISPOSITION_ATTACHED_PIC) && picture->attached_pic.size > 0) {
        const AVCodecID codec = picture->codecpar->codec_id;
        // Players look for a cover under these names and types only.
        const char* extension = codec == AV_CODEC_ID_PNG ? "png" : codec == AV_CODEC_ID_MJPEG ? "jpg" : nullptr;
        if (extension) {
            std::error_code error;
            std::filesystem::path folder = std::filesystem::temp_directory_path(error);
            std::string path =
                ((error ? std::filesystem::path("/tmp") : folder) / (std::string("vexen-cover-XXXXXX.") + extension))
                    .string();
            const int file = ::mkstemps(path.data(), static_cast<int>(std::string_view(extension).size()) + 1);
            if (file >= 0) {
                CoverFile written(path, codec == AV_CODEC_ID_PNG ? "image/png" : "image/jpeg",
                                  std::string("cover.") + extension);
                const auto size = static_cast<std::size_t>(picture->attached_pic.size);
                const bool whole = ::write(file, picture->attached_pic.data, size) == static_cast<ssize_t>(size);
                if (::close(file) == 0 && whole)
                    cover.emplace(std::move(written));
            }
        }
    }
    avformat_close_input(&format);
    return cover;
}

} // namespace vexen
