#include "adapters/vexen/stream_description.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/display.h>
}

#include <cmath>
#include <cstdio>

namespace vexen {
namespace {

const char* KindName(AVMediaType type)
{
    switch (type) {
    case AVMEDIA_TYPE_VIDEO: return "Video";
    case AVMEDIA_TYPE_AUDIO: return "Audio";
    case AVMEDIA_TYPE_SUBTITLE: return "Subtitle";
    case AVMEDIA_TYPE_DATA: return "Data";
    case AVMEDIA_TYPE_ATTACHMENT: return "Attachment";
    default: return "Unknown";
    }
}

std::string CodecText(const AVCodecParameters& par)
{
    std::string text = avcodec_get_name(par.codec_id);
    if (const char* profile = avcodec_profile_name(par.codec_id, par.profile))
        text += std::string(" (") + profile + ")";
    return text;
}

std::string Format(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

} // namespace

int32_t StreamKind(const AVStream& stream)
{
    switch (stream.codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        // Cover art is a picture, not the movie: it must never become the source's frame.
        return stream.disposition & AV_DISPOSITION_ATTACHED_PIC ? VEXEN_KIND_ATTACHMENT : VEXEN_KIND_VIDEO;
    case AVMEDIA_TYPE_AUDIO: return VEXEN_KIND_AUDIO;
    case AVMEDIA_TYPE_SUBTITLE: return VEXEN_KIND_SUBTITLE;
    case AVMEDIA_TYPE_DATA: return VEXEN_KIND_DATA;
    case AVMEDIA_TYPE_ATTACHMENT: return VEXEN_KIND_ATTACHMENT;
    default: return VEXEN_KIND_OTHER;
    }
}

float DisplayAspect(const AVStream& stream)
{
    const AVCodecParameters& par = *stream.codecpar;
    if (par.width <= 0 || par.height <= 0)
        return 0.0f;
    AVRational sar = stream.sample_aspect_ratio.num > 0 ? stream.sample_aspect_ratio : par.sample_aspect_ratio;
    double pixelAspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    return static_cast<float>(par.width * pixelAspect / par.height);
}

int32_t DisplayRotation(const AVStream& stream)
{
    const uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!matrix)
        return 0;
    // The matrix turns counter-clockwise; the display turns back by as much.
    double degrees = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(degrees))
        return 0;
    int32_t quarter = static_cast<int32_t>(std::lround(degrees / 90.0));
    return ((quarter % 4 + 4) % 4) * 90;
}

std::string DescribeStream(const AVStream& stream)
{
    const AVCodecParameters& par = *stream.codecpar;
    std::string text = std::string(KindName(par.codec_type)) + ": " + CodecText(par);
    if (stream.disposition & AV_DISPOSITION_ATTACHED_PIC)
        text += ", attached picture";
    if (par.codec_type == AVMEDIA_TYPE_VIDEO && par.width > 0 && par.height > 0) {
        text += ", " + std::to_string(par.width) + "x" + std::to_string(par.height);
        AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
        if (rate.num > 0 && rate.den > 0 && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC))
            text += Format(", %.4g fps", av_q2d(rate));
    }
    if (par.codec_type == AVMEDIA_TYPE_AUDIO) {
        if (par.sample_rate > 0)
            text += ", " + std::to_string(par.sample_rate) + " Hz";
        char layout[64];
        if (par.ch_layout.nb_channels > 0 && av_channel_layout_describe(&par.ch_layout, layout, sizeof layout) > 0)
            text += std::string(", ") + layout;
    }
    if (par.bit_rate > 0)
        text += ", " + std::to_string(par.bit_rate / 1000) + " kb/s";
    if (const AVDictionaryEntry* language = av_dict_get(stream.metadata, "language", nullptr, 0))
        text += std::string(", ") + language->value;
    return text;
}

} // namespace vexen
