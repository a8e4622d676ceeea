// In-process probing with libavformat: the container facts and one StreamInfo per stream.

#include "adapters/vexen/local_input.h"
#include "adapters/vexen/stream_description.h"
#include "adapters/vexen/stream_facts.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

void CopyText(char* field, std::size_t width, const std::string& text)
{
    std::size_t n = std::min(text.size(), width - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

int64_t KnownOrZero(int64_t value)
{
    return value == AV_NOPTS_VALUE ? 0 : value;
}

void Fill(const AVFormatContext& format, MediaFileInfo& info, StreamInfo* streams)
{
    CopyText(info.fileName, sizeof info.fileName, format.url ? format.url : "");
    CopyText(info.formatName, sizeof info.formatName, format.iformat->name);
    info.duration = KnownOrZero(format.duration);
    info.startTime = KnownOrZero(format.start_time);
    info.bitRate = static_cast<int32_t>(std::clamp<int64_t>(format.bit_rate, 0, std::numeric_limits<int32_t>::max()));
    info.streamCount = static_cast<int32_t>(format.nb_streams);
    info.videoIndex = -1;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        StreamInfo& out = streams[i];
        out.kind = vexen::StreamKind(stream);
        CopyText(out.description, sizeof out.description, vexen::DescribeStream(stream));
        if (out.kind == VEXEN_KIND_VIDEO) {
            out.width = stream.codecpar->width;
            out.height = stream.codecpar->height;
            out.aspect = vexen::DisplayAspect(stream);
            if (info.videoIndex < 0)
                info.videoIndex = static_cast<int32_t>(i);
        }
        if (out.kind == VEXEN_KIND_AUDIO)
            ++info.audioCount;
    }
}

// GetMediaFileInfo, and with `facts` GetStreamFacts as well, over one opening of the file: the
// stream analysis both need is most of what each costs.
int32_t Probe(const char* path, MediaFileInfo* info, StreamInfo** streams, StreamFacts** facts, int32_t* count)
{
    if (streams)
        *streams = nullptr;
    if (facts)
        *facts = nullptr;
    if (count)
        *count = 0;
    if (!info)
        return -1;
    std::memset(info, 0, sizeof *info);
    info->videoIndex = -1;
    if (!path || !streams || (facts && !count))
        return -1;

    AVFormatContext* format = vexen::OpenLocalInput(path);
    if (!format)
        return -1;
    StreamInfo* array = nullptr;
    try {
        if (avformat_find_stream_info(format, nullptr) >= 0 && format->nb_streams > 0) {
            array = static_cast<StreamInfo*>(std::calloc(format->nb_streams, sizeof(StreamInfo)));
            if (array)
                Fill(*format, *info, array);
            if (array && facts && (*facts = vexen::ReadStreamFacts(*format)))
                *count = static_cast<int32_t>(format->nb_streams);
        }
    } catch (...) { // nothing may cross the C interface; the file then counts as unreadable
        std::free(array);
        array = nullptr;
        std::memset(info, 0, sizeof *info);
        info->videoIndex = -1;
        if (facts) {
            std::free(*facts);
            *facts = nullptr;
            *count = 0;
        }
    }
    avformat_close_input(&format);
    *streams = array;
    return array ? 0 : -1;
}

} // namespace

extern "C" int32_t GetMediaFileInfo(const char* path, MediaFileInfo* info, StreamInfo** streams,
                                    int32_t /*usePlatformReader: FFmpeg reads those formats itself*/)
{
    return Probe(path, info, streams, nullptr, nullptr);
}

extern "C" int32_t GetMediaFileFacts(const char* path, MediaFileInfo* info, StreamInfo** streams, StreamFacts** facts,
                                     int32_t* count)
{
    return Probe(path, info, streams, facts, count);
}

// The probe keeps no demuxer open, so the record holds nothing to release.
extern "C" void FreeContext(MediaFileInfo* /*info*/)
{
}

extern "C" void FreeStreamInfo(StreamInfo* streams)
{
    std::free(streams);
}
