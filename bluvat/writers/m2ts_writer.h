#pragma once
// Re-multiplexes a source's PES packets into a title's stream file: new PIDs, own tables and PCR
// packets, arrival time stamps, whole aligned units; collects what the clip files need.

#include "bluvat/readers/source_reader.h"
#include "bluvat/writers/file_sink.h"

#include <array>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

namespace bluvat {

enum class M2tsMode : int {
    Transport = 1,      // 188-byte packets, source PIDs, no time stamps
    Timestamped = 2,    // 4-byte arrival time stamp + 188-byte packet, source PIDs
    Elementary = 4,     // each PES packet's payload
    Pes = 5,            // each PES packet unchanged
    GraphicsFrames = 6, // "PG" frames
    Bluray = 7,         // as 2, plus PID remapping, own PAT/PMT/SIT and PCR, 32-packet units
};

struct EntryPoint {
    uint64_t pts = 0; // 90 kHz
    uint32_t spn = 0; // source-packet number in the stream file
};

struct OutputStream {
    uint8_t streamType = 0;
    uint16_t pid = 0;
    std::vector<uint8_t> descriptors;
    StreamAttributes attributes;
    std::string language; // ISO 639-2, empty when the source names none
};

constexpr uint16_t kMainVideoPid = 0x1011;
constexpr uint16_t kPcrPid = 0x1001;
constexpr uint16_t kPmtPid = 0x0100;
constexpr std::size_t kPacketsPerUnit = 32; // 6144-byte aligned units

class M2tsWriter {
public:
    // Creates the file and queues the tables. False when the file cannot be created: the writer
    // still collects nothing, and the title's clip files can still be written from its streams.
    bool Open(const std::string& path, M2tsMode mode, const std::vector<ProgramEntry>& chosen);
    // Given the source's clock range before anything is written: when the source's clock wraps
    // within the title, the whole title is moved on the clock so that its times run on unbroken.
    void KeepClockFromWrapping(uint64_t firstPcr, uint64_t lastPcr);
    void Write(PesPacket& pes);
    void Clock(uint64_t pcr);
    // Pads, flushes and closes; true when every byte reached the file.
    bool Finish();
    // A write to the file failed (a full disk): nothing more can make the title whole.
    bool failed() const { return file_.failed(); }

    const std::vector<EntryPoint>& entryPoints() const { return entries_; }
    const std::vector<OutputStream>& streams() const { return streams_; }
    uint32_t packetCount() const { return total_; }
    // The end of the last main-video frame (its PTS plus one frame), 90 kHz; 0 without video.
    uint64_t presentationEnd() const;
    // The first entry point's time stamp as the source gave it, before any shift: where the
    // source's own times (its chapters) meet the title's; nullopt without entry points.
    std::optional<uint64_t> inSourcePts() const { return inSourcePts_; }

    // The three table packets, for the tests.
    static std::vector<uint8_t> PatPacket();
    std::vector<uint8_t> PmtPacket() const;
    static std::vector<uint8_t> SitPacket();

private:
    struct AudioCarry {
        std::vector<uint8_t> bytes; // a frame begun in an earlier PES
        uint64_t pts = 0;
        bool active = false;
    };

    std::size_t slotSize() const { return mode_ == M2tsMode::Transport ? 188 : 192; }
    std::size_t pendingCount() const { return pendingBytes_ / slotSize(); }
    uint8_t* NewSlot();
    void QueuePacket(const uint8_t* packet188);
    void QueuePcrPacket(uint64_t pcr);
    void Packetize(const uint8_t* data, std::size_t n, uint16_t pid, bool priority);
    void WritePending(uint64_t base, uint64_t step);
    void HandleMainVideo(PesPacket& pes, std::size_t header);
    void ShiftTimestamps(PesPacket& pes);
    void RepackFrames(const uint8_t* payload, std::size_t n, const std::optional<uint64_t>& pts, std::size_t slot);
    void EmitAudioFrame(const uint8_t* frame, std::size_t n, uint64_t pts, const OutputStream& out);
    void WriteRaw(const PesPacket& pes, std::size_t header);
    void WriteStream(PesPacket& pes, std::size_t slot, std::size_t header);
    bool BeforeInTime(uint64_t pts) const;
    void ReleaseHeldAudio();

    FileSink file_;
    M2tsMode mode_ = M2tsMode::Bluray;
    std::vector<OutputStream> streams_;
    std::vector<int16_t> slotOfPid_;         // source PID -> index into streams_
    std::array<uint8_t, 8192> continuity_{}; // per output PID
    std::vector<AudioCarry> carries_;        // per output stream
    std::vector<uint64_t> lastAudioPts_;     // per output stream
    std::vector<uint8_t> pending_;           // packets since the last PCR, in slots
    std::size_t pendingBytes_ = 0;
    std::vector<uint8_t> work_;
    uint8_t mainVideoType_ = 0; // the first video stream's, given PID 0x1011
    int mainVideoSlot_ = -1;

    bool haveClock_ = false;
    uint64_t prevPcr_ = 0; // on the output clock
    uint64_t lastInterval_ = 0;
    uint64_t clockGap_ = 0; // source clock jumps taken out of the output clock
    uint64_t step_ = 0;     // ticks between packets
    uint8_t pcrContinuity_ = 0;
    uint32_t total_ = 0;

    bool havePts_ = false;
    uint64_t prevPts_ = 0;
    int64_t prevPtsStep_ = 0;
    int64_t ptsOffset_ = 0;
    bool haveVideoPts_ = false;
    uint64_t prevVideoPts_ = 0;
    uint64_t lastVideoPts_ = 0;
    uint64_t frameTicks_ = 0;

    std::vector<EntryPoint> entries_;
    std::optional<uint64_t> inSourcePts_;

    // Audio is held until the main video's first entry point, the title's in time, is known;
    // then the frames that would come before it are left out.
    bool holdingAudio_ = false;
    std::vector<PesPacket> heldAudio_;
    std::size_t heldBytes_ = 0;
};

} // namespace bluvat
