#include "bluvat/readers/graphics_segments.h"

#include "bluvat/readers/pes_timestamp.h"
#include "platform/byte_writer.h"

namespace bluvat {

bool IsGraphicsMagic(const uint8_t* p)
{
    return (p[0] == 'P' || p[0] == 'p') && (p[1] == 'G' || p[1] == 'g');
}

std::optional<GraphicsSegment> ParseGraphicsSegment(std::span<const uint8_t> data)
{
    platform::BigEndianReader r(data.data(), data.size());
    r.skip(2);
    GraphicsSegment s;
    s.pts = r.u32();
    s.dts = r.u32();
    r.skip(1);
    std::size_t size = r.u16();
    if (r.failed() || size > r.remaining())
        return std::nullopt;
    s.length = kGraphicsHeader + size;
    s.segment = data.subspan(10, 3 + size);
    return s;
}

std::vector<uint8_t> GraphicsSegmentPes(const GraphicsSegment& s)
{
    bool withDts = s.dts != 0;
    std::size_t h = withDts ? 10 : 5;
    platform::BigEndianWriter w(9 + h + s.segment.size());
    w.u32(0x000001BD).u16(0).u8(0x81).u8(withDts ? 0xC0 : 0x80).u8(h);
    PutPesTimestamp(w, withDts ? 0x3 : 0x2, s.pts);
    if (withDts)
        PutPesTimestamp(w, 0x1, s.dts);
    w.bytes(s.segment.data(), s.segment.size());
    w.PatchU16(4, PesLengthField(w.size()));
    return w.take();
}

} // namespace bluvat
