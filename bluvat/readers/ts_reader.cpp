#include "bluvat/readers/ts_reader.h"

#include "bluvat/readers/codec_headers.h"
#include "bluvat/readers/audio_frames.h"
#include "bluvat/readers/psi.h"
#include "bluvat/report.h"
#include "bluvat/stream_types.h"

#include <algorithm>

namespace bluvat {

namespace {
constexpr uint64_t kHeadScanLimit = 36962304; // first PCR and program map
constexpr uint64_t kTailScanLimit = 18481152; // last PCR
constexpr uint16_t kNoPid = 0xFFFF;

// The stream type a PES start reveals, or 0.
uint8_t SniffStreamType(const uint8_t* pes, std::size_t size)
{
    std::size_t h = PesHeaderLength(pes, size);
    if (!h)
        return 0;
    const uint8_t* p = pes + h;
    std::size_t n = size - h;
    uint8_t id = pes[3];
    if (id == 0xBD) {
        if (n >= 6 && IsAc3Sync(p)) {
            int bsid = Ac3BitstreamId(p);
            return bsid == 6 || bsid == 8 ? kAc3Audio : bsid == 16 ? kEac3Audio : 0;
        }
        if (n >= 4 && IsDtsSync(p))
            return kDtsHdAudio;
        for (std::size_t i = 0; i + 4 <= n && i < 16; ++i)
            if (IsTrueHdSync(p + i))
                return kTrueHdAudio;
        if (n >= 1 && p[0] >= 0xA0 && p[0] <= 0xA7)
            return kLpcmAudio;
        return 0;
    }
    if (id >= 0xC0 && id <= 0xDF)
        return kMpeg2Audio;
    if (id >= 0xE0 && id <= 0xEF) {
        if (FindStartCode(p, n, 0x9F, 0x07) != static_cast<std::size_t>(-1))
            return kAvcVideo;
        if (FindStartCode(p, n, 0xFF, 0xB3) != static_cast<std::size_t>(-1))
            return kMpeg2Video;
        return 0;
    }
    return id == 0xFD ? kVc1Video : 0;
}

// Two programs name the map only as 0 -> 0x001F and 1 -> 0x0100; otherwise program 1 must come first.
uint16_t MapPidOf(const std::vector<ProgramRef>& programs)
{
    if (programs.size() == 2) {
        bool zero = false, one = false;
        for (const ProgramRef& r : programs) {
            zero |= r.number == 0 && r.pid == 0x001F;
            one |= r.number == 1 && r.pid == 0x0100;
        }
        return zero && one ? 0x0100 : kNoPid;
    }
    return programs[0].number == 1 ? programs[0].pid : kNoPid;
}
} // namespace

bool PacketPcr(const uint8_t* p, uint64_t& pcr)
{
    if (!(p[3] & 0x20) || p[4] < 7 || !(p[5] & 0x10))
        return false;
    uint64_t base =
        (uint64_t(p[6]) << 25) | (uint64_t(p[7]) << 17) | (uint64_t(p[8]) << 9) | (uint64_t(p[9]) << 1) | (p[10] >> 7);
    uint64_t ext = (uint64_t(p[10] & 1) << 8) | p[11];
    pcr = base * 300 + ext;
    return true;
}

const uint8_t* PacketPayload(const uint8_t* p, std::size_t& size)
{
    size = 0;
    if (!(p[3] & 0x10))
        return nullptr;
    std::size_t start = 4;
    if (p[3] & 0x20) {
        if (p[4] > 182)
            return nullptr;
        start = 5 + p[4];
    }
    size = 188 - start;
    return p + start;
}

TsReader::TsReader(SourceKind kind, std::string path)
    : SourceReader(kind), path_(std::move(path)), header_(kind == SourceKind::SourcePackets ? 4 : 0),
      packetLength_(header_ + 188), slotOfPid_(8192, -1)
{
}

const uint8_t* TsReader::FetchPacket()
{
    bool lost = false;
    for (;;) {
        const uint8_t* p = source_.Peek(packetLength_);
        if (!p) {
            if (source_.position() < source_.size())
                ReportOnce(smallPacketReported_, "small packet"); // the file ends inside a packet
            return nullptr;
        }
        if (p[header_] == 0x47) {
            source_.Advance(packetLength_);
            return p + header_;
        }
        if (!lost && source_.position() > 0)
            ReportOnce(syncLostReported_, "sync byte missing");
        lost = true;
        source_.Advance(1); // resynchronise one byte at a time
    }
}

// Damage shows once per source, not once per packet.
void TsReader::ReportOnce(bool& reported, const char* text)
{
    if (!reported)
        ReportError(text);
    reported = true;
}

bool TsReader::Scan()
{
    if (!source_.Open(path_))
        return false;
    while (const uint8_t* p = FetchPacket()) {
        uint64_t pcr;
        if (PacketPcr(p, pcr)) {
            pcrPid_ = PacketPid(p);
            firstPcr_ = pcr;
            break;
        }
        if (source_.position() > kHeadScanLimit)
            break;
    }
    if (pcrPid_ != kNoPid)
        FindLastPcr();
    FindProgramMap();
    TrackEntries();
    ScanAttributes(*this, entries_);
    return true;
}

void TsReader::FindLastPcr()
{
    uint64_t size = source_.size();
    uint64_t start = size > kTailScanLimit ? size - kTailScanLimit : 0;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size - start));
    std::size_t span = source_.Seek(start) ? source_.Read(bytes.data(), bytes.size()) : 0;
    const uint8_t* tail = bytes.data();
    if (span >= packetLength_) {
        std::size_t at = span - packetLength_;
        for (;;) {
            const uint8_t* p = tail + at + header_;
            uint64_t pcr;
            if (p[0] == 0x47 && PacketPid(p) == pcrPid_ && PacketPcr(p, pcr)) {
                lastPcr_ = pcr;
                return;
            }
            std::size_t back = p[0] == 0x47 ? packetLength_ : 1;
            if (at < back)
                break;
            at -= back;
        }
    }
    firstPcr_ = lastPcr_ = kNoClock;
}

void TsReader::FindProgramMap()
{
    source_.Seek(0);
    uint64_t limit = std::min<uint64_t>(source_.size(), kHeadScanLimit);
    uint16_t mapPid = kNoPid;
    std::vector<uint8_t> patSection, mapSection;
    std::vector<bool> seen(8192, false);
    std::vector<ProgramEntry> found;
    while (const uint8_t* p = FetchPacket()) {
        if (limit > 0)
            ReportOpenProgress(static_cast<int>(std::min<uint64_t>(source_.position(), limit) * 50 / limit));
        uint16_t pid = PacketPid(p);
        bool start = p[1] & 0x40;
        std::size_t n;
        const uint8_t* payload = PacketPayload(p, n);
        if (n > 0 && (pid == 0 || pid == mapPid)) {
            std::vector<uint8_t>& section = pid == 0 ? patSection : mapSection;
            if (start) {
                std::size_t pointer = payload[0];
                section.clear();
                if (pointer + 1 < n)
                    section.assign(payload + 1 + pointer, payload + n);
            } else if (!section.empty()) {
                section.insert(section.end(), payload, payload + n);
            }
            std::size_t total = SectionTotalLength(section.data(), section.size());
            if (total == 0 || section.size() < total) {
                // the section goes on in the next packet of its PID
            } else if (pid == 0) {
                std::vector<ProgramRef> programs;
                if (ParsePat(section.data(), total, pid, programs))
                    mapPid = MapPidOf(programs);
                section.clear();
            } else {
                ProgramMap map;
                if (ParsePmt(section.data(), total, map) && !map.entries.empty()) {
                    entries_ = std::move(map.entries);
                    return;
                }
                section.clear();
            }
        } else if (start && n > 0 && !seen[pid] && pid != 0x1FFF) {
            if (PesHeaderLength(payload, n)) {
                seen[pid] = true;
                if (uint8_t type = SniffStreamType(payload, n)) {
                    ProgramEntry e;
                    e.streamType = type;
                    e.pid = pid;
                    found.push_back(std::move(e));
                }
            }
        }
        if (source_.position() > kHeadScanLimit)
            break;
    }
    entries_ = std::move(found);
}

void TsReader::TrackEntries()
{
    std::fill(slotOfPid_.begin(), slotOfPid_.end(), -1);
    assemblies_.clear();
    for (const ProgramEntry& e : entries_) {
        if (slotOfPid_[e.pid] >= 0)
            continue;
        slotOfPid_[e.pid] = static_cast<int16_t>(assemblies_.size());
        assemblies_.emplace_back();
    }
}

void TsReader::HandOut(Assembly& a, std::vector<PesPacket>& group)
{
    std::vector<uint8_t>& b = a.pes.bytes;
    if (b.size() >= 6) {
        std::size_t length = b.size() - 6;
        b[4] = length > 65529 ? 0 : uint8_t(length >> 8);
        b[5] = length > 65529 ? 0 : uint8_t(length);
    }
    a.lastSize = b.size() + b.size() / 8;
    group.push_back(std::move(a.pes));
    a.pes = PesPacket{};
    a.pes.bytes = memory_.Take();
    a.active = false;
}

bool TsReader::NextGroup(std::vector<PesPacket>& group)
{
    std::size_t before = group.size();
    while (group.size() == before) {
        const uint8_t* p = FetchPacket();
        if (!p) {
            for (Assembly& a : assemblies_)
                if (a.active)
                    HandOut(a, group);
            return false;
        }
        uint16_t pid = PacketPid(p);
        uint64_t pcr;
        if (pid == pcrPid_ && PacketPcr(p, pcr))
            PassClock(pcr);
        int slot = slotOfPid_[pid];
        if (slot < 0)
            continue;
        std::size_t n;
        const uint8_t* payload = PacketPayload(p, n);
        if (n == 0)
            continue;
        Assembly& a = assemblies_[slot];
        if (p[1] & 0x40) {
            if (a.active)
                HandOut(a, group);
            if (n < 3 || payload[0] != 0 || payload[1] != 0 || payload[2] != 1) {
                ReportOnce(invalidStreamReported_, "invalid stream"); // scrambled streams would repeat it per PES
                continue;
            }
            a.active = true;
            a.pes.pid = pid;
            a.pes.priority = p[1] & 0x20;
            a.pes.keyFrame = (p[3] & 0x20) && p[4] > 0 && (p[5] & 0x40);
            // Room for the whole packet up front, from its length or the last one of its PID.
            std::size_t announced = n >= 6 ? ((std::size_t(payload[4]) << 8) | payload[5]) + 6 : 0;
            a.pes.bytes.reserve(std::max(announced, a.lastSize));
            a.pes.bytes.assign(payload, payload + n);
            if (auto pts = PesPts(a.pes.bytes))
                PassPts(*pts, pid);
        } else if (a.active) {
            a.pes.bytes.insert(a.pes.bytes.end(), payload, payload + n);
        } else {
            continue;
        }
        std::vector<uint8_t>& b = a.pes.bytes;
        if (b.size() >= 6) {
            std::size_t announced = (std::size_t(b[4]) << 8) | b[5];
            if (announced != 0 && b.size() >= announced + 6) {
                b.resize(announced + 6);
                HandOut(a, group);
            }
        }
    }
    return true;
}

uint64_t TsReader::NextPcrAfter(uint64_t offset)
{
    source_.Seek(offset);
    while (const uint8_t* p = FetchPacket()) {
        uint64_t pcr;
        if (PacketPid(p) == pcrPid_ && PacketPcr(p, pcr))
            return pcr;
    }
    return lastPcr_;
}

void TsReader::Seek(uint64_t target)
{
    for (Assembly& a : assemblies_)
        a = Assembly{};
    if (target == kNoClock || firstPcr_ == kNoClock || lastPcr_ == kNoClock) {
        source_.Seek(0);
        return;
    }
    uint64_t span = ClockDistance(firstPcr_, lastPcr_);
    uint64_t size = source_.size();
    if (span == 0) {
        source_.Seek(0);
        return;
    }
    double bytesPerTick = double(size) / double(span);
    uint64_t offset = static_cast<uint64_t>(double(ClockDistance(firstPcr_, target)) * bytesPerTick);
    offset = std::min(offset, size) / packetLength_ * packetLength_;
    for (int tries = 0; tries < 100; ++tries) {
        uint64_t pcr = NextPcrAfter(offset);
        uint64_t ahead = ClockDistance(target, pcr);
        uint64_t behind = ClockDistance(pcr, target);
        uint64_t distance = std::min(ahead, behind);
        if (distance <= 27000000)
            break;
        uint64_t step = static_cast<uint64_t>(double(distance) * bytesPerTick / 4) / packetLength_ * packetLength_;
        if (step == 0)
            break;
        if (ahead < behind)
            offset = offset > step ? offset - step : 0;
        else
            offset = std::min(offset + step, size / packetLength_ * packetLength_);
    }
    source_.Seek(offset);
}

} // namespace bluvat
