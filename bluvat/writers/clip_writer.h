#pragma once
// The playlist (.mpls) and clip information (.clpi) of one title.

#include "bluvat/writers/m2ts_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat {

struct ClipInput {
    std::vector<EntryPoint> entryPoints;
    std::vector<OutputStream> streams; // in program-map order
    uint32_t packetCount = 0;
    uint64_t presentationEnd = 0; // 90 kHz: end of the last video frame
};

// IN and OUT in 45 kHz: the first entry point, and the end of the last frame; both 0 without entries.
uint32_t ClipIn(const ClipInput& clip);
uint32_t ClipOut(const ClipInput& clip);

// One entry mark at the title's start and one at each chapter start inside the title (seconds
// from its start), so that a player's chapter skip lands on them.
std::vector<uint8_t> BuildPlaylist(int title, const ClipInput& clip, const std::vector<double>& chapters);
std::vector<uint8_t> BuildClipInfo(const ClipInput& clip);
std::vector<uint8_t> BuildEntryPointMap(const std::vector<EntryPoint>& entries);

// Writes "BDMV/PLAYLIST/%05d.mpls" then "BDMV/CLIPINF/%05d.clpi" under `folder` (ending with '/'),
// each copied into BDMV/BACKUP; true when both were written.
bool WriteClipFiles(const std::string& folder, int title, const ClipInput& clip, const std::vector<double>& chapters);

} // namespace bluvat
