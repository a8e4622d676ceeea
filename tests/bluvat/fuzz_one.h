#pragma once
// One fuzz input through the reader and the writer, as the authoring driver uses them.

#include "bluvat/readers/source_reader.h"
#include "bluvat/writers/m2ts_writer.h"

#include <string>

namespace bluvat_test {

inline void authorFrom(bluvat::SourceReader& reader, const std::string& output)
{
    bluvat::M2tsWriter writer;
    writer.Open(output, bluvat::M2tsMode::Bluray, reader.entries());
    reader.Seek(bluvat::kNoClock);
    reader.SetClockHook([&](uint64_t pcr) { writer.Clock(pcr); });
    std::vector<bluvat::PesPacket> group;
    bool more = true;
    while (more) {
        group.clear();
        more = reader.NextGroup(group);
        for (bluvat::PesPacket& pes : group)
            writer.Write(pes);
    }
    writer.Finish();
}

inline void authorInput(const std::string& source, const std::string& output)
{
    if (auto reader = bluvat::OpenSource(source))
        authorFrom(*reader, output);
}

} // namespace bluvat_test
