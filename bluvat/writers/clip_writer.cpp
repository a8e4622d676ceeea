#include "bluvat/writers/clip_writer.h"

#include "bluvat/readers/codec_headers.h"
#include "bluvat/report.h"
#include "bluvat/stream_types.h"
#include "bluvat/writers/file_sink.h"
#include "platform/byte_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bluvat {

namespace {
using Writer = platform::BigEndianWriter;

constexpr std::size_t kMostMarks = 999; // of one playlist, as players count them

bool IsListed(uint8_t type)
{
    return IsVideoType(type) || IsAudioType(type) || type == kPresentationGraphics;
}

std::string TitleName(int title)
{
    char name[16];
    std::snprintf(name, sizeof name, "%05d", title);
    return name;
}

// A stream whose source names no language is labelled English.
std::string LanguageOf(const OutputStream& s)
{
    return s.language.size() == 3 ? s.language : "eng";
}

void StreamEntry(Writer& w, uint16_t pid)
{
    w.u8(0x09).u8(0x01).u16(pid).zeros(6);
}

void PutStreamAttributes(Writer& w, const OutputStream& s)
{
    const StreamAttributes& a = s.attributes;
    if (IsVideoType(s.streamType))
        w.u8(0x05).u8(s.streamType).u8(a.format * 16 + (a.rate & 0x0F)).zeros(3);
    else if (IsAudioType(s.streamType))
        w.u8(0x05).u8(s.streamType).u8(a.format * 16 + (a.rate & 0x0F)).text(LanguageOf(s));
    else
        w.u8(0x05).u8(kPresentationGraphics).text(LanguageOf(s)).u8(0);
}

void CodingBlock(Writer& w, const OutputStream& s)
{
    const StreamAttributes& a = s.attributes;
    if (IsVideoType(s.streamType))
        w.u8(0x15).u8(s.streamType).u8(a.format * 16 + a.rate).u8(a.aspect * 16).zeros(18);
    else if (IsAudioType(s.streamType))
        w.u8(0x15).u8(s.streamType).u8(a.format * 16 + a.rate).text(LanguageOf(s)).zeros(16);
    else
        w.u8(0x15).u8(kPresentationGraphics).text(LanguageOf(s)).zeros(17);
}
} // namespace

uint32_t ClipIn(const ClipInput& clip)
{
    return clip.entryPoints.empty() ? 0 : uint32_t(clip.entryPoints.front().pts >> 1);
}

uint32_t ClipOut(const ClipInput& clip)
{
    return clip.entryPoints.empty() ? 0 : uint32_t(clip.presentationEnd >> 1);
}

std::vector<uint8_t> BuildPlaylist(int title, const ClipInput& clip, const std::vector<double>& chapters)
{
    const OutputStream* video = nullptr;
    std::vector<const OutputStream*> audio, graphics;
    for (const OutputStream& s : clip.streams) {
        if (IsVideoType(s.streamType)) {
            if (s.streamType != kMpeg2Video && s.streamType != kAvcVideo && s.streamType != kVc1Video)
                ReportError("Video stream of type is not supported by Blu Ray");
            video = &s; // the last one is listed
        } else if (IsAudioType(s.streamType)) {
            if (s.streamType < kLpcmAudio)
                ReportError("Audio stream of type is not supported by Blu Ray");
            audio.push_back(&s);
        } else if (s.streamType == kPresentationGraphics) {
            graphics.push_back(&s);
        }
    }
    uint32_t in = ClipIn(clip), out = ClipOut(clip);

    Writer stn;
    stn.u16(0).u16(0).u8(1).u8(uint32_t(audio.size())).u8(uint32_t(graphics.size())).zeros(9);
    if (video) {
        StreamEntry(stn, video->pid);
        PutStreamAttributes(stn, *video);
    }
    for (const auto* list : {&audio, &graphics})
        for (const OutputStream* s : *list) {
            StreamEntry(stn, s->pid);
            PutStreamAttributes(stn, *s);
        }
    stn.PatchU16(0, uint32_t(stn.size() - 2));

    Writer item;
    item.u16(0).text(TitleName(title)).text("M2TS").u16(0x0001).u8(0).u32(in).u32(out).zeros(12).bytes(stn.data());
    item.PatchU16(0, uint32_t(item.size() - 2));

    Writer playList;
    playList.u32(uint32_t(6 + item.size())).u16(0).u16(1).u16(0).bytes(item.data());

    std::vector<double> starts = chapters;
    std::sort(starts.begin(), starts.end());
    std::vector<uint32_t> marks;
    if (in < out)
        marks.push_back(in);
    for (double t : starts) {
        uint32_t at =
            in + static_cast<uint32_t>(std::llround(std::clamp(t, 0.0, double(out - in) / 45000.0) * 45000.0));
        if (!marks.empty() && at > marks.back() && at < out && marks.size() < kMostMarks)
            marks.push_back(at);
    }
    Writer markBlock;
    markBlock.u32(uint32_t(14 * marks.size() + 2)).u16(uint32_t(marks.size()));
    for (uint32_t at : marks)
        markBlock.u8(0x00).u8(0x01).u16(0).u32(at).u16(0xFFFF).u32(0); // an entry mark in play item 0

    Writer file;
    file.text("MPLS0100").u32(58).u32(uint32_t(58 + playList.size())).u32(0).zeros(20);
    file.u32(0x0E).u16(0x0001).zeros(10).u16(0x2000); // AppInfoPlayList: sequential playback
    file.bytes(playList.data()).bytes(markBlock.data());
    return file.take();
}

std::vector<uint8_t> BuildEntryPointMap(const std::vector<EntryPoint>& entries)
{
    Writer coarse, fine;
    uint32_t coarseCount = 0;
    uint32_t prevFinePts = 2047, prevFineSpn = 0x1FFFF;
    uint64_t prevCoarsePts = ~uint64_t(0), prevSpnHigh = ~uint64_t(0);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const EntryPoint& e = entries[k];
        uint32_t finePts = uint32_t((e.pts >> 9) % 2048);
        uint32_t coarsePts = uint32_t((e.pts >> 19) % 16384);
        uint32_t fineSpn = e.spn & 0x1FFFF;
        // A fine field that runs backwards wrapped; the coarse part can also move on without that
        // (entries far apart), and the first entry always needs one to refer to.
        bool wrapped = finePts < prevFinePts || fineSpn < prevFineSpn;
        bool moved = coarsePts != prevCoarsePts || (e.spn >> 17) != prevSpnHigh;
        if (k == 0 || wrapped || moved) {
            coarse.u32(uint32_t(k << 14) | coarsePts).u32(e.spn);
            ++coarseCount;
        }
        fine.u32((finePts << 17) | fineSpn);
        prevFinePts = finePts;
        prevFineSpn = fineSpn;
        prevCoarsePts = coarsePts;
        prevSpnHigh = e.spn >> 17;
    }
    Writer map;
    uint64_t counts = (uint64_t(1) << 34) | (uint64_t(coarseCount) << 18) | (entries.size() & 0x3FFFF);
    map.u8(0).u8(1).u16(kMainVideoPid);
    map.u16(uint32_t(counts >> 32)).u32(uint32_t(counts));
    map.u32(14);
    map.u32(4 + 8 * coarseCount);
    map.bytes(coarse.data()).bytes(fine.data());
    return map.take();
}

std::vector<uint8_t> BuildClipInfo(const ClipInput& clip)
{
    const auto& ep = clip.entryPoints;
    uint32_t rate = 0;
    if (!ep.empty()) {
        int64_t seconds = int64_t(ep.back().pts - ep.front().pts) / 90000;
        if (seconds <= 0)
            seconds = int64_t(ep.size());
        rate = uint32_t(uint64_t(ep.back().spn - ep.front().spn) * 192 / uint64_t(seconds));
    }
    Writer clipInfo;
    clipInfo.u32(176).u16(0).u8(0x01).u8(0x01).u32(0).u32(rate).u32(clip.packetCount).zeros(128);
    clipInfo.u8(0x00).u8(0x1E).u8(0x80).text("HDMV").zeros(25);

    Writer sequence;
    sequence.u32(22).u8(0).u8(1).u32(0).u8(1).u8(0).u16(kPcrPid).u32(0).u32(ClipIn(clip)).u32(ClipOut(clip));

    std::vector<const OutputStream*> listed;
    for (const OutputStream& s : clip.streams)
        if (IsListed(s.streamType))
            listed.push_back(&s);
    Writer program;
    program.u32(uint32_t(10 + 24 * listed.size())).u8(0).u8(1).u32(0).u16(kPmtPid).u8(uint32_t(listed.size())).u8(0);
    for (const OutputStream* s : listed) {
        program.u16(s->pid);
        CodingBlock(program, *s);
    }

    std::vector<uint8_t> map = BuildEntryPointMap(ep);
    Writer cpi;
    cpi.u32(uint32_t(2 + map.size())).u16(0x0001).bytes(map);

    uint32_t sequenceStart = uint32_t(40 + clipInfo.size());
    uint32_t programStart = uint32_t(sequenceStart + sequence.size());
    uint32_t cpiStart = uint32_t(programStart + program.size());
    uint32_t markStart = uint32_t(cpiStart + cpi.size());
    Writer file;
    file.text("HDMV0100").u32(sequenceStart).u32(programStart).u32(cpiStart).u32(markStart).zeros(16);
    file.bytes(clipInfo.data()).bytes(sequence.data()).bytes(program.data()).bytes(cpi.data()).u32(0);
    return file.take();
}

bool WriteClipFiles(const std::string& folder, int title, const ClipInput& clip, const std::vector<double>& chapters)
{
    bool ok = true;
    std::string name = TitleName(title);
    ok &= WriteWithBackup(folder + "BDMV/PLAYLIST/" + name + ".mpls", folder + "BDMV/BACKUP/PLAYLIST/" + name + ".mpls",
                          BuildPlaylist(title, clip, chapters), "mpls");
    ok &= WriteWithBackup(folder + "BDMV/CLIPINF/" + name + ".clpi", folder + "BDMV/BACKUP/CLIPINF/" + name + ".clpi",
                          BuildClipInfo(clip), "clpi");
    return ok;
}

} // namespace bluvat
