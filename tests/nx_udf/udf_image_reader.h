#pragma once
// Reads back what the builder wrote, with its own checks, so that tests do not trust the writer.

#include <cstdint>
#include <string>
#include <vector>

namespace udf_test {

using Sector = std::vector<uint8_t>;

uint16_t le16(const uint8_t* p);
uint32_t le32(const uint8_t* p);
uint64_t le64(const uint8_t* p);

// Bit by bit, independent of the builder's table.
uint16_t ReferenceCrc(const uint8_t* data, std::size_t size);
// Whether the tag at `p` has a valid checksum and its CRC over its CRC length.
bool TagVerifies(const uint8_t* p);

struct Identifier {
    uint8_t characteristics = 0;
    std::vector<uint8_t> name; // compressed Unicode, compression ID first; empty for the parent
    uint32_t entryBlock = 0;
    uint16_t partition = 0;
    uint32_t uniqueId = 0;
    uint32_t tagLocation = 0;
    bool verifies = false;
    std::size_t length = 0;
};

class ImageReader {
public:
    explicit ImageReader(const std::string& path);
    uint64_t size() const { return size_; }
    Sector sector(uint64_t n) const;
    uint16_t tag_id(uint64_t n) const { return le16(sector(n).data()); }

    // The metadata file's start (partition block) and the partition start, from the image itself.
    uint32_t metadataStart() const;
    uint64_t metadataSector(uint32_t block) const { return 288 + metadataStart() + block; }
    Sector entry(uint32_t metadataBlock) const { return sector(metadataSector(metadataBlock)); }
    // A folder's descriptors, read through its extended file entry.
    std::vector<Identifier> directory(uint32_t entryBlock) const;

private:
    std::string path_;
    uint64_t size_ = 0;
};

std::string Utf8(const std::u32string& text);
// The name in UTF-8, from an 8- or 16-bit compressed identifier.
std::string Utf8Name(const std::vector<uint8_t>& identifier);

} // namespace udf_test
