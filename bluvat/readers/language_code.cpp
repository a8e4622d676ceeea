#include "bluvat/readers/language_code.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace bluvat {

namespace {
// ISO 639-2 languages whose bibliographic code differs from the terminology code discs carry.
struct CodePair {
    const char* bibliographic;
    const char* terminology;
};
constexpr CodePair kBibliographic[] = {
    {"alb", "sqi"}, {"arm", "hye"}, {"baq", "eus"}, {"bur", "mya"}, {"chi", "zho"}, {"cze", "ces"}, {"dut", "nld"},
    {"fre", "fra"}, {"geo", "kat"}, {"ger", "deu"}, {"gre", "ell"}, {"ice", "isl"}, {"mac", "mkd"}, {"mao", "mri"},
    {"may", "msa"}, {"per", "fas"}, {"rum", "ron"}, {"slo", "slk"}, {"tib", "bod"}, {"wel", "cym"},
};
// Codes that say the language is not known or not one language.
constexpr const char* kNoLanguage[] = {"und", "mul", "mis", "zxx"};
} // namespace

std::string DiscLanguage(std::string_view tag)
{
    if (tag.size() != 3)
        return {};
    std::string code;
    for (char c : tag) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return {};
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (std::find(std::begin(kNoLanguage), std::end(kNoLanguage), code) != std::end(kNoLanguage))
        return {};
    for (const CodePair& pair : kBibliographic)
        if (code == pair.bibliographic)
            return pair.terminology;
    return code;
}

} // namespace bluvat
