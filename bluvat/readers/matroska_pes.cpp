#include "bluvat/readers/matroska_pes.h"

#include <algorithm>

#include "bluvat/readers/pes_timestamp.h"
#include "bluvat/stream_types.h"
#include "platform/byte_writer.h"

namespace bluvat {
namespace {

// The longest PES header, a decoding time added later, an access unit delimiter put in front.
constexpr std::size_t kPesRoom = 19 + 5 + 6;

bool StartsWithSequenceHeader(std::span<const uint8_t> frame)
{
    return frame.size() >= 4 && frame[0] == 0 && frame[1] == 0 && frame[2] == 1 && frame[3] == 0xB3;
}

} // namespace

std::vector<uint8_t> MatroskaFramePes(const MatroskaTrack& track, uint64_t pts, bool keyFrame,
                                      const std::vector<std::span<const uint8_t>>& frames, bool& intact,
                                      std::vector<uint8_t> storage, bool decodeTimeFollows)
{
    pts &= (uint64_t{1} << 33) - 1;
    // Room for the whole packet at once: growing it frame by frame copies it over and again.
    std::size_t room = kPesRoom + track.codecPrivate.size() + track.avc.parameterSets.size();
    for (std::span<const uint8_t> frame : frames) {
        unsigned prefix = std::max(1u, track.avc.lengthSize);
        // An H.264 length prefix shorter than a start code makes each unit longer by the difference.
        room += frame.size() +
                (track.streamType == kAvcVideo ? frame.size() * (4 - std::min(prefix, 4u)) / (prefix + 1) : 0);
    }
    storage.clear();
    storage.reserve(room);
    platform::BigEndianWriter w(std::move(storage));
    switch (track.streamType) {
    case kMpeg2Video:
    case kAvcVideo:
        if (decodeTimeFollows) { // inserting it later would move the whole frame
            w.u32(0x000001E0).u16(0).u8(0x84).u8(0xC0).u8(0x0A);
            PutPesTimestamp(w, 0x3, pts);
            PutPesTimestamp(w, 0x1, pts);
            break;
        }
        w.u32(0x000001E0).u16(0).u8(0x84).u8(0x80).u8(0x05);
        PutPesTimestamp(w, 0x2, pts);
        break;
    case kVc1Video:
        w.u32(0x000001FD).u16(0).u8(0x84).u8(0x81).u8(0x08);
        PutPesTimestamp(w, 0x2, pts);
        w.u8(0x01).u8(0x81).u8(0x55);
        break;
    default:
        w.u32(0x000001BD).u16(0).u8(0x84).u8(0x81).u8(0x08);
        PutPesTimestamp(w, 0x2, pts);
        w.u8(0x01).u8(0x81).u8(0x71);
        break;
    }
    auto& out = w.data();
    for (std::span<const uint8_t> frame : frames) {
        if (track.streamType == kAvcVideo) {
            intact = AppendAnnexB(frame, track.avc, keyFrame, out) && intact;
            continue;
        }
        if (track.streamType == kMpeg2Video && keyFrame && !StartsWithSequenceHeader(frame))
            w.bytes(track.codecPrivate);
        w.bytes(frame.data(), frame.size());
    }
    w.PatchU16(4, PesLengthField(out.size()));
    return w.take();
}

int64_t ReorderDelay(const std::vector<int64_t>& presentationTimes)
{
    std::vector<int64_t> sorted = presentationTimes;
    std::sort(sorted.begin(), sorted.end());
    int64_t delay = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i)
        delay = std::max(delay, sorted[i] - presentationTimes[i]);
    return delay;
}

std::vector<int64_t> DecodeTimes(const std::vector<int64_t>& presentationTimes, int64_t reorderDelay)
{
    std::vector<int64_t> times = presentationTimes;
    std::sort(times.begin(), times.end());
    for (std::size_t i = 0; i < times.size(); ++i)
        times[i] = std::min(times[i] - reorderDelay, presentationTimes[i]);
    return times;
}

void AddDecodeTimestamp(std::vector<uint8_t>& pes, uint64_t dts)
{
    platform::BigEndianWriter field;
    PutPesTimestamp(field, 0x1, dts & ((uint64_t{1} << 33) - 1));
    if (pes.size() >= 19 && pes[8] == 10 && (pes[7] & 0xC0) == 0xC0) {
        std::copy(field.data().begin(), field.data().end(), pes.begin() + 14);
        return;
    }
    if (pes.size() < 14 || pes[8] != 5)
        return;
    pes[7] = 0xC0;
    pes[8] = 10;
    pes[9] = static_cast<uint8_t>((pes[9] & 0x0F) | 0x30);
    pes.insert(pes.begin() + 14, field.data().begin(), field.data().end());
    uint32_t length = PesLengthField(pes.size());
    pes[4] = static_cast<uint8_t>(length >> 8);
    pes[5] = static_cast<uint8_t>(length);
}

} // namespace bluvat
