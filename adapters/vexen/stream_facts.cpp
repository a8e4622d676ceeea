// Per-stream facts for the conversion decisions: codec details, display rotation, field order,
// and the key-frame distance from a short packet scan (no decoding).

#include "adapters/vexen/h264_parameters.h"
#include "adapters/vexen/local_input.h"
#include "adapters/vexen/stream_facts.h"
#include "adapters/vexen/stream_description.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int64_t kScanMicroseconds = 10'000'000;
// A scan ends here even when some stream never reaches the time limit (a still picture).
constexpr int kScanPacketLimit = 4000;
// Rates closer than this count as the same: containers round a constant rate.
constexpr double kVariableRateTolerance = 0.02;

template <std::size_t N>
void CopyText(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text ? text : "");
}

const char* Tag(const AVStream& stream, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(stream.metadata, key, nullptr, 0);
    return entry ? entry->value : "";
}

int32_t FieldOrder(AVFieldOrder order)
{
    switch (order) {
    case AV_FIELD_PROGRESSIVE: return 1;
    case AV_FIELD_TT:
    case AV_FIELD_TB: return 2;
    case AV_FIELD_BB:
    case AV_FIELD_BT: return 3;
    default: return 0;
    }
}

bool Differ(AVRational a, AVRational b)
{
    if (a.num <= 0 || a.den <= 0 || b.num <= 0 || b.den <= 0)
        return false;
    double x = av_q2d(a), y = av_q2d(b);
    return std::fabs(x - y) > kVariableRateTolerance * std::max(x, y);
}

int32_t BitsPerSample(const AVCodecParameters& par)
{
    if (par.bits_per_raw_sample > 0)
        return par.bits_per_raw_sample;
    if (par.codec_type != AVMEDIA_TYPE_VIDEO)
        return 0;
    const AVPixFmtDescriptor* pixel = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(par.format));
    return pixel ? pixel->comp[0].depth : 0;
}

void Fill(const AVStream& stream, StreamFacts& out)
{
    const AVCodecParameters& par = *stream.codecpar;
    out.index = stream.index;
    out.kind = vexen::StreamKind(stream);
    CopyText(out.codec, avcodec_get_name(par.codec_id));
    out.profile = par.profile == FF_PROFILE_UNKNOWN ? -1 : par.profile;
    out.level = par.level == FF_LEVEL_UNKNOWN ? -1 : par.level;
    if (par.codec_id == AV_CODEC_ID_H264)
        out.refFrames =
            vexen::H264ReferenceFrames(par.extradata, static_cast<std::size_t>(std::max(0, par.extradata_size)));
    out.sarDen = 1;
    out.maxKeyDistanceMs = -1;
    if (par.codec_type == AVMEDIA_TYPE_VIDEO) {
        CopyText(out.pixelFormat, av_get_pix_fmt_name(static_cast<AVPixelFormat>(par.format)));
        out.width = par.width;
        out.height = par.height;
        AVRational sar = stream.sample_aspect_ratio.num > 0 ? stream.sample_aspect_ratio : par.sample_aspect_ratio;
        if (sar.num > 0 && sar.den > 0) {
            out.sarNum = sar.num;
            out.sarDen = sar.den;
        }
        AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
        if (rate.num > 0 && rate.den > 0) {
            out.rateNum = rate.num;
            out.rateDen = rate.den;
        }
        out.variableRate = Differ(stream.avg_frame_rate, stream.r_frame_rate) ? 1 : 0;
        out.rotation = vexen::DisplayRotation(stream);
        out.fieldOrder = FieldOrder(par.field_order);
        out.colorTransfer = par.color_trc;
        out.colorPrimaries = par.color_primaries;
        out.colorSpace = par.color_space;
    }
    out.bitsPerRawSample = BitsPerSample(par);
    out.bitRate = std::max<int64_t>(par.bit_rate, 0);
    if (par.codec_type == AVMEDIA_TYPE_AUDIO) {
        out.sampleRate = par.sample_rate;
        out.channels = par.ch_layout.nb_channels;
    }
    CopyText(out.language, Tag(stream, "language"));
    CopyText(out.title, Tag(stream, "title"));
    out.attachedPicture = stream.disposition & AV_DISPOSITION_ATTACHED_PIC ? 1 : 0;
}

struct KeyScan {
    int64_t firstSeen = AV_NOPTS_VALUE; // microseconds
    int64_t lastKey = AV_NOPTS_VALUE;
    int64_t lastSeen = AV_NOPTS_VALUE;
    int64_t largest = 0;
    bool done = false;
};

// The largest gap between key frames, counting the open gap after the last key frame seen,
// so that a single key frame in the scan reports at least the scanned length.
void ScanKeyFrames(AVFormatContext& format, StreamFacts* facts)
{
    std::vector<KeyScan> scans(format.nb_streams);
    int pending = 0;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (facts[i].kind == VEXEN_KIND_VIDEO)
            ++pending;
        else
            scans[i].done = true;
    }
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return;
    for (int n = 0; pending > 0 && n < kScanPacketLimit && av_read_frame(&format, packet) >= 0; ++n) {
        unsigned i = static_cast<unsigned>(packet->stream_index);
        int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (i < format.nb_streams && !scans[i].done && stamp != AV_NOPTS_VALUE) {
            KeyScan& scan = scans[i];
            StreamFacts& out = facts[i];
            if (out.refFrames == 0 && out.index >= 0 && format.streams[i]->codecpar->codec_id == AV_CODEC_ID_H264 &&
                format.streams[i]->codecpar->extradata_size == 0)
                out.refFrames = vexen::H264ReferenceFrames(packet->data, static_cast<std::size_t>(packet->size));
            int64_t time = av_rescale_q(stamp, format.streams[i]->time_base, AVRational{1, 1000000});
            if (scan.lastSeen == AV_NOPTS_VALUE || time > scan.lastSeen)
                scan.lastSeen = time;
            if (packet->flags & AV_PKT_FLAG_KEY) {
                if (scan.lastKey != AV_NOPTS_VALUE)
                    scan.largest = std::max(scan.largest, time - scan.lastKey);
                if (scan.lastKey == AV_NOPTS_VALUE || time > scan.lastKey)
                    scan.lastKey = time;
            }
            if (scan.firstSeen == AV_NOPTS_VALUE)
                scan.firstSeen = time;
            if (scan.lastSeen - scan.firstSeen >= kScanMicroseconds) {
                scan.done = true;
                --pending;
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const KeyScan& scan = scans[i];
        if (facts[i].kind != VEXEN_KIND_VIDEO || scan.lastKey == AV_NOPTS_VALUE)
            continue;
        // A frame lasts until the next one, so the open gap reaches one frame past the last seen.
        int64_t open = scan.lastSeen - scan.lastKey;
        if (facts[i].rateNum > 0)
            open += av_rescale(1000000, facts[i].rateDen, facts[i].rateNum);
        facts[i].maxKeyDistanceMs = std::max(scan.largest, open) / 1000;
    }
}

} // namespace

StreamFacts* vexen::ReadStreamFacts(AVFormatContext& format)
{
    if (format.nb_streams == 0)
        return nullptr;
    auto* array = static_cast<StreamFacts*>(std::calloc(format.nb_streams, sizeof(StreamFacts)));
    if (!array)
        return nullptr;
    try {
        for (unsigned i = 0; i < format.nb_streams; ++i)
            Fill(*format.streams[i], array[i]);
        ScanKeyFrames(format, array);
    } catch (...) {
        std::free(array);
        throw;
    }
    return array;
}

extern "C" int32_t GetStreamFacts(const char* path, StreamFacts** facts, int32_t* count)
{
    if (facts)
        *facts = nullptr;
    if (count)
        *count = 0;
    if (!facts || !count)
        return -1;
    AVFormatContext* format = vexen::OpenLocalInput(path);
    if (!format)
        return -1;
    StreamFacts* array = nullptr;
    try {
        if (avformat_find_stream_info(format, nullptr) >= 0)
            array = vexen::ReadStreamFacts(*format);
    } catch (...) { // nothing may cross the C interface; the file then counts as unreadable
        array = nullptr;
    }
    int32_t streams = array ? static_cast<int32_t>(format->nb_streams) : 0;
    avformat_close_input(&format);
    *facts = array;
    *count = streams;
    return array ? 0 : -1;
}

extern "C" void FreeStreamFacts(StreamFacts* facts)
{
    std::free(facts);
}
