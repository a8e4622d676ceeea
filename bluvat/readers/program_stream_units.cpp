#include "bluvat/readers/program_stream_units.h"

#include <algorithm>

#include "bluvat/readers/pes_packet.h"
#include "bluvat/stream_types.h"

namespace bluvat {

std::optional<PackHeader> ParsePackHeader(std::span<const uint8_t> d)
{
    if (d.size() < 12)
        return std::nullopt;
    PackHeader h;
    if ((d[4] & 0xC0) == 0x40) { // MPEG-2: 33-bit base and 9-bit extension
        if (d.size() < 14)
            return std::nullopt;
        uint64_t base = (uint64_t{d[4] >> 3 & 7u} << 30) | (uint64_t{d[4] & 3u} << 28) | (uint64_t{d[5]} << 20) |
                        (uint64_t{d[6] >> 3 & 0x1Fu} << 15) | (uint64_t{d[6] & 3u} << 13) | (uint64_t{d[7]} << 5) |
                        (d[8] >> 3);
        uint64_t ext = (uint64_t{d[8] & 3u} << 7) | (d[9] >> 1);
        h.scr = base * 300 + ext;
        h.length = 14 + (d[13] & 7);
        if (d.size() < h.length)
            return std::nullopt;
        return h;
    }
    if ((d[4] & 0xF0) == 0x20) { // MPEG-1: a 90 kHz reference
        h.scr = ReadTimestamp(&d[4]) * 300;
        h.length = 12;
        return h;
    }
    return std::nullopt;
}

std::optional<ProgramStreamPes> ParseProgramStreamPes(std::span<const uint8_t> d)
{
    if (d.size() < 6)
        return std::nullopt;
    ProgramStreamPes pes;
    pes.streamId = d[3];
    pes.length = 6 + ((d[4] << 8) | d[5]);
    if (d.size() < pes.length)
        return std::nullopt;
    d = d.first(pes.length);
    std::size_t pos = 6;
    if (pes.length >= 9 && (d[6] & 0xC0) == 0x80) {
        std::size_t payload = 9 + d[8];
        if (payload > d.size())
            return std::nullopt;
        if ((d[7] & 0x80) && payload >= 14)
            pes.pts = ReadTimestamp(&d[9]);
        if ((d[7] & 0xC0) == 0xC0 && payload >= 19)
            pes.dts = ReadTimestamp(&d[14]);
        pes.payload = d.subspan(payload);
        return pes;
    }
    // MPEG-1: stuffing, an optional buffer size, then the time stamps
    while (pos < d.size() && d[pos] == 0xFF)
        ++pos;
    if (pos < d.size() && (d[pos] & 0xC0) == 0x40)
        pos += 2;
    if (pos >= d.size())
        return std::nullopt;
    if ((d[pos] & 0xF0) == 0x20 && pos + 5 <= d.size()) {
        pes.pts = ReadTimestamp(&d[pos]);
        pos += 5;
    } else if ((d[pos] & 0xF0) == 0x30 && pos + 10 <= d.size()) {
        pes.pts = ReadTimestamp(&d[pos]);
        pes.dts = ReadTimestamp(&d[pos + 5]);
        pos += 10;
    } else if (d[pos] == 0x0F) {
        ++pos;
    } else {
        return std::nullopt;
    }
    pes.payload = d.subspan(pos);
    return pes;
}

namespace {

uint8_t PrivateStreamType(uint8_t id)
{
    if (id >= 0x20 && id <= 0x3F)
        return kPresentationGraphics;
    if (id >= 0x80 && id <= 0x87)
        return kAc3Audio;
    if (id >= 0x88 && id <= 0x8F)
        return kDtsHdAudio;
    if (id >= 0xA0 && id <= 0xA7)
        return kLpcmAudio;
    if (id >= 0xB0 && id <= 0xB7)
        return kTrueHdAudio;
    if (id >= 0xC0 && id <= 0xCF)
        return kEac3Audio;
    return 0;
}

// The stream-id extension of an 0xFD packet, 0 when its header carries none.
uint8_t StreamIdExtension(std::span<const uint8_t> d, std::size_t s)
{
    // s is the stream id; flags at s+3, s+4, header length at s+5, optional fields from s+6
    if (s + 6 >= d.size() || !(d[s + 4] & 0x01))
        return 0;
    std::size_t pos = s + 6;
    uint8_t flags = d[s + 4];
    if (flags & 0x80)
        pos += 5;
    if (flags & 0x40)
        pos += 5;
    if (flags & 0x20)
        pos += 6;
    if (flags & 0x10)
        pos += 3;
    if (flags & 0x08)
        pos += 1;
    if (flags & 0x04)
        pos += 2;
    if (pos + 3 >= d.size())
        return 0;
    uint8_t ext = d[pos];
    if (!(ext & 0x01) || d[pos + 1] != 0x81) // second extension flag, field length byte
        return 0;
    return d[pos + 2] & 0x7F;
}

} // namespace

std::vector<ProgramEntry> ScanProgramStreamEntries(std::span<const uint8_t> d, const std::function<void(int)>& progress)
{
    std::vector<ProgramEntry> entries;
    auto known = [&](uint16_t id) {
        return std::any_of(entries.begin(), entries.end(), [&](const ProgramEntry& e) { return e.pid == id; });
    };
    auto add = [&](uint16_t id, uint8_t type) {
        ProgramEntry e;
        e.streamType = type;
        e.pid = id;
        entries.push_back(e);
        return &entries.back();
    };
    const std::size_t n = d.size();
    std::size_t i = 3;
    while (i < n) {
        if (progress)
            progress(static_cast<int>(static_cast<uint64_t>(i) * 50 / n));
        if (!(d[i - 3] == 0 && d[i - 2] == 0 && d[i - 1] == 1)) {
            ++i;
            continue;
        }
        const std::size_t s = i;
        const uint8_t id = d[s];
        if (id == kPackStartId) {
            if (s + 10 >= n)
                break;
            i = s + 11 + (d[s + 10] & 7);
            continue;
        }
        if (s + 5 < n) {
            std::size_t payload = s + 6 + d[s + 5];
            if (id == kPrivateStream1 && payload < n) {
                uint8_t sub = d[payload];
                uint8_t type = PrivateStreamType(sub);
                if (type && !known(sub))
                    add(sub, type);
            } else if (id >= 0xC0 && id <= 0xDF) {
                if (!known(id))
                    add(id, 0x04);
            } else if (id >= 0xE0 && id <= 0xEF && !known(id)) {
                if (payload + 4 > n)
                    break;
                const uint8_t* b = &d[payload];
                if (b[2] == 0 && b[3] == 1)
                    add(id, kAvcVideo);
                else if (b[0] == 0 && b[1] == 0 && b[2] == 1)
                    add(id, kMpeg2Video);
            } else if (id == 0xFD) {
                uint8_t ext = StreamIdExtension(d, s);
                if (ext && !known(ext)) {
                    static const uint8_t vc1[] = {0x05, 0x05, 'V', 'C', '-', '1', 0xFF};
                    add(ext, kVc1Video)->descriptors.assign(std::begin(vc1), std::end(vc1));
                }
            }
        }
        if (s + 2 >= n)
            break;
        i = s + 3 + ((d[s + 1] << 8) | d[s + 2]);
    }
    return entries;
}

} // namespace bluvat
