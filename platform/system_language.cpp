#include "platform/system_language.h"

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

struct PrimaryCode {
    const char* code; // ISO 639
    uint16_t primary;
};

// Primary language numbers of the original platform, by ISO 639 code.
constexpr PrimaryCode kPrimary[] = {
    {"ar", 1},  {"bg", 2},   {"ca", 3},  {"zh", 4},  {"cs", 5},  {"da", 6},  {"de", 7},  {"el", 8},  {"en", 9},
    {"es", 10}, {"fi", 11},  {"fr", 12}, {"he", 13}, {"iw", 13}, {"hu", 14}, {"is", 15}, {"it", 16}, {"ja", 17},
    {"ko", 18}, {"nl", 19},  {"no", 20}, {"nb", 20}, {"nn", 20}, {"pl", 21}, {"pt", 22}, {"ro", 24}, {"ru", 25},
    {"hr", 26}, {"sr", 26},  {"sk", 27}, {"sq", 28}, {"sv", 29}, {"th", 30}, {"tr", 31}, {"ur", 32}, {"id", 33},
    {"uk", 34}, {"be", 35},  {"sl", 36}, {"et", 37}, {"lv", 38}, {"lt", 39}, {"fa", 41}, {"vi", 42}, {"hy", 43},
    {"az", 44}, {"eu", 45},  {"mk", 47}, {"af", 54}, {"ka", 55}, {"fo", 56}, {"hi", 57}, {"ms", 62}, {"kk", 63},
    {"sw", 65}, {"uz", 67},  {"tt", 68}, {"pa", 70}, {"gu", 71}, {"ta", 73}, {"te", 74}, {"kn", 75}, {"mr", 78},
    {"sa", 79}, {"kok", 87},
};

struct RegionCode {
    const char* language;
    const char* region; // ISO 3166 country, or a locale modifier for scripts
    uint16_t sub;
};

// Sublanguages that are not the language's default (1).
constexpr RegionCode kRegion[] = {
    {"ar", "IQ", 2},       {"ar", "EG", 3},  {"ar", "LY", 4},  {"ar", "DZ", 5},    {"ar", "MA", 6},
    {"ar", "TN", 7},       {"ar", "OM", 8},  {"ar", "YE", 9},  {"ar", "SY", 10},   {"ar", "JO", 11},
    {"ar", "LB", 12},      {"ar", "KW", 13}, {"ar", "AE", 14}, {"ar", "BH", 15},   {"ar", "QA", 16},
    {"zh", "TW", 1},       {"zh", "CN", 2},  {"zh", "HK", 3},  {"zh", "SG", 4},    {"zh", "MO", 5},
    {"nl", "BE", 2},       {"en", "GB", 2},  {"en", "AU", 3},  {"en", "CA", 4},    {"en", "NZ", 5},
    {"en", "IE", 6},       {"en", "ZA", 7},  {"en", "JM", 8},  {"en", "BZ", 10},   {"en", "TT", 11},
    {"en", "ZW", 12},      {"en", "PH", 13}, {"fr", "BE", 2},  {"fr", "CA", 3},    {"fr", "CH", 4},
    {"fr", "LU", 5},       {"fr", "MC", 6},  {"de", "CH", 2},  {"de", "AT", 3},    {"de", "LU", 4},
    {"de", "LI", 5},       {"it", "CH", 2},  {"ms", "BN", 2},  {"nn", "", 2},      {"nn", "NO", 2},
    {"pt", "PT", 2},       {"sr", "", 3},    {"sr", "RS", 3},  {"sr", "latin", 2}, {"es", "ES", 3},
    {"es", "MX", 2},       {"es", "GT", 4},  {"es", "CR", 5},  {"es", "PA", 6},    {"es", "DO", 7},
    {"es", "VE", 8},       {"es", "CO", 9},  {"es", "PE", 10}, {"es", "AR", 11},   {"es", "EC", 12},
    {"es", "CL", 13},      {"es", "UY", 14}, {"es", "PY", 15}, {"es", "BO", 16},   {"es", "SV", 17},
    {"es", "HN", 18},      {"es", "NI", 19}, {"es", "PR", 20}, {"sv", "FI", 2},    {"az", "cyrillic", 2},
    {"uz", "cyrillic", 2},
};

// English (US) for the C locale, as a system with no language chosen would report.
constexpr uint16_t kEnglishUs = MakeLanguageId(9, 1);

} // namespace

uint16_t LanguageIdFromLocale(const std::string& locale)
{
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.compare(0, 2, "C.") == 0)
        return kEnglishUs;
    // language[_COUNTRY][.codeset][@modifier]
    std::size_t langEnd = locale.find_first_of("_.@");
    std::string language = locale.substr(0, langEnd);
    std::string region;
    if (langEnd != std::string::npos && locale[langEnd] == '_') {
        std::size_t regionEnd = locale.find_first_of(".@", langEnd + 1);
        region =
            locale.substr(langEnd + 1, regionEnd == std::string::npos ? std::string::npos : regionEnd - langEnd - 1);
    }
    std::string modifier;
    if (std::size_t at = locale.find('@'); at != std::string::npos)
        modifier = locale.substr(at + 1);

    uint16_t primary = 0;
    for (const PrimaryCode& p : kPrimary)
        if (language == p.code)
            primary = p.primary;
    if (primary == 0)
        return 0;

    uint16_t sub = 1;
    for (const RegionCode& r : kRegion) {
        if (language != r.language)
            continue;
        if (region == r.region || (!modifier.empty() && modifier == r.region)) {
            sub = r.sub;
            if (!modifier.empty() && modifier == r.region)
                break; // the script decides over the country
        }
    }
    return MakeLanguageId(primary, sub);
}

uint16_t SystemLanguageId()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return LanguageIdFromLocale(value);
    }
    return kEnglishUs;
}

} // namespace platform
