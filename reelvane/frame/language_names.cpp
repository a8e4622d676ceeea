// The primary and sublanguage names of the original platform, used to pick the default pack.
#include "reelvane/frame/language_table.h"

namespace reelvane {
namespace {

struct NamedNumber {
    uint16_t number;
    const char* name;
};

constexpr NamedNumber kPrimary[] = {
    {0, "Neutral"},     {1, "Arabic"},
    {2, "Bulgarian"},   {3, "Catalan"},
    {4, "Chinese"},     {5, "Czech"},
    {6, "Danish"},      {7, "German"},
    {8, "Greek"},       {9, "English"},
    {10, "Spanish"},    {11, "Finnish"},
    {12, "French"},     {13, "Hebrew"},
    {14, "Hungarian"},  {15, "Icelandic"},
    {16, "Italian"},    {17, "Japanese"},
    {18, "Korean"},     {19, "Dutch"},
    {20, "Norwegian"},  {21, "Polish"},
    {22, "Portuguese"}, {24, "Romanian"},
    {25, "Russian"},    {26, "Croatian"},
    {26, "Serbian"},    {27, "Slovak"},
    {28, "Albanian"},   {29, "Swedish"},
    {30, "Thai"},       {31, "Turkish"},
    {32, "Urdu"},       {33, "Indonesian"},
    {34, "Ukrainian"},  {35, "Belarusian"},
    {36, "Slovenian"},  {37, "Estonian"},
    {38, "Latvian"},    {39, "Lithuanian"},
    {41, "Farsi"},      {42, "Vietnamese"},
    {43, "Armenian"},   {44, "Azeri"},
    {45, "Basque"},     {47, "FYRO Macedonian"},
    {54, "Afrikaans"},  {55, "Georgian"},
    {56, "Faeroese"},   {57, "Hindi"},
    {62, "Malay"},      {63, "Kazak"},
    {65, "Swahili"},    {67, "Uzbek"},
    {68, "Tatar"},      {70, "Punjabi"},
    {71, "Gujarati"},   {73, "Tamil"},
    {74, "Telugu"},     {75, "Kannada"},
    {78, "Marathi"},    {79, "Sanskrit"},
    {87, "Konkani"},
};

constexpr NamedNumber kSub[] = {
    {0, "Language neutral"},
    {1, "User Default"},
    {2, "System Default"},
    {1, "Arabic (Saudi Arabia)"},
    {2, "Arabic (Iraq)"},
    {3, "Arabic (Egypt)"},
    {4, "Arabic (Libya)"},
    {5, "Arabic (Algeria)"},
    {6, "Arabic (Morocco)"},
    {7, "Arabic (Tunisia)"},
    {8, "Arabic (Oman)"},
    {9, "Arabic (Yemen)"},
    {10, "Arabic (Syria)"},
    {11, "Arabic (Jordan)"},
    {12, "Arabic (Lebanon)"},
    {13, "Arabic (Kuwait)"},
    {14, "Arabic (U.A.E.)"},
    {15, "Arabic (Bahrain)"},
    {16, "Arabic (Qatar)"},
    {1, "Chinese (Traditional)"},
    {2, "Chinese (Simplified)"},
    {3, "Chinese (Hong Kong)"},
    {4, "Chinese (Singapore)"},
    {5, "Chinese (Macau)"},
    {1, "Dutch"},
    {2, "Dutch (Belgian)"},
    {1, "English (US)"},
    {2, "English (UK)"},
    {3, "English (Australian)"},
    {4, "English (Canadian)"},
    {5, "English (New Zealand)"},
    {6, "English (Ireland)"},
    {7, "English (South Africa)"},
    {8, "English (Jamaica)"},
    {9, "English (Caribbean)"},
    {10, "English (Belize)"},
    {11, "English (Trinidad)"},
    {12, "English (Zimbabwe)"},
    {13, "English (Philippines)"},
    {1, "French"},
    {2, "French (Belgian)"},
    {3, "French (Canadian)"},
    {4, "French (Swiss)"},
    {5, "French (Luxembourg)"},
    {6, "French (Monaco)"},
    {1, "German"},
    {2, "German (Swiss)"},
    {3, "German (Austrian)"},
    {4, "German (Luxembourg)"},
    {5, "German (Liechtenstein)"},
    {1, "Italian"},
    {2, "Italian (Swiss)"},
    {1, "Korean"},
    {2, "Korean (Johab)"},
    {1, "Lithuanian"},
    {2, "Lithuanian (Classic)"},
    {1, "Malay (Malaysian)"},
    {2, "Malay (Brunei Darussalam)"},
    {1, "Norwegian (Bokmal)"},
    {2, "Norwegian (Nynorsk)"},
    {1, "Portuguese (Brazilian)"},
    {2, "Portuguese"},
    {2, "Serbian (Latin)"},
    {3, "Serbian (Cyrillic)"},
    {1, "Spanish (Castilian)"},
    {2, "Spanish (Mexican)"},
    {3, "Spanish (Modern)"},
    {4, "Spanish (Guatemala)"},
    {5, "Spanish (Costa Rica)"},
    {6, "Spanish (Panama)"},
    {7, "Spanish (Dominican Republic)"},
    {8, "Spanish (Venezuela)"},
    {9, "Spanish (Colombia)"},
    {10, "Spanish (Peru)"},
    {11, "Spanish (Argentina)"},
    {12, "Spanish (Ecuador)"},
    {13, "Spanish (Chile)"},
    {14, "Spanish (Uruguay)"},
    {15, "Spanish (Paraguay)"},
    {16, "Spanish (Bolivia)"},
    {17, "Spanish (El Salvador)"},
    {18, "Spanish (Honduras)"},
    {19, "Spanish (Nicaragua)"},
    {20, "Spanish (Puerto Rico)"},
    {1, "Swedish"},
    {2, "Swedish (Finland)"},
    {1, "Azeri (Latin)"},
    {2, "Azeri (Cyrillic)"},
    {1, "Uzbek (Latin)"},
    {2, "Uzbek (Cyrillic)"},
};

static_assert(std::size(kSub) == 90);

} // namespace

std::string PrimaryLanguageName(uint16_t primary)
{
    for (const NamedNumber& row : kPrimary)
        if (row.number == primary)
            return row.name;
    return {};
}

std::string SubLanguageName(uint16_t sub, const std::string& primaryName)
{
    for (const NamedNumber& row : kSub)
        if (row.number == sub && std::string(row.name).find(primaryName) != std::string::npos)
            return row.name;
    return {};
}

} // namespace reelvane
