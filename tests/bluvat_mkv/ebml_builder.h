#pragma once
// Builds small Matroska files element by element, for cases no muxer writes on request.

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat_mkv_test {

using Bytes = std::vector<uint8_t>;

inline Bytes id(uint32_t v)
{
    Bytes b;
    for (int shift = 24; shift >= 0; shift -= 8)
        if ((v >> shift) || !b.empty() || shift == 0)
            b.push_back(static_cast<uint8_t>(v >> shift));
    return b;
}

// Size as an 8-byte varint, so a test may patch any size it likes.
inline Bytes element(uint32_t elementId, const Bytes& data)
{
    Bytes b = id(elementId);
    b.push_back(0x01);
    for (int shift = 48; shift >= 0; shift -= 8)
        b.push_back(static_cast<uint8_t>(data.size() >> shift));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

inline Bytes unsignedElement(uint32_t elementId, uint64_t v, int width = 2)
{
    Bytes d;
    for (int i = width - 1; i >= 0; --i)
        d.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return element(elementId, d);
}

inline Bytes text(uint32_t elementId, const std::string& s)
{
    return element(elementId, Bytes(s.begin(), s.end()));
}

inline Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

inline Bytes track(uint64_t number, const std::string& codec, const Bytes& codecPrivate = {})
{
    Bytes fields = cat({unsignedElement(0xD7, number, 1), text(0x86, codec)});
    if (!codecPrivate.empty())
        fields = cat({fields, element(0x63A2, codecPrivate)});
    return element(0xAE, fields);
}

// SimpleBlock: track (1-byte varint), relative time, flags, frame bytes.
inline Bytes simpleBlock(uint8_t trackNumber, int16_t relative, uint8_t flags, const Bytes& frame)
{
    Bytes d = {static_cast<uint8_t>(0x80 | trackNumber), static_cast<uint8_t>(relative >> 8),
               static_cast<uint8_t>(relative), flags};
    d.insert(d.end(), frame.begin(), frame.end());
    return element(0xA3, d);
}

inline Bytes cluster(uint64_t timecode, std::initializer_list<Bytes> blocks)
{
    Bytes d = unsignedElement(0xE7, timecode, 2);
    for (const Bytes& b : blocks)
        d.insert(d.end(), b.begin(), b.end());
    return element(0x1F43B675, d);
}

inline Bytes matroskaFile(const Bytes& segmentContent)
{
    Bytes header = element(0x1A45DFA3, text(0x4282, "matroska"));
    return cat({header, element(0x18538067, segmentContent)});
}

} // namespace bluvat_mkv_test
