#pragma once
// Test media made with the ffmpeg program, once per test process, and the job runner over the
// exported interface.

#include "bluvat/bluvat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat_test {

// A folder of its own for this test process, removed at exit.
const std::string& scratchFolder();

// Transport streams of two seconds, 320x240 at 25 frames per second.
const std::string& h264Ac3();           // H.264 + AC-3
const std::string& mpeg2Ac3();          // MPEG-2 video + AC-3
const std::string& h264TwoAudio();      // H.264 + two AC-3 tracks
const std::string& h264Ac3Packets192(); // the same streams in 192-byte packets
const std::string& h264Ac3ClockWrap();  // H.264 + AC-3 whose clock wraps within the stream
// H.264 + AC-3 whose PAT lists 0 -> 0x001F and 1 -> 0x0100, with the map over two packets.
const std::string& twoProgramPat();

// Runs the ffmpeg program with `args` and the output `name` in the scratch folder; returns its path.
std::string makeStream(const std::string& name, std::vector<std::string> args);

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A bitwise CRC-32/MPEG-2, independent of the library's table-driven one.
uint32_t referenceCrc(const uint8_t* data, std::size_t size);

struct Message {
    int32_t kind;
    int32_t value;
    std::string text;
};

struct JobItem {
    std::string path;
    std::vector<uint16_t> selectedPids; // empty: every known stream
};

// Runs nx_ts_author over the items and records every callback message, progress included.
struct JobResult {
    int result = 0;
    std::vector<Message> messages;
    bool has(int32_t kind, const std::string& text) const;
    std::vector<std::string> errors() const; // texts of kind 1, value 0
};
JobResult runJob(const std::string& folder, const std::vector<JobItem>& items);

// Duration of a media file as ffprobe reads it, in seconds.
double probeDuration(const std::string& path);

} // namespace bluvat_test
