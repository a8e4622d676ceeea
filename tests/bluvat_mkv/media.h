#pragma once
// Test media made with the ffmpeg program, and outside readers that check what we write.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bluvat/readers/source_reader.h"

namespace bluvat_mkv_test {

// A fresh folder under the system's temporary folder, removed at exit.
std::string scratchFolder();

// Runs ffmpeg (quiet, overwriting) with `args` ending in the output `name` inside the scratch
// folder; returns the path, or "" when ffmpeg failed.
std::string makeMedia(const std::string& name, const std::vector<std::string>& args);

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Frames ffprobe decodes per codec name (its first stream of that codec), optionally forcing a format.
std::map<std::string, long> countFrames(const std::string& path, const std::string& format = "");

// Reads the whole source from the start and keeps each PID's elementary payloads, PES headers
// removed; `clocks` gets every clock value passed.
std::map<uint16_t, std::vector<uint8_t>> readElementaryStreams(bluvat::SourceReader& reader,
                                                               std::vector<uint64_t>* clocks = nullptr,
                                                               std::vector<bluvat::PesPacket>* packets = nullptr);

// Texts sent through the library callback while the collector lives.
struct CallbackTexts {
    CallbackTexts();
    ~CallbackTexts();
    std::vector<std::string> errors() const; // kind 1, value 0
    bool has(const std::string& text) const;
};

} // namespace bluvat_mkv_test
