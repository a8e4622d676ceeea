#include "adapters/vexen/local_input.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <sys/stat.h>

namespace vexen {

AVFormatContext* OpenLocalInput(const char* path)
{
    // Only files: a pipe would block the caller, and a URL would reach the network.
    struct stat status;
    if (!path || ::stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* format = nullptr;
    int opened = avformat_open_input(&format, path, nullptr, &options);
    av_dict_free(&options);
    return opened < 0 ? nullptr : format;
}

} // namespace vexen
