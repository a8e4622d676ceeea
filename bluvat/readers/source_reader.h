#pragma once
// The common face of every source reader (transport stream, Matroska, program stream, graphics
// stream). The authoring driver and the writers see sources only through this interface.

#include "bluvat/readers/pes_packet.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bluvat {

enum class SourceKind : int32_t {
    Unknown = 0,
    TransportStream = 1, // 188-byte packets
    SourcePackets = 2,   // 192-byte packets: 4-byte header + 188-byte packet
    ProgramStream = 3,
    GraphicsStream = 6, // presentation-graphics segments starting with "PG"
    Matroska = 8,
};

constexpr uint64_t kNoClock = ~uint64_t(0);              // unknown PCR, or "seek to the start"
constexpr uint64_t kPcrWrap = (uint64_t(1) << 33) * 300; // 27 MHz clock period

// Ticks of the 27 MHz clock from `from` forward to `to`, across a wrap.
inline uint64_t ClockDistance(uint64_t from, uint64_t to)
{
    return (to + kPcrWrap - from % kPcrWrap) % kPcrWrap;
}

// Coding attributes of a stream, the codes of the clip information's stream attributes.
struct StreamAttributes {
    uint8_t format = 0; // video: video format (1 480i .. 7 576p); audio: presentation type (1 mono, 3 stereo, 6 multi)
    uint8_t rate = 0; // video: frame-rate code (1 23.976 .. 7 59.94); audio: sampling frequency (1 48 kHz, 4 96, 5 192)
    uint8_t aspect = 0; // video: 2 = 4:3, 3 = 16:9; audio: unused
};

// One elementary stream of the program map (or one taken track / sniffed stream).
struct ProgramEntry {
    uint8_t streamType = 0;           // program-map stream type, one of stream_types.h
    uint16_t pid = 0;                 // 13 bits; the PID its PES packets carry
    std::vector<uint8_t> descriptors; // ES-info descriptors, copied into the output map
    StreamAttributes attributes;      // filled by the attribute scan
    std::string language;             // ISO 639-2 code the source gives the stream; empty when none
};

// The bytes of packets already written, for a reader to build later packets in: fresh memory
// costs a page fault and a cleared page for every 4 KiB, which is every byte of a title.
class PacketMemory {
public:
    // Takes the packets' bytes and empties `group`.
    void Keep(std::vector<PesPacket>& group);
    // Empty bytes, with the room of a spent packet when one is kept.
    std::vector<uint8_t> Take();

private:
    static constexpr std::size_t kMostKept = 1024; // more than the packets of a second in flight
    std::vector<std::vector<uint8_t>> kept_;
};

class SourceReader {
public:
    using ClockHook = std::function<void(uint64_t pcr)>;             // 27 MHz
    using PtsHook = std::function<void(uint64_t pts, uint16_t pid)>; // 90 kHz

    explicit SourceReader(SourceKind kind) : kind_(kind) {}
    virtual ~SourceReader() = default;
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // The opening scan: program map, first/last PCR, stream attributes; leaves the reader at the
    // start. False when the source cannot be read at all (the driver then reports "Open file error").
    // A source without streams returns true with no entries.
    virtual bool Scan() = 0;

    // Appends the next completed PES packets to `group` (possibly none) and calls the clock hook
    // with every PCR passed on the way. Returns false once the source is exhausted; the packets
    // still under assembly come out with that last call.
    virtual bool NextGroup(std::vector<PesPacket>& group) = 0;

    // To a 27 MHz clock value, or to the start for kNoClock.
    virtual void Seek(uint64_t pcr) = 0;

    // Takes back packets that have been written and empties `group`; a reader may build later
    // packets in their memory instead of fresh memory for each.
    virtual void Recycle(std::vector<PesPacket>& group) { group.clear(); }

    SourceKind kind() const { return kind_; }
    uint64_t firstPcr() const { return firstPcr_; }
    uint64_t lastPcr() const { return lastPcr_; }
    const std::vector<ProgramEntry>& entries() const { return entries_; }
    // Chapter starts on the clock of the time stamps handed out (90 kHz), ascending; empty when
    // the source names none.
    const std::vector<uint64_t>& chapters() const { return chapters_; }

    void SetClockHook(ClockHook hook) { clockHook_ = std::move(hook); }
    void SetPtsHook(PtsHook hook) { ptsHook_ = std::move(hook); }

    // (2, percent, "Open file...") when the percentage changed since the last report.
    void ReportOpenProgress(int percent);

protected:
    void PassClock(uint64_t pcr)
    {
        if (clockHook_)
            clockHook_(pcr);
    }
    void PassPts(uint64_t pts, uint16_t pid)
    {
        if (ptsHook_)
            ptsHook_(pts, pid);
    }

    SourceKind kind_;
    uint64_t firstPcr_ = kNoClock;
    uint64_t lastPcr_ = kNoClock;
    std::vector<ProgramEntry> entries_;
    std::vector<uint64_t> chapters_;

private:
    ClockHook clockHook_;
    PtsHook ptsHook_;
    int lastOpenPercent_ = 0;
};

// Detects the kind of the file at `path` and returns its reader after the opening scan, reporting
// "The specified file is too short" / "The specified file is not a valid file" as it goes. Null
// when the path is not a regular file or cannot be opened, its kind has no reader, or the scan failed.
std::unique_ptr<SourceReader> OpenSource(const std::string& path);

// Kind detection alone, over the first bytes of a file (at most 1344 are looked at).
SourceKind DetectKind(const uint8_t* data, std::size_t size);

// The attribute scan shared by every kind: reads up to 300 groups from the start, hands each
// packet of a map entry to the codec header reader of its stream type (filling the entry's
// attributes and, when it has none, its descriptors), reporting "Open file..." from 50 to 100,
// then seeks back to the start. Readers call it at the end of Scan().
void ScanAttributes(SourceReader& reader, std::vector<ProgramEntry>& entries);

// The reader of each kind is built in source_open.cpp, by kind.
} // namespace bluvat
