#pragma once
// Reads a presentation-graphics segment file as a source with one stream, PID 0x1200.

#include <cstdint>
#include <string>
#include <vector>

#include "bluvat/readers/random_access_file.h"
#include "bluvat/readers/source_reader.h"

namespace bluvat {

constexpr uint16_t kGraphicsPid = 0x1200;

class GraphicsStreamReader final : public SourceReader {
public:
    explicit GraphicsStreamReader(std::string path);

    bool Scan() override;
    bool NextGroup(std::vector<PesPacket>& group) override;
    void Seek(uint64_t pcr) override;

private:
    std::string path_;
    RandomAccessFile file_;
    std::vector<uint8_t> data_; // segment files are small: held whole
    std::size_t pos_ = 0;
    uint64_t clock_ = 0;
};

} // namespace bluvat
