#include "bluvat/readers/matroska_block.h"

#include "bluvat/readers/ebml.h"

namespace bluvat {
namespace {

// Sizes of all frames but the last; the last one takes what remains.
bool XiphSizes(std::span<const uint8_t> data, std::size_t& pos, unsigned count, std::vector<uint64_t>& sizes)
{
    for (unsigned i = 0; i + 1 < count; ++i) {
        uint64_t size = 0;
        uint8_t b;
        do {
            if (pos >= data.size())
                return false;
            b = data[pos++];
            size += b;
        } while (b == 0xFF);
        sizes.push_back(size);
    }
    return true;
}

bool EbmlSizes(std::span<const uint8_t> data, std::size_t& pos, unsigned count, std::vector<uint64_t>& sizes)
{
    if (count < 2)
        return true;
    auto first = ebml::ReadVarint(data.subspan(pos));
    if (!first)
        return false;
    pos += first->length;
    int64_t size = static_cast<int64_t>(first->value);
    sizes.push_back(first->value);
    for (unsigned i = 1; i + 1 < count; ++i) {
        unsigned length = 0;
        auto diff = ebml::ReadSignedVarint(data.subspan(pos), length);
        if (!diff)
            return false;
        pos += length;
        size += *diff;
        if (size < 0 || static_cast<uint64_t>(size) > data.size())
            return false;
        sizes.push_back(static_cast<uint64_t>(size));
    }
    return true;
}

} // namespace

std::optional<MatroskaBlock> ParseMatroskaBlock(std::span<const uint8_t> data)
{
    auto track = ebml::ReadVarint(data);
    if (!track || data.size() < track->length + 3u)
        return std::nullopt;
    MatroskaBlock block;
    block.track = track->value;
    std::size_t pos = track->length;
    block.relativeTime = static_cast<int16_t>((data[pos] << 8) | data[pos + 1]);
    block.flags = data[pos + 2];
    block.lacing = (block.flags >> 1) & 3;
    pos += 3;

    if (block.lacing == 0) {
        block.frames.push_back(data.subspan(pos));
        return block;
    }
    if (pos >= data.size())
        return std::nullopt;
    unsigned count = data[pos++] + 1u;
    std::vector<uint64_t> sizes;
    if (block.lacing == 2) {
        std::size_t rest = data.size() - pos;
        if (rest % count != 0)
            return std::nullopt;
        sizes.assign(count - 1, rest / count);
    } else if (!(block.lacing == 1 ? XiphSizes(data, pos, count, sizes) : EbmlSizes(data, pos, count, sizes))) {
        return std::nullopt;
    }
    for (uint64_t size : sizes) {
        if (size > data.size() - pos)
            return std::nullopt;
        block.frames.push_back(data.subspan(pos, size));
        pos += size;
    }
    block.frames.push_back(data.subspan(pos));
    return block;
}

} // namespace bluvat
