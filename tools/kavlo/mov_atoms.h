#pragma once
// Atoms of a QuickTime file held whole in memory. Offsets are 0-based and every read is checked
// against the bounds of its atom and of the file image.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kavlo {

using Bytes = std::vector<uint8_t>;

struct AtomSlot {
    std::size_t offset = 0; // of its size field
    std::size_t size = 0;
    bool found = false;
    std::size_t end() const { return offset + size; }
};

// Whether the four bytes at `at` spell `type`.
bool TypeAt(const Bytes& image, std::size_t at, std::string_view type);

// Size of the atom whose size field is at `offset` (a 64-bit size included), when it is at least a
// header long and ends within `limit`.
std::optional<std::size_t> AtomSizeAt(const Bytes& image, std::size_t offset, std::size_t limit);

// The big-endian 32-bit field at `offset` inside a found atom.
std::optional<uint32_t> FieldU32(const Bytes& image, const AtomSlot& atom, std::size_t offset);

Bytes Slice(const Bytes& image, const AtomSlot& atom);

} // namespace kavlo
