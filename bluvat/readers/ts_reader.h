#pragma once
// Reader of MPEG transport streams of 188-byte packets and of 192-byte source packets.

#include "bluvat/readers/byte_source.h"
#include "bluvat/readers/source_reader.h"

#include <string>
#include <vector>

namespace bluvat {

class TsReader : public SourceReader {
public:
    TsReader(SourceKind kind, std::string path);

    bool Scan() override;
    bool NextGroup(std::vector<PesPacket>& group) override;
    void Recycle(std::vector<PesPacket>& group) override { memory_.Keep(group); }
    void Seek(uint64_t pcr) override;

    uint16_t pcrPid() const { return pcrPid_; }

private:
    struct Assembly {
        PesPacket pes;
        bool active = false;
        std::size_t lastSize = 0; // of the last packet handed out, plus some room
    };

    const uint8_t* FetchPacket();
    void FindLastPcr();
    void FindProgramMap();
    void TrackEntries();
    void HandOut(Assembly& a, std::vector<PesPacket>& group);
    uint64_t NextPcrAfter(uint64_t offset);
    static void ReportOnce(bool& reported, const char* text);

    std::string path_;
    ByteSource source_;
    std::size_t header_;       // 0 or 4 bytes before each 188-byte packet
    std::size_t packetLength_; // header_ + 188
    uint16_t pcrPid_ = 0xFFFF;
    std::vector<int16_t> slotOfPid_; // PID -> index into assemblies_, -1 for PIDs not assembled
    std::vector<Assembly> assemblies_;
    PacketMemory memory_;
    bool smallPacketReported_ = false;
    bool syncLostReported_ = false;
    bool invalidStreamReported_ = false;
};

// Helpers shared with the tests and the writer.
bool PacketPcr(const uint8_t* packet, uint64_t& pcr);
// Payload of a 188-byte packet; size 0 when it has none.
const uint8_t* PacketPayload(const uint8_t* packet, std::size_t& size);
inline uint16_t PacketPid(const uint8_t* p)
{
    return static_cast<uint16_t>(((p[1] & 0x1F) << 8) | p[2]);
}

} // namespace bluvat
