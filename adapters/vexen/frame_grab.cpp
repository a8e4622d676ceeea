// One still picture of a source, decoded in-process: for the task list and the trim view.

#include "adapters/vexen/local_input.h"
#include "adapters/vexen/stream_description.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct CodecCloser {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FrameCloser {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketCloser {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleCloser {
    void operator()(SwsContext* scale) const { sws_freeContext(scale); }
};

int FirstMovingVideo(const AVFormatContext& format)
{
    for (unsigned i = 0; i < format.nb_streams; ++i)
        if (vexen::StreamKind(*format.streams[i]) == VEXEN_KIND_VIDEO && format.streams[i]->codecpar->width > 0)
            return static_cast<int>(i);
    return -1;
}

// Decodes packets of `index` until a frame at or after `target` (stream time), keeping the
// last frame decoded for a target past the end.
bool DecodeAtOrAfter(AVFormatContext& format, AVCodecContext& codec, int index, int64_t target, AVFrame& frame)
{
    std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameCloser> decoded(av_frame_alloc());
    if (!packet || !decoded)
        return false;
    bool have = false;
    bool draining = false;
    for (;;) {
        if (!draining) {
            int read = av_read_frame(&format, packet.get());
            if (read < 0) {
                draining = true;
                avcodec_send_packet(&codec, nullptr);
            } else {
                if (packet->stream_index == index)
                    avcodec_send_packet(&codec, packet.get());
                av_packet_unref(packet.get());
            }
        }
        for (;;) {
            int got = avcodec_receive_frame(&codec, decoded.get());
            if (got == AVERROR_EOF)
                return have;
            if (got < 0)
                break;
            av_frame_unref(&frame);
            av_frame_move_ref(&frame, decoded.get());
            have = true;
            if (frame.best_effort_timestamp == AV_NOPTS_VALUE || frame.best_effort_timestamp >= target)
                return true;
        }
        if (draining)
            return have;
    }
}

// Turns a packed RGB picture clockwise by `degrees` (90, 180, 270).
std::vector<uint8_t> Turn(const std::vector<uint8_t>& rgb, int width, int height, int degrees)
{
    std::vector<uint8_t> out(rgb.size());
    const int outWidth = degrees == 180 ? width : height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int tx = x, ty = y;
            if (degrees == 90)
                tx = height - 1 - y, ty = x;
            else if (degrees == 180)
                tx = width - 1 - x, ty = height - 1 - y;
            else
                tx = y, ty = width - 1 - x;
            std::memcpy(&out[(static_cast<std::size_t>(ty) * outWidth + tx) * 3],
                        &rgb[(static_cast<std::size_t>(y) * width + x) * 3], 3);
        }
    return out;
}

int32_t Grab(const char* path, double seconds, int32_t boxWidth, int32_t boxHeight, FramePicture& picture)
{
    std::unique_ptr<AVFormatContext, FormatCloser> format(vexen::OpenLocalInput(path));
    if (!format || avformat_find_stream_info(format.get(), nullptr) < 0)
        return -1;
    const int index = FirstMovingVideo(*format);
    if (index < 0)
        return 1;
    AVStream& stream = *format->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
    std::unique_ptr<AVCodecContext, CodecCloser> codec(avcodec_alloc_context3(decoder));
    if (!decoder || !codec || avcodec_parameters_to_context(codec.get(), stream.codecpar) < 0)
        return -1;
    // Many pictures are made at once; one thread each keeps them from crowding the processors.
    codec->thread_count = 1;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return -1;

    const int64_t start = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    const int64_t target = start + av_rescale_q(static_cast<int64_t>(std::max(0.0, seconds) * AV_TIME_BASE),
                                                AV_TIME_BASE_Q, stream.time_base);
    // A source that cannot seek is read from its start.
    if (av_seek_frame(format.get(), index, target, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(format.get(), index, start, AVSEEK_FLAG_BACKWARD);
    std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
    if (!frame || !DecodeAtOrAfter(*format, *codec, index, target, *frame) || frame->width <= 0 || frame->height <= 0)
        return -1;

    // The shown shape: the sample aspect stretches the width, a quarter turn swaps the sides.
    AVRational sar = av_guess_sample_aspect_ratio(format.get(), &stream, frame.get());
    const double shownWidth = frame->width * (sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0);
    const int rotation = vexen::DisplayRotation(stream);
    const bool quarter = rotation == 90 || rotation == 270;
    const double uprightWidth = quarter ? frame->height : shownWidth;
    const double uprightHeight = quarter ? shownWidth : frame->height;
    const double fit = std::min(boxWidth / uprightWidth, boxHeight / uprightHeight);
    const int fitWidth = std::max(1, static_cast<int>(std::lround(uprightWidth * fit)));
    const int fitHeight = std::max(1, static_cast<int>(std::lround(uprightHeight * fit)));
    // Scaled before turning, so the scaler works on the stored orientation.
    const int scaledWidth = quarter ? fitHeight : fitWidth;
    const int scaledHeight = quarter ? fitWidth : fitHeight;

    std::unique_ptr<SwsContext, ScaleCloser> scale(
        sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), scaledWidth,
                       scaledHeight, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scale)
        return -1;
    std::vector<uint8_t> rgb(static_cast<std::size_t>(scaledWidth) * scaledHeight * 3);
    uint8_t* rows[4] = {rgb.data(), nullptr, nullptr, nullptr};
    int strides[4] = {scaledWidth * 3, 0, 0, 0};
    if (sws_scale(scale.get(), frame->data, frame->linesize, 0, frame->height, rows, strides) != scaledHeight)
        return -1;
    if (rotation != 0)
        rgb = Turn(rgb, scaledWidth, scaledHeight, rotation);

    picture.pixels = static_cast<uint8_t*>(std::malloc(rgb.size()));
    if (!picture.pixels)
        return -1;
    std::memcpy(picture.pixels, rgb.data(), rgb.size());
    picture.width = fitWidth;
    picture.height = fitHeight;
    return 0;
}

} // namespace

extern "C" int32_t GrabFrame(const char* path, double seconds, int32_t boxWidth, int32_t boxHeight,
                             FramePicture* picture)
{
    if (!picture)
        return -1;
    *picture = FramePicture{};
    if (!path || boxWidth <= 0 || boxHeight <= 0 || !std::isfinite(seconds))
        return -1;
    try {
        return Grab(path, seconds, boxWidth, boxHeight, *picture);
    } catch (...) { // nothing may cross the C interface
        FreeFramePicture(picture);
        return -1;
    }
}

extern "C" void FreeFramePicture(FramePicture* picture)
{
    if (!picture)
        return;
    std::free(picture->pixels);
    *picture = FramePicture{};
}
