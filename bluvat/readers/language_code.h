#pragma once
// Audio and subtitle languages as a disc names them: ISO 639-2 terminology codes.

#include <string>
#include <string_view>

namespace bluvat {

// The three-letter code for a source's language tag ("fre" and "fra" both give "fra"); empty
// when the tag names no particular language ("und", "mul", malformed).
std::string DiscLanguage(std::string_view tag);

} // namespace bluvat
