#include "bluvat/readers/source_reader.h"

#include "bluvat/report.h"

namespace bluvat {

void PacketMemory::Keep(std::vector<PesPacket>& group)
{
    for (PesPacket& pes : group)
        if (pes.bytes.capacity() > 0 && kept_.size() < kMostKept)
            kept_.push_back(std::move(pes.bytes));
    group.clear();
}

std::vector<uint8_t> PacketMemory::Take()
{
    if (kept_.empty())
        return {};
    std::vector<uint8_t> bytes = std::move(kept_.back());
    kept_.pop_back();
    bytes.clear();
    return bytes;
}

void SourceReader::ReportOpenProgress(int percent)
{
    if (percent == lastOpenPercent_)
        return;
    lastOpenPercent_ = percent;
    Report(2, percent, "Open file..."); // progress: the caller takes kind 1 for an error
}

} // namespace bluvat
