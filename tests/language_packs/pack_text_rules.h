#pragma once
// What a translated text must keep from its English original: printf directives, escapes,
// mnemonic markers. Shared by the pack checks and the checks of these rules themselves.

#include <cstring>
#include <string>
#include <vector>

namespace pack_rules {

// Every directive as printf would see it: "%%", or "%" flags width precision length conversion.
// A "%" that does not form a whole directive is returned with a trailing "?" so that a stray
// percent sign in a translation ("100 % sicher" reads as "% s") never passes unnoticed.
inline std::vector<std::string> PrintfDirectives(const std::string& text)
{
    std::vector<std::string> found;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] != '%')
            continue;
        std::size_t j = i + 1;
        if (j < n && text[j] == '%') {
            found.push_back("%%");
            i = j;
            continue;
        }
        auto skip = [&](const char* set) {
            while (j < n && std::strchr(set, text[j]) != nullptr)
                ++j;
        };
        skip("-+ #0");
        skip("0123456789*");
        if (j < n && text[j] == '.') {
            ++j;
            skip("0123456789*");
        }
        skip("hlLqjzt");
        if (j < n && std::strchr("diouxXeEfFgGaAcspn", text[j]) != nullptr) {
            found.push_back(text.substr(i, j - i + 1));
            i = j;
        } else {
            found.push_back(text.substr(i, j - i) + "?");
            i = j - 1;
        }
    }
    return found;
}

inline std::size_t CountOf(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// Mnemonic markers: a single "&" before a visible character ("&&" is a literal ampersand).
// A lone "&" before a blank or at the end marks nothing useful and is counted apart.
struct Ampersands {
    std::size_t mnemonics = 0;
    std::size_t literals = 0;
    std::size_t dangling = 0;
};

inline Ampersands CountAmpersands(const std::string& text)
{
    Ampersands result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '&') {
            ++result.literals;
            ++i;
        } else if (i + 1 < text.size() && text[i + 1] != ' ') {
            ++result.mnemonics;
        } else {
            ++result.dangling;
        }
    }
    return result;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(const std::string& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char c = p[i];
        std::size_t length;
        unsigned long code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

} // namespace pack_rules
