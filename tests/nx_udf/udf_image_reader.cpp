#include "udf_image_reader.h"

#include <filesystem>
#include <fstream>

namespace udf_test {

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t le32(const uint8_t* p)
{
    return le16(p) | uint32_t(le16(p + 2)) << 16;
}
uint64_t le64(const uint8_t* p)
{
    return le32(p) | uint64_t(le32(p + 4)) << 32;
}

uint16_t ReferenceCrc(const uint8_t* data, std::size_t size)
{
    uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    }
    return static_cast<uint16_t>(crc);
}

bool TagVerifies(const uint8_t* p)
{
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4)
            sum = static_cast<uint8_t>(sum + p[i]);
    return sum == p[4] && le16(p + 8) == ReferenceCrc(p + 16, le16(p + 10));
}

ImageReader::ImageReader(const std::string& path) : path_(path)
{
    std::error_code error;
    size_ = std::filesystem::file_size(path, error);
}

Sector ImageReader::sector(uint64_t n) const
{
    Sector bytes(2048, 0);
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(n * 2048));
    in.read(reinterpret_cast<char*>(bytes.data()), 2048);
    return bytes;
}

uint32_t ImageReader::metadataStart() const
{
    Sector metadataEntry = sector(288);
    uint32_t eaLength = le32(&metadataEntry[208]);
    return le32(&metadataEntry[216 + eaLength + 4]);
}

std::vector<Identifier> ImageReader::directory(uint32_t entryBlock) const
{
    Sector folder = entry(entryBlock);
    uint32_t eaLength = le32(&folder[208]);
    uint32_t length = le32(&folder[216 + eaLength]);
    uint32_t first = le32(&folder[216 + eaLength + 4]);
    std::vector<uint8_t> bytes;
    for (uint32_t b = 0; b * 2048 < length; ++b) {
        Sector s = entry(first + b);
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    std::vector<Identifier> out;
    for (std::size_t at = 0; at + 38 <= length;) {
        const uint8_t* p = &bytes[at];
        Identifier id;
        id.characteristics = p[18];
        id.name.assign(p + 38, p + 38 + p[19]);
        id.entryBlock = le32(p + 24);
        id.partition = le16(p + 28);
        id.uniqueId = le32(p + 32);
        id.tagLocation = le32(p + 12);
        id.verifies = le16(p) == 257 && TagVerifies(p) && id.tagLocation == first + at / 2048;
        id.length = (38 + p[19] + 3) & ~std::size_t(3);
        out.push_back(id);
        at += id.length;
    }
    return out;
}

std::string Utf8(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf8Name(const std::vector<uint8_t>& identifier)
{
    std::u32string out;
    if (identifier.empty())
        return {};
    if (identifier[0] == 8) {
        for (std::size_t i = 1; i < identifier.size(); ++i)
            out += identifier[i];
        return Utf8(out);
    }
    for (std::size_t i = 1; i + 1 < identifier.size(); i += 2) {
        char32_t unit = char32_t(identifier[i]) << 8 | identifier[i + 1];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < identifier.size()) {
            char32_t low = char32_t(identifier[i + 2]) << 8 | identifier[i + 3];
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        out += unit;
    }
    return Utf8(out);
}

} // namespace udf_test
