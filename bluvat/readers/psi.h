#pragma once
// Program association and program map sections, their entries and descriptors, with the checks
// that keep malformed sections from being read past their bytes.

#include "bluvat/readers/source_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bluvat {

struct ProgramRef {
    uint16_t number = 0;
    uint16_t pid = 0;
};

// `section` starts at the table id. Texts go to the callback; false when nothing usable was found.
bool ParsePat(const uint8_t* section, std::size_t size, uint16_t pid, std::vector<ProgramRef>& programs);

struct ProgramMap {
    uint16_t pcrPid = 0x1FFF;
    std::vector<uint8_t> dtcp; // the program's DTCP descriptor, when it has one
    std::vector<ProgramEntry> entries;
};

bool ParsePmt(const uint8_t* section, std::size_t size, ProgramMap& map);

// Bytes a section needs in total (3 + section length), or 0 when fewer than 3 bytes are at hand.
std::size_t SectionTotalLength(const uint8_t* section, std::size_t size);

// Checks one descriptor loop; false ("Invalid descriptor") when a length runs past the data.
bool CheckDescriptors(const uint8_t* data, std::size_t size);

// Checks a DTCP descriptor, reporting the first fault found.
bool CheckDtcpDescriptor(const uint8_t* data, std::size_t size);

} // namespace bluvat
