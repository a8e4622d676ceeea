#pragma once
// Audio languages as a DVD names them: ISO 639-1 two-letter codes.

#include <string>
#include <string_view>

namespace discora {

// The two-letter code for a language tag: ISO 639-2 in either spelling ("ger" and "deu" both give
// "de") or ISO 639-1 itself; empty when the tag names no language a DVD can carry ("und", "mul").
std::string DvdLanguage(std::string_view tag);

} // namespace discora
