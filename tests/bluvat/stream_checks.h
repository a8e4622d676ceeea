#pragma once
// Outside checks of what the library wrote: the stream file's packets, ffprobe, libbluray.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bluvat_test {

struct M2tsFacts {
    uint64_t bytes = 0;
    uint64_t packets = 0;
    bool wholeUnits = false;    // a whole number of 6144-byte units
    bool syncEverywhere = true; // 0x47 after every 4-byte header
    bool atsRising = true;      // modulo 2^30
    int continuityErrors = 0;   // per PID, packets with payload
    int pcrCount = 0;
    std::map<uint16_t, uint64_t> packetsPerPid;
    std::vector<uint32_t> ats;
};
M2tsFacts inspectM2ts(const std::string& path);

struct ProbedStream {
    std::string type; // "video", "audio"
    std::string codec;
    long frames = 0;
    bool dtsRising = true;
};
struct ProbeFacts {
    std::vector<ProbedStream> streams; // by stream index
    std::string warnings;              // ffprobe's messages at warning level and above
    long count(const std::string& type) const;
};
// Reads the file to its end, counting frames and checking each stream's decoding time stamps.
ProbeFacts probeFile(const std::string& path);

struct DiscTitle {
    double seconds = 0;
    int clips = 0;
    std::vector<uint16_t> videoPids, audioPids;
    int chapters = 0;
    std::vector<double> chapterStarts; // seconds into the title
    int movieObject = -1;
};
struct DiscFacts {
    bool opened = false;
    std::vector<DiscTitle> titles; // in title order
    uint32_t playlists = 0;        // as libbluray lists them
    std::vector<std::string> criticalMessages;
};
DiscFacts readDisc(const std::string& folder);

} // namespace bluvat_test
