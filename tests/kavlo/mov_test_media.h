#pragma once
// Test media for kavlo: small MOV files made by the ffmpeg program, a camera-like clip made from
// one, and an atom walker that checks files independently of the tool's own reading.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavlo_test {

using Bytes = std::vector<uint8_t>;

struct MovSpec {
    int framesPerSecond = 30;
    int frames = 10;
    int sampleRate = 8000;
    int channels = 1;
    std::string audioCodec = "pcm_mulaw";
    bool audioFirst = false;
};

// MPEG-4 video at 320x240 with a tone, made by ffmpeg; false when ffmpeg failed.
bool MakeMov(const std::string& path, const MovSpec& spec);

// The clip rebuilt the way the camera lays out its own: a "skip" atom of `skipSize` bytes first,
// then the media, then the movie whose last atom is a "udta" of `udtaSize` bytes.
Bytes MakeCameraClip(const Bytes& converted, std::size_t skipSize = 64, std::size_t udtaSize = 32);

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

uint32_t U32(const Bytes& bytes, std::size_t at);
uint32_t LittleU32(const Bytes& bytes, std::size_t at);

struct Box {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string type;
    std::size_t end() const { return offset + size; }
};

// The atoms that fill [begin, end) exactly; nothing when they do not add up.
std::optional<std::vector<Box>> Children(const Bytes& bytes, std::size_t begin, std::size_t end);
std::vector<Box> TopLevel(const Bytes& bytes);
std::optional<Box> Child(const Bytes& bytes, const Box& parent, const std::string& type);
// Follows a path of types from the top level, e.g. {"moov", "mvhd"}.
std::optional<Box> Find(const Bytes& bytes, const std::vector<std::string>& path);
// Whether every container from the "moov" down is exactly filled by its children.
bool SizesAddUp(const Bytes& bytes);

// The sample table of the track whose handler is "vide" or "soun".
std::optional<Box> SampleTable(const Bytes& bytes, const std::string& handler);
// The 32-bit numbers after the entry count of a table atom ("stsc", "stco", "stts").
std::vector<uint32_t> TableEntries(const Bytes& bytes, const Box& table);
// Sample sizes of an "stsz" atom, a constant size repeated.
std::vector<uint32_t> SampleSizes(const Bytes& bytes, const Box& stsz);

} // namespace kavlo_test

namespace kavlo_test {

// Each sample of a sample table, read through its chunk offsets, "stsc" and "stsz".
std::vector<Bytes> Samples(const Bytes& bytes, const Box& stbl);

} // namespace kavlo_test
