#pragma once
// The chapter starts of a Matroska Chapters element, for the title's entry marks.

#include <cstdint>
#include <span>
#include <vector>

namespace bluvat {

// ChapterTimeStart of each enabled, shown top-level ChapterAtom of the default edition (the first
// edition when none is marked default), in nanoseconds, ascending. `corrupt` is set for an
// element that runs past its parent.
std::vector<uint64_t> ReadMatroskaChapters(std::span<const uint8_t> chapters, bool& corrupt);

} // namespace bluvat
