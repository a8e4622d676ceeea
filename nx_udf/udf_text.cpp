#include "nx_udf/udf_text.h"

#include <algorithm>

namespace nx_udf {

std::optional<std::u32string> DecodeUtf8(std::string_view text)
{
    std::u32string out;
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<uint8_t>(text[i]);
        int extra = lead < 0x80                    ? 0
                    : lead >= 0xC2 && lead <= 0xDF ? 1
                    : (lead & 0xF0) == 0xE0        ? 2
                    : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                   : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size())
            return std::nullopt;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        out.push_back(c);
        i += 1 + extra;
    }
    return out;
}

std::vector<uint8_t> CompressedUnicode(const std::u32string& text, std::size_t maxBytes)
{
    std::vector<uint8_t> out;
    std::u32string_view narrow(text.data(), std::min(text.size(), maxBytes - 1));
    if (std::all_of(narrow.begin(), narrow.end(), [](char32_t c) { return c <= 0xFF; })) {
        out.push_back(8);
        for (char32_t c : narrow)
            out.push_back(static_cast<uint8_t>(c));
        return out;
    }
    out.push_back(16);
    for (char32_t c : text) {
        std::size_t units = c > 0xFFFF ? 2 : 1;
        if (out.size() + 2 * units > maxBytes)
            break;
        if (units == 2) {
            char32_t high = 0xD800 + ((c - 0x10000) >> 10);
            out.push_back(static_cast<uint8_t>(high >> 8));
            out.push_back(static_cast<uint8_t>(high));
            c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        }
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c));
    }
    return out;
}

std::optional<std::vector<uint8_t>> FileIdentifier(std::string_view name)
{
    auto chars = DecodeUtf8(name);
    if (!chars)
        return std::nullopt;
    auto identifier = CompressedUnicode(*chars, SIZE_MAX);
    if (identifier.size() > 255) // its length is kept in one byte
        return std::nullopt;
    return identifier;
}

} // namespace nx_udf
