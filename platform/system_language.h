#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The 16-bit language identifier (primary language in the low 10 bits, sublanguage in the high 6)
// of the user's locale, from LC_ALL, LC_MESSAGES, then LANG. "C", "POSIX" or an unset locale give
// English (US).
uint16_t SystemLanguageId();

// The identifier for one locale name such as "de_DE.UTF-8" or "pt_BR"; an unknown language gives
// 0 (neutral), an unknown country the language's default sublanguage.
uint16_t LanguageIdFromLocale(const std::string& locale);

constexpr uint16_t PrimaryLanguage(uint16_t langId)
{
    return langId & 0x3FF;
}
constexpr uint16_t SubLanguage(uint16_t langId)
{
    return langId >> 10;
}
constexpr uint16_t MakeLanguageId(uint16_t primary, uint16_t sub)
{
    return static_cast<uint16_t>((sub << 10) | primary);
}

} // namespace platform
