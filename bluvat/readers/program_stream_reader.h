#pragma once
// Reads an MPEG program stream (.mpg, .vob) as a source: PID = stream id (private stream 1 by
// sub-stream id), the packs' system clock reference as the clock, PES packets rebuilt in the
// form a transport stream carries.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bluvat/readers/dvd_lpcm.h"
#include "bluvat/readers/program_stream_units.h"
#include "bluvat/readers/random_access_file.h"
#include "bluvat/readers/source_reader.h"

namespace bluvat {

class ProgramStreamReader final : public SourceReader {
public:
    explicit ProgramStreamReader(std::string path);

    bool Scan() override;
    bool NextGroup(std::vector<PesPacket>& group) override;
    void Seek(uint64_t pcr) override;

private:
    const uint8_t* Peek(std::size_t n);
    void FindLastClock();
    void Take(const ProgramStreamPes& pes, std::vector<PesPacket>& group);
    void FlushVideo(std::vector<PesPacket>& group);

    std::string path_;
    RandomAccessFile file_;
    std::vector<uint8_t> window_;
    uint64_t windowStart_ = 0;
    std::size_t pos_ = 0;
    std::map<uint16_t, PesPacket> video_; // per PID, the access units gathered since its last PTS
    std::map<uint16_t, DvdLpcmRepacker> lpcm_;
};

} // namespace bluvat
