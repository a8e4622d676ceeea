#pragma once
// The index of a MOV file's atoms, found by their type letters rather than by walking the tree:
// camera clips and converted files are told apart by where these few atoms sit.

#include "tools/kavlo/mov_atoms.h"

#include <array>
#include <optional>
#include <string>

namespace kavlo {

struct TrackAtoms {
    AtomSlot trak, edts, mdia, minf, stbl, stsd, stts, stss, stsc, stsz, stco;
    bool mp4v = false;
    bool ulaw = false;
};

struct AtomIndex {
    AtomSlot skip, ftyp, wide, mdat, free, moov, udta, esds;
    std::array<TrackAtoms, 2> tracks;
    bool anyMp4v = false;
    bool anyUlaw = false;

    // After the scan the video track is always the first.
    const TrackAtoms& video() const { return tracks[0]; }
    const TrackAtoms& audio() const { return tracks[1]; }
};

// Indexes `image`. A third track atom ends the scan; its message is returned.
std::optional<std::string> ScanAtoms(const Bytes& image, AtomIndex& index);

// 1 when the file holds both an "mp4v" and a "ulaw" sample description.
uint32_t CodecFlag(const AtomIndex& index);

} // namespace kavlo
