#include "bluvat/writers/m2ts_writer.h"

#include "bluvat/crc32.h"
#include "bluvat/readers/audio_frames.h"
#include "bluvat/readers/codec_headers.h"
#include "bluvat/report.h"
#include "bluvat/stream_types.h"
#include "platform/byte_writer.h"

#include <algorithm>
#include <cstring>

namespace bluvat {

namespace {
constexpr std::size_t kOutputBuffer = 1 << 20; // small enough to stay in the processor caches
constexpr uint64_t kPtsWrap = uint64_t(1) << 33;
constexpr uint64_t kAtsWrap = uint64_t(1) << 30;
constexpr uint64_t kOneSecond = 27000000;
constexpr int64_t kPtsJump = 360000;                      // 4 s at 90 kHz
constexpr uint64_t kClockJump = uint64_t(kPtsJump) * 300; // the same jump on the 27 MHz clock
constexpr std::size_t npos = static_cast<std::size_t>(-1);
constexpr std::size_t kMostHeldAudio = 16u << 20; // far more than the audio of a second

uint16_t FirstPidOfRange(uint8_t type)
{
    if (IsVideoType(type))
        return 0x1011;
    if (IsAudioType(type))
        return 0x1100;
    switch (type) {
    case kPresentationGraphics: return 0x1200;
    case kInteractiveGraphics: return 0x1400;
    case kTextSubtitle: return 0x1800;
    }
    return 0;
}

// Splits a section into transport packets of `pid`, the first one starting the unit.
std::vector<uint8_t> SectionPackets(const std::vector<uint8_t>& section, uint16_t pid)
{
    std::vector<uint8_t> out;
    std::size_t at = 0;
    uint8_t counter = 1;
    while (at < section.size() || out.empty()) {
        bool first = out.empty();
        platform::BigEndianWriter p(188);
        p.u8(0x47).u16((first ? 0x4000 : 0) | pid).u8(0x10 | (counter++ & 0x0F));
        if (first)
            p.u8(0x00); // pointer field
        std::size_t take = std::min(section.size() - at, 188 - p.size());
        p.bytes(section.data() + at, take);
        at += take;
        p.fill(188 - p.size(), 0xFF);
        out.insert(out.end(), p.data().begin(), p.data().end());
    }
    return out;
}

void AppendCrc(platform::BigEndianWriter& section)
{
    section.u32(Crc32Mpeg2(section.data().data(), section.size()));
}

int CheckedPesHeader(const std::vector<uint8_t>& b)
{
    if (b.size() < kPesFixedHeader) {
        ReportError("Invalid PES header length");
        return 0;
    }
    if (b[0] != 0 || b[1] != 0 || b[2] != 1) {
        ReportError("Invalid PES prefix");
        return 0;
    }
    std::size_t header = kPesFixedHeader + b[8];
    std::size_t length = (std::size_t(b[4]) << 8) | b[5];
    if (length != 0 && length + 6 < header) {
        ReportError("Invalid PES header/packet length");
        return 0;
    }
    if (b.size() < header) {
        ReportError("PES Header too short");
        return 0;
    }
    return static_cast<int>(header);
}

// The byte after 00 00 01 that ends a sequence, and the one that starts one, per video type.
// and the ones that start picture data (an H.264 slice of either kind).
struct VideoCodes {
    uint8_t endMask = 0, end = 1, sequenceMask = 0, sequence = 1; // matching nothing
    uint8_t pictureMask = 0, picture = 1, picture2 = 1;
};

VideoCodes VideoCodesOf(uint8_t type)
{
    switch (type) {
    case kMpeg2Video: return {0xFF, 0xB7, 0xFF, 0xB3, 0xFF, 0x00, 0x00};
    case kAvcVideo: return {0x9F, 0x0B, 0x9F, 0x07, 0x1F, 0x01, 0x05};
    case kVc1Video: return {0xFF, 0x0A, 0xFF, 0x0F, 0xFF, 0x0D, 0x0C};
    }
    return {};
}

constexpr std::size_t kEndCodeWindow = 64;

int64_t PtsDifference(uint64_t from, uint64_t to)
{
    int64_t d = static_cast<int64_t>((to - from) & (kPtsWrap - 1));
    return d >= int64_t(kPtsWrap / 2) ? d - int64_t(kPtsWrap) : d;
}
} // namespace

std::vector<uint8_t> M2tsWriter::PatPacket()
{
    platform::BigEndianWriter s;
    s.u8(0x00)
        .u16(0xB000 | 17) // table id, section length
        .u16(0x0001)
        .u8(0xC1)
        .u8(0)
        .u8(0) // transport stream 1, version 0 current, section 0 of 0
        .u16(0x0000)
        .u16(0xE000 | 0x001F) // program 0 -> network information
        .u16(0x0001)
        .u16(0xE000 | kPmtPid);
    AppendCrc(s);
    return SectionPackets(s.data(), 0x0000);
}

std::vector<uint8_t> M2tsWriter::PmtPacket() const
{
    platform::BigEndianWriter s;
    s.u8(0x02)
        .u16(0xB000) // length patched below
        .u16(0x0001)
        .u8(0xC1)
        .u8(0)
        .u8(0)
        .u16(0xE000 | kPcrPid)
        .u16(0xF000 | 12)
        .u8(0x88)
        .u8(0x04)
        .u8(0x0F)
        .u8(0xFF)
        .u8(0x84)
        .u8(0xFC) // DTCP
        .u8(0x05)
        .u8(0x04)
        .text("HDMV"); // registration
    for (const OutputStream& o : streams_) {
        s.u8(o.streamType).u16(0xE000 | o.pid).u16(0xF000 | uint32_t(o.descriptors.size()));
        s.bytes(o.descriptors);
    }
    s.PatchU16(1, 0xB000 | uint32_t(s.size() - 3 + 4));
    AppendCrc(s);
    return SectionPackets(s.data(), kPmtPid);
}

std::vector<uint8_t> M2tsWriter::SitPacket()
{
    static constexpr uint8_t kHead[] = {0x47, 0x40, 0x1F, 0x11, 0x00, 0x7F, 0xF0, 0x19, 0xFF, 0xFF, 0xC1,
                                        0x00, 0x00, 0xF0, 0x0A, 0x63, 0x08, 0xC1, 0x5A, 0xAE, 0xFF, 0xFF,
                                        0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x80, 0x00, 0x34, 0x1E, 0xE7, 0x4E};
    platform::BigEndianWriter p(188);
    p.bytes(kHead, sizeof kHead).fill(188 - sizeof kHead, 0xFF);
    return p.take();
}

bool M2tsWriter::Open(const std::string& path, M2tsMode mode, const std::vector<ProgramEntry>& chosen)
{
    mode_ = mode;
    slotOfPid_.assign(8192, -1);
    std::array<uint16_t, 8192> nextPid{};
    bool remap = mode == M2tsMode::Bluray;
    for (const ProgramEntry& e : chosen) {
        if (slotOfPid_[e.pid] >= 0) {
            Report(2, 0, "Invalid/Duplicate StreamInfo");
            continue; // the stream still goes out, under the first entry's output PID
        }
        OutputStream o;
        o.streamType = e.streamType;
        o.pid = e.pid;
        if (remap) {
            uint16_t first = FirstPidOfRange(e.streamType);
            if (first == 0) {
                first = 0x1A00; // types outside the ranges keep a PID of their own
            }
            uint16_t& next = nextPid[first];
            o.pid = static_cast<uint16_t>(first + next++);
        }
        o.descriptors = e.descriptors;
        o.attributes = e.attributes;
        o.language = e.language;
        if (IsVideoType(o.streamType) && mainVideoType_ == 0) {
            mainVideoType_ = o.streamType;
            mainVideoSlot_ = static_cast<int>(streams_.size());
        }
        slotOfPid_[e.pid] = static_cast<int16_t>(streams_.size());
        streams_.push_back(std::move(o));
    }
    carries_.assign(streams_.size(), {});
    lastAudioPts_.assign(streams_.size(), 0);
    holdingAudio_ = remap && mainVideoSlot_ >= 0;
    bool created = file_.Create(path, kOutputBuffer);
    if (remap) {
        for (const auto& table : {PatPacket(), PmtPacket(), SitPacket()})
            for (std::size_t at = 0; at < table.size(); at += 188)
                QueuePacket(table.data() + at);
    }
    return created;
}

void M2tsWriter::KeepClockFromWrapping(uint64_t firstPcr, uint64_t lastPcr)
{
    // Time stamps run somewhat ahead of the clock and stale ones lag behind it.
    constexpr uint64_t kMargin = 10 * kOneSecond;
    if (firstPcr == kNoClock || lastPcr == kNoClock)
        return;
    uint64_t span = ClockDistance(firstPcr, lastPcr);
    if (firstPcr % kPcrWrap + span + kMargin < kPcrWrap)
        return;
    uint64_t shift = (firstPcr + kPcrWrap - kMargin) % kPcrWrap / 300 * 300; // the title starts at the margin
    clockGap_ = (clockGap_ + shift) % kPcrWrap;
    ptsOffset_ -= int64_t(shift / 300);
}

uint8_t* M2tsWriter::NewSlot()
{
    // The slots are overwritten whole, so the buffer only grows, never clears.
    std::size_t at = pendingBytes_;
    pendingBytes_ += slotSize();
    if (pending_.size() < pendingBytes_)
        pending_.resize(std::max(pendingBytes_, pending_.size() * 2));
    return pending_.data() + at;
}

void M2tsWriter::QueuePacket(const uint8_t* packet)
{
    std::memcpy(NewSlot() + slotSize() - 188, packet, 188);
}

void M2tsWriter::QueuePcrPacket(uint64_t pcr)
{
    uint8_t* p = NewSlot() + slotSize() - 188;
    uint64_t base = (pcr / 300) & (kPtsWrap - 1);
    uint64_t ext = pcr % 300;
    p[0] = 0x47;
    p[1] = kPcrPid >> 8;
    p[2] = kPcrPid & 0xFF;
    p[3] = 0x20 | (pcrContinuity_ & 0x0F);
    p[4] = 0xB7;
    p[5] = 0x10;
    p[6] = uint8_t(base >> 25);
    p[7] = uint8_t(base >> 17);
    p[8] = uint8_t(base >> 9);
    p[9] = uint8_t(base >> 1);
    p[10] = uint8_t(((base & 1) << 7) | 0x7E | (ext >> 8));
    p[11] = uint8_t(ext);
    std::memset(p + 12, 0xFF, 176);
}

void M2tsWriter::Packetize(const uint8_t* data, std::size_t n, uint16_t pid, bool priority)
{
    uint8_t& counter = continuity_[pid];
    bool first = true;
    while (n > 0) {
        uint8_t* p = NewSlot() + slotSize() - 188;
        p[0] = 0x47;
        p[1] = uint8_t((first ? 0x40 : 0) | (priority ? 0x20 : 0) | (pid >> 8));
        p[2] = uint8_t(pid);
        if (n >= 184) {
            p[3] = 0x10 | counter;
            std::memcpy(p + 4, data, 184);
            data += 184;
            n -= 184;
        } else {
            p[3] = 0x30 | counter;
            std::size_t stuffing = 183 - n; // adaptation field length
            p[4] = uint8_t(stuffing);
            if (stuffing > 0) {
                p[5] = 0x00;
                std::memset(p + 6, 0xFF, stuffing - 1);
            }
            std::memcpy(p + 5 + stuffing, data, n);
            n = 0;
        }
        counter = (counter + 1) & 0x0F;
        first = false;
    }
}

void M2tsWriter::WritePending(uint64_t base, uint64_t step)
{
    std::size_t n = pendingCount();
    if (mode_ != M2tsMode::Transport) {
        for (std::size_t k = 1; k <= n; ++k) {
            uint64_t ats = (base + k * step) % kAtsWrap;
            uint8_t* slot = pending_.data() + (k - 1) * 192;
            slot[0] = uint8_t((ats >> 24) & 0x3F);
            slot[1] = uint8_t(ats >> 16);
            slot[2] = uint8_t(ats >> 8);
            slot[3] = uint8_t(ats);
        }
    }
    file_.Write(pending_.data(), pendingBytes_);
    total_ += static_cast<uint32_t>(n);
    pendingBytes_ = 0;
}

void M2tsWriter::Clock(uint64_t sourcePcr)
{
    if (mode_ != M2tsMode::Transport && mode_ != M2tsMode::Timestamped && mode_ != M2tsMode::Bluray)
        return;
    if (pendingBytes_ == 0)
        return;
    uint64_t pcr = (sourcePcr + kPcrWrap - clockGap_ % kPcrWrap) % kPcrWrap;
    bool bluray = mode_ == M2tsMode::Bluray;
    if (!haveClock_) {
        haveClock_ = true;
        prevPcr_ = pcr;
        if (bluray)
            QueuePcrPacket(pcr);
        return;
    }
    uint64_t d = ClockDistance(prevPcr_, pcr);
    if (d > kClockJump) {
        // A jump in the source clock (or a step back): take it out, so the output clock runs on at
        // the last pace. Only jumps the video time stamps are shifted back for, else the two drift apart.
        clockGap_ = (clockGap_ + d - lastInterval_) % kPcrWrap;
        d = lastInterval_;
        pcr = (prevPcr_ + d) % kPcrWrap;
    } else if (d <= kOneSecond) {
        lastInterval_ = d;
    }
    if (bluray)
        QueuePcrPacket(pcr);
    uint64_t n = pendingCount();
    if (d / n > 0)
        step_ = d / n;
    WritePending(prevPcr_, step_);
    prevPcr_ = pcr;
}

void M2tsWriter::ShiftTimestamps(PesPacket& pes)
{
    std::vector<uint8_t>& b = pes.bytes;
    auto shifted = [this](uint64_t t) { return static_cast<uint64_t>(int64_t(t) + ptsOffset_) & (kPtsWrap - 1); };
    if (auto pts = PesPts(b))
        WriteTimestamp(&b[9], shifted(*pts));
    if (auto dts = PesDts(b))
        WriteTimestamp(&b[14], shifted(*dts));
}

void M2tsWriter::HandleMainVideo(PesPacket& pes, std::size_t header)
{
    std::vector<uint8_t>& b = pes.bytes;
    // Sequence headers come before the first picture of a PES, and end codes either there or in
    // its last bytes: picture data holds no start codes, so it need not be searched.
    VideoCodes codes = VideoCodesOf(mainVideoType_);
    const uint8_t* payload = b.data() + header;
    std::size_t n = b.size() - header;
    bool sequence = false;
    std::size_t end = npos;
    ForEachStartCode(payload, n, [&](std::size_t at, uint8_t code) {
        sequence |= (code & codes.sequenceMask) == codes.sequence;
        if (end == npos && (code & codes.endMask) == codes.end)
            end = at;
        return (code & codes.pictureMask) == codes.picture || (code & codes.pictureMask) == codes.picture2;
    });
    if (end == npos) {
        std::size_t tail = n > kEndCodeWindow ? n - kEndCodeWindow : 0;
        ForEachStartCode(payload + tail, n - tail, [&](std::size_t at, uint8_t code) {
            if ((code & codes.endMask) != codes.end)
                return false;
            end = tail + at;
            return true;
        });
    }
    if (end != npos) {
        b.erase(b.begin() + std::ptrdiff_t(header + end), b.begin() + std::ptrdiff_t(header + end + 4));
        std::size_t length = (std::size_t(b[4]) << 8) | b[5];
        if (length >= 4) {
            length -= 4;
            b[4] = uint8_t(length >> 8);
            b[5] = uint8_t(length);
        }
    }
    auto pts = PesPts(b);
    if (!pts)
        return;
    if (havePts_) {
        int64_t step = PtsDifference(prevPts_, *pts);
        if (step > kPtsJump || step < -kPtsJump)
            ptsOffset_ += int64_t(prevPts_) + prevPtsStep_ - int64_t(*pts);
        else
            prevPtsStep_ = step;
    }
    havePts_ = true;
    prevPts_ = *pts;

    uint64_t shifted = static_cast<uint64_t>(int64_t(*pts) + ptsOffset_) & (kPtsWrap - 1);
    // One frame is the smallest step between pictures in decoding order, whatever their order.
    if (haveVideoPts_) {
        int64_t gap = PtsDifference(prevVideoPts_, shifted);
        uint64_t size = static_cast<uint64_t>(gap < 0 ? -gap : gap);
        if (size > 0 && (frameTicks_ == 0 || size < frameTicks_))
            frameTicks_ = size;
        if (PtsDifference(lastVideoPts_, shifted) > 0)
            lastVideoPts_ = shifted;
    } else {
        lastVideoPts_ = shifted;
    }
    haveVideoPts_ = true;
    prevVideoPts_ = shifted;
    if (pes.keyFrame || sequence) {
        if (entries_.empty())
            inSourcePts_ = *pts;
        entries_.push_back({shifted, total_ + static_cast<uint32_t>(pendingCount())});
    }
}

uint64_t M2tsWriter::presentationEnd() const
{
    if (!haveVideoPts_)
        return 0;
    return lastVideoPts_ + frameTicks_;
}

void M2tsWriter::EmitAudioFrame(const uint8_t* frame, std::size_t n, uint64_t pts, const OutputStream& out)
{
    if (BeforeInTime(pts))
        return;
    uint8_t extension = 0x71;
    bool priority = true;
    if (out.streamType == kAc3Audio || out.streamType == kEac3Audio) {
        int bsid = n >= 6 ? Ac3BitstreamId(frame) : 0;
        bool dependent = bsid == 16 && n >= 3 && frame[2] >= 64 && frame[2] <= 127;
        if (dependent || (bsid != 6 && bsid != 8 && bsid != 16)) {
            extension = 0x72;
            priority = false;
        }
    } else if (out.streamType == kTrueHdAudio) {
        bool ac3 = n >= 2 && IsAc3Sync(frame);
        extension = ac3 ? 0x76 : 0x72;
        priority = ac3;
    }
    std::size_t length = 3 + 5 + 3 + n;
    work_.resize(17 + n);
    uint8_t* h = work_.data();
    h[0] = 0;
    h[1] = 0;
    h[2] = 1;
    h[3] = mode_ == M2tsMode::Bluray ? 0xFD : 0xBD;
    h[4] = length >= 65530 ? 0 : uint8_t(length >> 8);
    h[5] = length >= 65530 ? 0 : uint8_t(length);
    h[6] = 0x84;
    h[7] = 0x81;
    h[8] = 0x08;
    h[9] = 0x20;
    WriteTimestamp(h + 9, pts);
    h[14] = 0x01;
    h[15] = 0x81;
    h[16] = extension;
    std::memcpy(h + 17, frame, n);
    Packetize(work_.data(), work_.size(), out.pid, priority);
}

void M2tsWriter::RepackFrames(const uint8_t* payload, std::size_t n, const std::optional<uint64_t>& pts,
                              std::size_t slot)
{
    const OutputStream& out = streams_[slot];
    AudioCarry& carry = carries_[slot];
    bool dts = out.streamType == kDtsAudio || out.streamType == kDtsHdAudio || out.streamType == kDtsHdMasterAudio;
    std::size_t headerBytes = dts ? 10 : 7;
    auto frameSize = [&](const uint8_t* f) -> std::size_t {
        if (dts)
            return IsDtsSync(f) ? DtsFrameSize(f) : 0;
        return Ac3FrameSize(f);
    };
    auto frameTicks = [&](const uint8_t* f) { return dts ? DtsFrameTicks(f) : Ac3FrameTicks(f); };

    uint64_t nextPts = pts ? *pts : lastAudioPts_[slot];
    // The common case: one whole frame, nothing carried.
    if (!carry.active && n >= headerBytes && frameSize(payload) == n) {
        EmitAudioFrame(payload, n, nextPts, out);
        lastAudioPts_[slot] = nextPts + frameTicks(payload);
        return;
    }
    std::vector<uint8_t> buffer;
    std::size_t carried = 0;
    if (carry.active) {
        buffer = std::move(carry.bytes);
        carried = buffer.size();
    }
    buffer.insert(buffer.end(), payload, payload + n);
    uint64_t carryPts = carry.pts;
    carry = AudioCarry{};
    std::size_t at = 0;
    bool ptsTaken = false;
    while (at + headerBytes <= buffer.size()) {
        std::size_t size = frameSize(buffer.data() + at);
        if (size < headerBytes) {
            ++at; // not a frame start: look for the next sync word
            continue;
        }
        uint64_t framePts;
        if (at < carried) {
            framePts = carryPts;
        } else if (!ptsTaken && pts) {
            framePts = *pts;
            ptsTaken = true;
        } else {
            framePts = lastAudioPts_[slot];
            ptsTaken = true;
        }
        if (at + size > buffer.size()) {
            carry.active = true;
            carry.pts = framePts;
            carry.bytes.assign(buffer.begin() + std::ptrdiff_t(at), buffer.end());
            return;
        }
        EmitAudioFrame(buffer.data() + at, size, framePts, out);
        lastAudioPts_[slot] = (framePts + frameTicks(buffer.data() + at)) & (kPtsWrap - 1);
        at += size;
    }
    if (at < buffer.size()) {
        // a frame header cut off at the end of the payload
        carry.active = true;
        carry.pts = at < carried ? carryPts : (pts && !ptsTaken ? *pts : lastAudioPts_[slot]);
        carry.bytes.assign(buffer.begin() + std::ptrdiff_t(at), buffer.end());
    }
}

void M2tsWriter::WriteRaw(const PesPacket& pes, std::size_t header)
{
    const std::vector<uint8_t>& b = pes.bytes;
    switch (mode_) {
    case M2tsMode::Elementary: file_.Write(b.data() + header, b.size() - header); break;
    case M2tsMode::Pes: file_.Write(b.data(), b.size()); break;
    case M2tsMode::GraphicsFrames:
        if (auto pts = PesPts(b)) {
            platform::BigEndianWriter h(10);
            h.text("PG").u32(uint32_t(*pts)).u32(uint32_t(PesDts(b).value_or(0)));
            file_.Write(h.data().data(), h.size());
            file_.Write(b.data() + header, b.size() - header);
        }
        break;
    default: break;
    }
}

bool M2tsWriter::BeforeInTime(uint64_t pts) const
{
    // libbluray turns what lies before a clip's in time into null packets, and readers then stumble
    // on a stream whose first packets are gone. Far before it is a clock jump, not early audio.
    constexpr int64_t kEarliest = -60 * 90000;
    if (mode_ != M2tsMode::Bluray || entries_.empty())
        return false;
    int64_t d = PtsDifference(entries_.front().pts, pts);
    return d < 0 && d > kEarliest;
}

void M2tsWriter::ReleaseHeldAudio()
{
    holdingAudio_ = false;
    for (PesPacket& pes : heldAudio_)
        WriteStream(pes, std::size_t(slotOfPid_[pes.pid]), PesHeaderLength(pes.bytes.data(), pes.bytes.size()));
    heldAudio_.clear();
    heldAudio_.shrink_to_fit();
    heldBytes_ = 0;
}

void M2tsWriter::Write(PesPacket& pes)
{
    int slot = pes.pid < slotOfPid_.size() ? slotOfPid_[pes.pid] : -1;
    if (slot < 0)
        return;
    int header = CheckedPesHeader(pes.bytes);
    if (header == 0)
        return;
    if (mode_ == M2tsMode::Elementary || mode_ == M2tsMode::Pes || mode_ == M2tsMode::GraphicsFrames) {
        WriteRaw(pes, std::size_t(header));
        return;
    }
    if (holdingAudio_ && IsAudioType(streams_[std::size_t(slot)].streamType)) {
        heldBytes_ += pes.bytes.size();
        heldAudio_.push_back(std::move(pes));
        if (heldBytes_ > kMostHeldAudio)
            ReleaseHeldAudio(); // no entry point in sight: the audio goes out whole
        return;
    }
    WriteStream(pes, std::size_t(slot), std::size_t(header));
    if (holdingAudio_ && !entries_.empty())
        ReleaseHeldAudio();
}

void M2tsWriter::WriteStream(PesPacket& pes, std::size_t slot, std::size_t header)
{
    const OutputStream& out = streams_[slot];
    if (int(slot) == mainVideoSlot_)
        HandleMainVideo(pes, header);
    if (ptsOffset_ != 0)
        ShiftTimestamps(pes);
    const std::vector<uint8_t>& b = pes.bytes;
    const uint8_t* payload = b.data() + header;
    std::size_t n = b.size() - header;
    switch (out.streamType) {
    case kMpeg1Audio:
    case kMpeg2Audio:
    case kLpcmAudio:
        if (auto pts = PesPts(b); pts && BeforeInTime(*pts))
            break;
        Packetize(b.data(), b.size(), out.pid, true);
        break;
    case kAc3Audio:
    case kEac3Audio:
    case kDtsAudio: RepackFrames(payload, n, PesPts(b), slot); break;
    case kDtsHdAudio:
    case kDtsHdMasterAudio:
        // DTS-HD: the core travels in PES packets marked with transport priority; the rest is extension
        // data. Muxers that do not mark it still start the core's PES with its sync word.
        if (pes.priority || (n >= 4 && IsDtsSync(payload)))
            RepackFrames(payload, n, PesPts(b), slot);
        break;
    case kTrueHdAudio: {
        auto pts = PesPts(b);
        uint64_t t = pts ? *pts : lastAudioPts_[slot];
        lastAudioPts_[slot] = t;
        EmitAudioFrame(payload, n, t, out);
        break;
    }
    default: Packetize(b.data(), b.size(), out.pid, pes.priority); break;
    }
}

bool M2tsWriter::Finish()
{
    if (holdingAudio_)
        ReleaseHeldAudio();
    if (mode_ == M2tsMode::Bluray) {
        static constexpr uint8_t kNullHead[4] = {0x47, 0x1F, 0xFF, 0x10};
        while ((total_ + pendingCount()) % kPacketsPerUnit != 0) {
            uint8_t* p = NewSlot() + 4;
            std::memcpy(p, kNullHead, 4);
            std::memset(p + 4, 0xFF, 184);
        }
    }
    if (pendingBytes_ > 0)
        WritePending(prevPcr_, step_);
    return file_.Close();
}

} // namespace bluvat
