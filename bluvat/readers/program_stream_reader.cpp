#include "bluvat/readers/program_stream_reader.h"

#include <algorithm>

#include "bluvat/readers/pes_timestamp.h"
#include "bluvat/stream_types.h"
#include "platform/byte_writer.h"

namespace bluvat {
namespace {

constexpr std::size_t kScanBytes = 18481152;
constexpr std::size_t kWindowBytes = 4u << 20;
constexpr std::size_t kLargestUnit = 6 + 65535;

// Bytes of the DVD sub-stream header before the audio frames: id, frame count, first access unit.
constexpr std::size_t kSubStreamHeader = 4;

bool IsDvdLpcm(uint8_t id)
{
    return id >= 0xA0 && id <= 0xA7;
}

bool CarriedSubStream(uint8_t id)
{
    // DVD sub-pictures are bitmaps of another format than presentation graphics: not carried.
    return (id >= 0x80 && id <= 0x8F) || IsDvdLpcm(id) || (id >= 0xB0 && id <= 0xB7) || (id >= 0xC0 && id <= 0xCF);
}

bool HoldsSequenceStart(std::span<const uint8_t> p, uint8_t streamType)
{
    for (std::size_t i = 0; i + 3 < p.size(); ++i) {
        if (p[i] != 0 || p[i + 1] != 0 || p[i + 2] != 1)
            continue;
        if (streamType == kMpeg2Video ? p[i + 3] == 0xB3 : (p[i + 3] & 0x1F) == 7)
            return true;
    }
    return false;
}

PesPacket Rebuild(uint16_t pid, uint8_t streamId, std::optional<uint64_t> pts, std::optional<uint64_t> dts,
                  std::span<const uint8_t> payload)
{
    platform::BigEndianWriter w(payload.size() + 19);
    bool both = pts && dts && *dts != *pts;
    w.u32(0x00000100 | streamId).u16(0).u8(0x80).u8(both ? 0xC0 : pts ? 0x80 : 0x00).u8(both ? 10 : pts ? 5 : 0);
    if (pts)
        PutPesTimestamp(w, both ? 0x3 : 0x2, *pts);
    if (both)
        PutPesTimestamp(w, 0x1, *dts);
    w.bytes(payload.data(), payload.size());
    w.PatchU16(4, PesLengthField(w.size()));
    PesPacket packet;
    packet.pid = pid;
    packet.priority = (streamId & 0xF0) != 0xE0; // audio: the core substream
    packet.bytes = w.take();
    return packet;
}

} // namespace

ProgramStreamReader::ProgramStreamReader(std::string path)
    : SourceReader(SourceKind::ProgramStream), path_(std::move(path))
{
}

bool ProgramStreamReader::Scan()
{
    if (!file_.Open(path_))
        return false;
    std::vector<uint8_t> head;
    file_.ReadAt(0, std::min<uint64_t>(file_.size(), kScanBytes), head);
    entries_ = ScanProgramStreamEntries(head, [this](int percent) { ReportOpenProgress(percent); });
    head = {};

    Seek(kNoClock);
    while (const uint8_t* p = Peek(14)) {
        if (p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] == kPackStartId) {
            if (auto pack = ParsePackHeader({p, 14})) {
                firstPcr_ = pack->scr;
                break;
            }
        }
        if (windowStart_ + pos_ > kScanBytes)
            break;
        ++pos_;
    }
    FindLastClock();
    if (!entries_.empty())
        ScanAttributes(*this, entries_);
    Seek(kNoClock);
    return true;
}

void ProgramStreamReader::FindLastClock()
{
    uint64_t size = file_.size();
    uint64_t from = size > kScanBytes ? size - kScanBytes : 0;
    std::vector<uint8_t> tail;
    file_.ReadAt(from, size - from, tail);
    for (std::size_t i = tail.size(); i-- > 0;) {
        if (i + 4 <= tail.size() && tail[i] == 0 && tail[i + 1] == 0 && tail[i + 2] == 1 &&
            tail[i + 3] == kPackStartId) {
            if (auto pack = ParsePackHeader(std::span<const uint8_t>(tail).subspan(i))) {
                lastPcr_ = pack->scr;
                return;
            }
        }
    }
    if (firstPcr_ == kNoClock)
        lastPcr_ = kNoClock;
}

const uint8_t* ProgramStreamReader::Peek(std::size_t n)
{
    if (window_.size() - pos_ >= n)
        return window_.data() + pos_;
    uint64_t at = windowStart_ + pos_;
    if (at >= file_.size())
        return nullptr;
    file_.ReadAt(at, std::max(n, kWindowBytes), window_);
    windowStart_ = at;
    pos_ = 0;
    return window_.size() >= n ? window_.data() : nullptr;
}

bool ProgramStreamReader::NextGroup(std::vector<PesPacket>& group)
{
    while (const uint8_t* p = Peek(4)) {
        if (!(p[0] == 0 && p[1] == 0 && p[2] == 1 && p[3] >= kProgramEndId)) {
            ++pos_; // lost sync: look for the next start code
            continue;
        }
        if (p[3] == kProgramEndId) {
            pos_ += 4;
            continue;
        }
        if (p[3] == kPackStartId) {
            const uint8_t* q = Peek(14);
            std::size_t length = q && (q[4] & 0xC0) == 0x40 ? 14 + (q[13] & 7) : 14;
            q = q ? Peek(length) : nullptr;
            auto pack = q ? ParsePackHeader({q, length}) : std::nullopt;
            if (!pack) {
                ++pos_;
                continue;
            }
            pos_ += pack->length;
            PassClock(pack->scr);
            return true;
        }
        const uint8_t* q = Peek(6);
        std::size_t length = q ? 6 + ((q[4] << 8) | q[5]) : 0;
        const uint8_t* unit = q ? Peek(length) : nullptr;
        auto pes = unit ? ParseProgramStreamPes({unit, length}) : std::nullopt;
        if (!pes) {
            ++pos_;
            continue;
        }
        Take(*pes, group);
        pos_ += pes->length;
    }
    FlushVideo(group);
    return false;
}

void ProgramStreamReader::Take(const ProgramStreamPes& pes, std::vector<PesPacket>& group)
{
    uint16_t pid = pes.streamId;
    std::span<const uint8_t> payload = pes.payload;
    if (pes.streamId == kPrivateStream1) {
        if (payload.empty() || !CarriedSubStream(payload[0]))
            return;
        pid = payload[0];
        if (!IsDvdLpcm(payload[0]))
            payload = payload.subspan(std::min(payload.size(), kSubStreamHeader));
    }
    auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const ProgramEntry& e) { return e.pid == pid; });
    if (entry == entries_.end())
        return;
    if (pes.pts)
        PassPts(*pes.pts, pid);
    if (pes.streamId == kPrivateStream1 && IsDvdLpcm(static_cast<uint8_t>(pid))) {
        std::vector<DvdLpcmRepacker::Frame> frames;
        lpcm_[pid].Push(payload, pes.pts, frames);
        for (auto& frame : frames)
            group.push_back(Rebuild(pid, pes.streamId, frame.pts, std::nullopt, frame.bytes));
        return;
    }
    if (entry->streamType != kMpeg2Video && entry->streamType != kAvcVideo) {
        group.push_back(Rebuild(pid, pes.streamId, pes.pts, pes.dts, payload));
        return;
    }
    // Video: one PES per time-stamped picture, so that entry points see whole access units.
    auto open = video_.find(pid);
    if (pes.pts && open != video_.end()) {
        group.push_back(std::move(open->second));
        video_.erase(open);
        open = video_.end();
    }
    if (open == video_.end()) {
        video_.emplace(pid, Rebuild(pid, pes.streamId, pes.pts, pes.dts, payload));
    } else {
        auto& bytes = open->second.bytes;
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        uint32_t length = PesLengthField(bytes.size());
        bytes[4] = static_cast<uint8_t>(length >> 8);
        bytes[5] = static_cast<uint8_t>(length);
    }
    PesPacket& gathered = video_.at(pid);
    gathered.keyFrame = gathered.keyFrame || HoldsSequenceStart(payload, entry->streamType);
}

void ProgramStreamReader::FlushVideo(std::vector<PesPacket>& group)
{
    for (auto& [pid, packet] : video_)
        group.push_back(std::move(packet));
    video_.clear();
}

void ProgramStreamReader::Seek(uint64_t)
{
    window_.clear();
    windowStart_ = 0;
    pos_ = 0;
    video_.clear();
    lpcm_.clear();
}

} // namespace bluvat
