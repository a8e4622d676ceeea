#pragma once
// Names and labels in the OSTA compressed Unicode form of UDF.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nx_udf {

// Code points of a UTF-8 text; nothing when it is not well-formed UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view text);

// Compression ID (8 when every character is at most U+00FF, else 16) followed by the characters,
// as many leading characters as fit into `maxBytes` (compression ID included).
std::vector<uint8_t> CompressedUnicode(const std::u32string& text, std::size_t maxBytes);

// A file identifier: the whole name or nothing when it is not UTF-8 or does not fit in 255 bytes.
std::optional<std::vector<uint8_t>> FileIdentifier(std::string_view name);

} // namespace nx_udf
