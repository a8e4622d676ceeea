#pragma once
// Copies the "moov" atom with some of its atoms replaced; every container on the way to a
// replaced atom gets the size of its new content.

#include "tools/kavlo/mov_atoms.h"

#include <map>
#include <set>

namespace kavlo {

struct MoovEdits {
    std::map<std::size_t, Bytes> replacements; // by the offset of the atom they replace
    std::set<std::size_t> containers;          // offsets of the containers that hold them
    Bytes udta;                                // replaces the movie's own "udta", at the end
};

// False when the atoms named in `edits` are not where the tree puts them.
bool RewriteMoov(const Bytes& image, const AtomSlot& moov, const MoovEdits& edits, Bytes& out);

} // namespace kavlo
