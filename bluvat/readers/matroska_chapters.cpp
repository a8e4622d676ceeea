#include "bluvat/readers/matroska_chapters.h"

#include "bluvat/readers/ebml.h"

#include <algorithm>

namespace bluvat {
namespace {

constexpr uint32_t kEditionEntry = 0x45B9, kEditionFlagDefault = 0x45DB, kChapterAtom = 0xB6, kChapterTimeStart = 0x91,
                   kChapterFlagHidden = 0x98, kChapterFlagEnabled = 0x4598;

std::span<const uint8_t> DataOf(std::span<const uint8_t> parent, const ebml::Element& e)
{
    return parent.subspan(e.offset, e.size);
}

uint64_t FlagOr(std::span<const uint8_t> edition, uint32_t id, uint64_t absent, bool& corrupt)
{
    for (const ebml::Element& e : ebml::Children(edition, corrupt))
        if (e.id == id)
            return ebml::ReadUnsigned(DataOf(edition, e)).value_or(absent);
    return absent;
}

} // namespace

std::vector<uint64_t> ReadMatroskaChapters(std::span<const uint8_t> chapters, bool& corrupt)
{
    std::span<const uint8_t> chosen;
    bool found = false;
    for (const ebml::Element& e : ebml::Children(chapters, corrupt)) {
        if (e.id != kEditionEntry)
            continue;
        std::span<const uint8_t> edition = DataOf(chapters, e);
        bool isDefault = FlagOr(edition, kEditionFlagDefault, 0, corrupt) == 1;
        if (!found || isDefault)
            chosen = edition;
        found = true;
        if (isDefault)
            break;
    }
    std::vector<uint64_t> starts;
    for (const ebml::Element& e : ebml::Children(chosen, corrupt)) {
        if (e.id != kChapterAtom)
            continue;
        std::span<const uint8_t> atom = DataOf(chosen, e);
        std::optional<uint64_t> start;
        for (const ebml::Element& field : ebml::Children(atom, corrupt))
            if (field.id == kChapterTimeStart)
                start = ebml::ReadUnsigned(DataOf(atom, field));
        bool shown =
            FlagOr(atom, kChapterFlagHidden, 0, corrupt) == 0 && FlagOr(atom, kChapterFlagEnabled, 1, corrupt) == 1;
        if (start && shown)
            starts.push_back(*start);
    }
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    return starts;
}

} // namespace bluvat
