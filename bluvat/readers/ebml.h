#pragma once
// EBML element headers, read from bytes at hand; nothing here trusts a size it has not checked.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bluvat::ebml {

struct Varint {
    uint64_t value = 0;
    unsigned length = 0;  // bytes used
    bool allOnes = false; // every value bit set (an unknown size)
};

// Length from the leading zero bits of the first byte; nullopt when invalid or cut short.
std::optional<Varint> ReadVarint(std::span<const uint8_t> bytes, unsigned maxLength = 8);

// Signed lace-size difference: the varint minus half its range.
std::optional<int64_t> ReadSignedVarint(std::span<const uint8_t> bytes, unsigned& length);

struct Header {
    uint32_t id = 0; // the raw ID bytes, marker bit kept
    uint64_t size = 0;
    bool unknownSize = false;
    unsigned length = 0; // bytes of ID and size together
};

std::optional<Header> ReadHeader(std::span<const uint8_t> bytes);

struct Element {
    uint32_t id = 0;
    uint64_t offset = 0; // of the data, relative to whatever the caller measures from
    uint64_t size = 0;
    uint64_t end() const { return offset + size; }
};

// Children inside `data`; a child running past the end is cut to it and `corrupt` is set,
// a header that cannot be read ends the list and sets `corrupt`.
std::vector<Element> Children(std::span<const uint8_t> data, bool& corrupt);

// Big-endian unsigned number of up to eight bytes; nullopt for longer data.
std::optional<uint64_t> ReadUnsigned(std::span<const uint8_t> data);

// IDs that only occur directly below the Segment; an unknown-sized Cluster ends at one of these.
bool IsSegmentChildId(uint32_t id);

namespace id {
constexpr uint32_t EbmlHeader = 0x1A45DFA3;
constexpr uint32_t Segment = 0x18538067;
constexpr uint32_t SeekHead = 0x114D9B74;
constexpr uint32_t Info = 0x1549A966;
constexpr uint32_t Cluster = 0x1F43B675;
constexpr uint32_t ClusterTimecode = 0xE7;
constexpr uint32_t Tracks = 0x1654AE6B;
constexpr uint32_t TrackEntry = 0xAE;
constexpr uint32_t TrackNumber = 0xD7;
constexpr uint32_t CodecId = 0x86;
constexpr uint32_t CodecPrivate = 0x63A2;
constexpr uint32_t TrackUid = 0x73C5;
constexpr uint32_t Video = 0xE0;
constexpr uint32_t Audio = 0xE1;
constexpr uint32_t BlockGroup = 0xA0;
constexpr uint32_t Block = 0xA1;
constexpr uint32_t ReferenceBlock = 0xFB;
constexpr uint32_t SimpleBlock = 0xA3;
constexpr uint32_t Cues = 0x1C53BB6B;
constexpr uint32_t Chapters = 0x1043A770;
constexpr uint32_t Tags = 0x1254C367;
constexpr uint32_t Attachments = 0x1941A469;
} // namespace id

} // namespace bluvat::ebml
