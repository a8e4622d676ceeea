#include "bluvat/readers/ebml.h"

#include <bit>

namespace bluvat::ebml {

std::optional<Varint> ReadVarint(std::span<const uint8_t> bytes, unsigned maxLength)
{
    if (bytes.empty() || bytes[0] == 0)
        return std::nullopt;
    unsigned length = static_cast<unsigned>(std::countl_zero(bytes[0])) + 1;
    if (length > maxLength || length > bytes.size())
        return std::nullopt;
    Varint v;
    v.length = length;
    v.value = bytes[0] & (0xFFu >> length);
    for (unsigned i = 1; i < length; ++i)
        v.value = (v.value << 8) | bytes[i];
    v.allOnes = v.value == (uint64_t{1} << (7 * length)) - 1;
    return v;
}

std::optional<int64_t> ReadSignedVarint(std::span<const uint8_t> bytes, unsigned& length)
{
    auto v = ReadVarint(bytes);
    if (!v)
        return std::nullopt;
    length = v->length;
    int64_t bias = (int64_t{1} << (7 * v->length - 1)) - 1;
    return static_cast<int64_t>(v->value) - bias;
}

std::optional<Header> ReadHeader(std::span<const uint8_t> bytes)
{
    auto idv = ReadVarint(bytes, 4);
    if (!idv)
        return std::nullopt;
    Header h;
    for (unsigned i = 0; i < idv->length; ++i)
        h.id = (h.id << 8) | bytes[i];
    auto size = ReadVarint(bytes.subspan(idv->length), 8);
    if (!size)
        return std::nullopt;
    h.size = size->value;
    h.unknownSize = size->allOnes;
    h.length = idv->length + size->length;
    return h;
}

std::vector<Element> Children(std::span<const uint8_t> data, bool& corrupt)
{
    std::vector<Element> list;
    uint64_t pos = 0;
    while (pos < data.size()) {
        auto h = ReadHeader(data.subspan(pos));
        if (!h) {
            corrupt = true;
            break;
        }
        Element e{h->id, pos + h->length, h->size};
        uint64_t room = data.size() - e.offset;
        if (h->unknownSize || h->size > room) {
            if (!h->unknownSize)
                corrupt = true;
            e.size = room;
        }
        list.push_back(e);
        pos = e.end();
    }
    return list;
}

std::optional<uint64_t> ReadUnsigned(std::span<const uint8_t> data)
{
    if (data.size() > 8)
        return std::nullopt;
    uint64_t v = 0;
    for (uint8_t b : data)
        v = (v << 8) | b;
    return v;
}

bool IsSegmentChildId(uint32_t i)
{
    switch (i) {
    case id::SeekHead:
    case id::Info:
    case id::Cluster:
    case id::Tracks:
    case id::Cues:
    case id::Chapters:
    case id::Tags:
    case id::Attachments: return true;
    default: return false;
    }
}

} // namespace bluvat::ebml
