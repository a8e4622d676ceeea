#include "bluvat/readers/graphics_stream_reader.h"

#include <algorithm>

#include "bluvat/readers/graphics_segments.h"
#include "bluvat/stream_types.h"

namespace bluvat {
namespace {

constexpr uint64_t kLargestFile = 1u << 30;

// The stamps count in the 90 kHz clock of the PES packets the segments came from.
uint64_t ClockOf(uint32_t stamp)
{
    return uint64_t{stamp} * 300;
}

} // namespace

GraphicsStreamReader::GraphicsStreamReader(std::string path)
    : SourceReader(SourceKind::GraphicsStream), path_(std::move(path))
{
}

bool GraphicsStreamReader::Scan()
{
    if (!file_.Open(path_) || file_.size() > kLargestFile)
        return false;
    file_.ReadAt(0, file_.size(), data_);
    ProgramEntry entry;
    entry.streamType = kPresentationGraphics;
    entry.pid = kGraphicsPid;
    entries_.push_back(entry);

    // Walk segment by segment: the last stamp is that of the last whole segment.
    std::size_t pos = 0;
    while (pos + kGraphicsHeader <= data_.size()) {
        auto s = IsGraphicsMagic(&data_[pos]) ? ParseGraphicsSegment(std::span<const uint8_t>(data_).subspan(pos))
                                              : std::nullopt;
        if (!s) {
            ++pos;
            continue;
        }
        if (firstPcr_ == kNoClock)
            firstPcr_ = ClockOf(s->pts);
        lastPcr_ = ClockOf(s->pts);
        pos += s->length;
    }
    ScanAttributes(*this, entries_);
    Seek(kNoClock);
    return true;
}

bool GraphicsStreamReader::NextGroup(std::vector<PesPacket>& group)
{
    while (pos_ + kGraphicsHeader <= data_.size()) {
        auto s = IsGraphicsMagic(&data_[pos_]) ? ParseGraphicsSegment(std::span<const uint8_t>(data_).subspan(pos_))
                                               : std::nullopt;
        if (!s) {
            ++pos_; // not at a segment: look for the next "PG"
            continue;
        }
        pos_ += s->length;
        clock_ = std::max(clock_, ClockOf(s->dts ? s->dts : s->pts));
        PassClock(clock_);
        PassPts(s->pts, kGraphicsPid);
        PesPacket packet;
        packet.pid = kGraphicsPid;
        packet.bytes = GraphicsSegmentPes(*s);
        group.push_back(std::move(packet));
        return true;
    }
    return false;
}

void GraphicsStreamReader::Seek(uint64_t)
{
    pos_ = 0;
    clock_ = 0;
}

} // namespace bluvat
