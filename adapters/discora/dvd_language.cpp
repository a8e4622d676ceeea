#include "adapters/discora/dvd_language.h"

#include <cctype>

namespace discora {
namespace {

// Every ISO 639-2 code (terminology and bibliographic) that has an ISO 639-1 code: three letters,
// then its two, sorted, one space after each pair.
constexpr std::string_view kCodes =
    "aaraa abkab afraf akaak albsq amham araar argan armhy asmas avaav aveae aymay azeaz bakba bambm baqeu "
    "belbe benbn bihbh bisbi bodbo bosbs brebr bulbg burmy catca cescs chach chece chizh chucu chvcv corkw "
    "cosco crecr cymcy czecs danda deude divdv dutnl dzodz ellel engen epoeo estet euseu eweee faofo fasfa "
    "fijfj finfi frafr frefr fryfy fulff geoka gerde glagd glega glggl glvgv greel grngn gujgu hatht hauha "
    "hebhe herhz hinhi hmoho hrvhr hunhu hyehy iboig iceis idoio iiiii ikuiu ileie inaia indid ipkik islis "
    "itait javjv jpnja kalkl kankn kasks katka kaukr kazkk khmkm kikki kinrw kirky komkv konkg korko kuakj "
    "kurku laolo latla lavlv limli linln litlt ltzlb lublu luglg macmk mahmh malml maomi marmr mayms mkdmk "
    "mlgmg mltmt monmn mrimi msams myamy nauna navnv nblnr ndend ndong nepne nldnl nnonn nobnb norno nyany "
    "ocioc ojioj orior ormom ossos panpa perfa plipi polpl porpt pusps quequ rohrm ronro rumro runrn rusru "
    "sagsg sansa sinsi slksk slosk slvsl smese smosm snasn sndsd somso sotst spaes sqisq srdsc srpsr sswss "
    "sunsu swasw swesv tahty tamta tattt telte tgktg tgltl thath tibbo tirti tonto tsntn tsots tuktk turtr "
    "twitw uigug ukruk urdur uzbuz venve vievi volvo welcy wlnwa wolwo xhoxh yidyi yoryo zhaza zhozh zulzu";

constexpr std::size_t kEntry = 6;

} // namespace

std::string DvdLanguage(std::string_view tag)
{
    if (tag.size() != 2 && tag.size() != 3)
        return {};
    std::string code;
    for (char c : tag) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return {};
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (std::size_t at = 0; at + 5 <= kCodes.size(); at += kEntry) {
        std::string_view three = kCodes.substr(at, 3), two = kCodes.substr(at + 3, 2);
        if (code == three || code == two)
            return std::string(two);
    }
    return {};
}

} // namespace discora
