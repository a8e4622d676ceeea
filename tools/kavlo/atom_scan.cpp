#include "tools/kavlo/atom_scan.h"

#include "tools/kavlo/kavlo_messages.h"

#include <utility>

namespace kavlo {

namespace {

struct TrackKind {
    const char* type;
    AtomSlot TrackAtoms::*slot;
    const char* thirdMessage;
};

constexpr TrackKind kTrackKinds[] = {
    {"trak", &TrackAtoms::trak, kMoreThanTwoTrak},
    {"edts", &TrackAtoms::edts, kMoreThanTwoEdts},
    {"mdia", &TrackAtoms::mdia, kMoreThanTwoMdia},
    {"minf", &TrackAtoms::minf, kMoreThanTwoMinf},
};

struct TableKind {
    const char* type;
    AtomSlot TrackAtoms::*slot;
};

constexpr TableKind kTableKinds[] = {
    {"stsd", &TrackAtoms::stsd}, {"stts", &TrackAtoms::stts}, {"stss", &TrackAtoms::stss},
    {"stsc", &TrackAtoms::stsc}, {"stsz", &TrackAtoms::stsz}, {"stco", &TrackAtoms::stco},
};

// File-level atoms whose content is not searched. A camera clip is marked by its first "skip"
// and its last "udta", so "udta" keeps the last one found and the others the first.
AtomSlot* FileLevelSlot(AtomIndex& index, const Bytes& image, std::size_t at)
{
    if (TypeAt(image, at, "udta"))
        return &index.udta;
    const std::pair<const char*, AtomSlot*> kinds[] = {
        {"skip", &index.skip}, {"free", &index.free}, {"ftyp", &index.ftyp},
        {"wide", &index.wide}, {"mdat", &index.mdat},
    };
    for (const auto& [type, slot] : kinds)
        if (TypeAt(image, at, type))
            return slot;
    return nullptr;
}

bool IsWatched(const Bytes& image, std::size_t at)
{
    for (const char* type :
         {"skip", "free", "ftyp", "wide", "mdat", "udta", "moov", "trak", "edts", "mdia", "minf", "stbl"})
        if (TypeAt(image, at, type))
            return true;
    return false;
}

void Record(AtomSlot& slot, std::size_t offset, std::size_t size)
{
    slot = {offset, size, true};
}

// The sample tables, codec names and decoder configuration inside one "stbl"; the first of each.
void ScanSampleTable(const Bytes& image, const AtomSlot& stbl, TrackAtoms& track, AtomIndex& index)
{
    for (std::size_t at = stbl.offset + 12; at + 4 <= stbl.end(); ++at) {
        for (const TableKind& kind : kTableKinds) {
            AtomSlot& slot = track.*kind.slot;
            if (!slot.found && TypeAt(image, at, kind.type))
                if (auto size = AtomSizeAt(image, at - 4, stbl.end()))
                    Record(slot, at - 4, *size);
        }
        if (TypeAt(image, at, "mp4v"))
            track.mp4v = true;
        if (TypeAt(image, at, "ulaw"))
            track.ulaw = true;
        if (!index.esds.found && TypeAt(image, at, "esds"))
            if (auto size = AtomSizeAt(image, at - 4, stbl.end()))
                Record(index.esds, at - 4, *size);
    }
}

} // namespace

std::optional<std::string> ScanAtoms(const Bytes& image, AtomIndex& index)
{
    index = {};
    int trackKindCount[std::size(kTrackKinds)] = {};
    int stblCount = 0;
    // `at` is where a type would be; its atom starts 4 bytes earlier.
    std::size_t at = 4;
    while (at + 4 <= image.size()) {
        const std::size_t start = at - 4;
        const auto size = IsWatched(image, at) ? AtomSizeAt(image, start, image.size()) : std::nullopt;
        if (!size) {
            ++at;
            continue;
        }
        if (AtomSlot* slot = FileLevelSlot(index, image, at)) {
            if (slot == &index.udta || !slot->found)
                Record(*slot, start, *size);
            at = start + *size + 4;
            continue;
        }
        if (TypeAt(image, at, "moov")) {
            if (!index.moov.found)
                Record(index.moov, start, *size);
            at += 4;
            continue;
        }
        bool matched = false;
        for (std::size_t k = 0; k < std::size(kTrackKinds); ++k) {
            if (!TypeAt(image, at, kTrackKinds[k].type))
                continue;
            if (trackKindCount[k] == 2)
                return std::string(kTrackKinds[k].thirdMessage);
            Record(index.tracks[trackKindCount[k]++].*kTrackKinds[k].slot, start, *size);
            matched = true;
        }
        if (matched) {
            at += 4;
            continue;
        }
        if (TypeAt(image, at, "stbl")) {
            if (stblCount == 2)
                return std::string(kMoreThanTwoStbl);
            TrackAtoms& track = index.tracks[stblCount++];
            Record(track.stbl, start, *size);
            ScanSampleTable(image, track.stbl, track, index);
            at = start + *size + 4;
            continue;
        }
        ++at;
    }

    index.anyMp4v = index.tracks[0].mp4v || index.tracks[1].mp4v;
    index.anyUlaw = index.tracks[0].ulaw || index.tracks[1].ulaw;
    if (index.tracks[0].ulaw && index.tracks[1].mp4v)
        std::swap(index.tracks[0], index.tracks[1]);
    return std::nullopt;
}

uint32_t CodecFlag(const AtomIndex& index)
{
    return index.anyMp4v && index.anyUlaw ? 1 : 0;
}

} // namespace kavlo
