#include "tools/kavlo/mov_atoms.h"

#include "platform/byte_writer.h"

#include <cstring>

namespace kavlo {

bool TypeAt(const Bytes& image, std::size_t at, std::string_view type)
{
    return at <= image.size() && image.size() - at >= 4 && std::memcmp(&image[at], type.data(), 4) == 0;
}

std::optional<std::size_t> AtomSizeAt(const Bytes& image, std::size_t offset, std::size_t limit)
{
    if (limit > image.size() || offset > limit || limit - offset < 8)
        return std::nullopt;
    platform::BigEndianReader in(&image[offset], limit - offset);
    uint64_t size = in.u32();
    std::size_t header = 8;
    if (size == 1) {
        in.skip(4);
        size = in.u64();
        header = 16;
        if (in.failed())
            return std::nullopt;
    }
    if (size < header || size > limit - offset)
        return std::nullopt;
    return static_cast<std::size_t>(size);
}

std::optional<uint32_t> FieldU32(const Bytes& image, const AtomSlot& atom, std::size_t offset)
{
    if (!atom.found || atom.end() > image.size() || offset > atom.size || atom.size - offset < 4)
        return std::nullopt;
    platform::BigEndianReader in(&image[atom.offset + offset], 4);
    return in.u32();
}

Bytes Slice(const Bytes& image, const AtomSlot& atom)
{
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(atom.offset),
                 image.begin() + static_cast<std::ptrdiff_t>(atom.end()));
}

} // namespace kavlo
