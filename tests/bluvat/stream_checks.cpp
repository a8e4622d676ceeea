#include "stream_checks.h"

#include "test_media.h"

#include "platform/process_runner.h"

#include <libbluray/bluray.h>
#include <libbluray/log_control.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace bluvat_test {

M2tsFacts inspectM2ts(const std::string& path)
{
    M2tsFacts f;
    std::vector<uint8_t> b = readFile(path);
    f.bytes = b.size();
    f.wholeUnits = !b.empty() && b.size() % 6144 == 0;
    std::map<uint16_t, int> counter;
    uint32_t prevAts = 0;
    for (std::size_t at = 0; at + 192 <= b.size(); at += 192) {
        const uint8_t* s = &b[at];
        const uint8_t* p = s + 4;
        ++f.packets;
        if (p[0] != 0x47) {
            f.syncEverywhere = false;
            continue;
        }
        uint32_t ats = (uint32_t(s[0] & 0x3F) << 24) | (uint32_t(s[1]) << 16) | (uint32_t(s[2]) << 8) | s[3];
        if (f.packets > 1 && ((ats - prevAts) & 0x3FFFFFFF) >= 0x20000000)
            f.atsRising = false;
        prevAts = ats;
        f.ats.push_back(ats);
        uint16_t pid = uint16_t(((p[1] & 0x1F) << 8) | p[2]);
        ++f.packetsPerPid[pid];
        if ((p[3] & 0x20) && p[4] >= 7 && (p[5] & 0x10))
            ++f.pcrCount;
        if ((p[3] & 0x10) && pid != 0x1FFF) {
            int cc = p[3] & 0x0F;
            auto it = counter.find(pid);
            if (it != counter.end() && cc != ((it->second + 1) & 0x0F))
                ++f.continuityErrors;
            counter[pid] = cc;
        }
    }
    return f;
}

long ProbeFacts::count(const std::string& type) const
{
    long n = 0;
    for (const ProbedStream& s : streams)
        if (s.type == type)
            n += s.frames;
    return n;
}

namespace {
std::string runCollectingErrors(const std::vector<std::string>& args, const std::string& outFile)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    std::vector<std::string> full = args;
    full.insert(full.end(), {"-o", outFile});
    if (!child.Start("ffprobe", full, options))
        return "ffprobe could not start";
    std::string err;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(child.stderrFd(), buf, sizeof buf)) > 0)
        err.append(buf, std::size_t(n));
    child.Wait();
    return err;
}

std::vector<std::vector<std::string>> csvLines(const std::string& file)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, ','))
            cells.push_back(cell);
        if (!cells.empty())
            rows.push_back(cells);
    }
    return rows;
}
} // namespace

ProbeFacts probeFile(const std::string& path)
{
    ProbeFacts facts;
    std::string streamsCsv = scratchFolder() + "/probe_streams.csv";
    std::string packetsCsv = scratchFolder() + "/probe_packets.csv";
    facts.warnings = runCollectingErrors({"-v", "warning", "-count_frames", "-show_entries",
                                          "stream=index,codec_name,codec_type,nb_read_frames", "-of", "csv=p=0", path},
                                         streamsCsv);
    for (const auto& row : csvLines(streamsCsv)) {
        if (row.size() < 4)
            continue;
        std::size_t index = std::size_t(std::atoi(row[0].c_str()));
        if (facts.streams.size() <= index)
            facts.streams.resize(index + 1);
        facts.streams[index] = {row[2], row[1], std::atol(row[3].c_str()), true};
    }
    facts.warnings +=
        runCollectingErrors({"-v", "warning", "-show_entries", "packet=stream_index,dts", "-of", "csv=p=0", path},
                            packetsCsv);
    std::map<std::size_t, long long> lastDts;
    for (const auto& row : csvLines(packetsCsv)) {
        if (row.size() < 2 || row[1] == "N/A")
            continue;
        std::size_t index = std::size_t(std::atoi(row[0].c_str()));
        long long dts = std::atoll(row[1].c_str());
        auto it = lastDts.find(index);
        if (it != lastDts.end() && dts <= it->second && index < facts.streams.size())
            facts.streams[index].dtsRising = false;
        lastDts[index] = dts;
    }
    return facts;
}

namespace {
std::mutex g_discLock;
std::vector<std::string>* g_critical = nullptr;
void onLibblurayMessage(const char* msg)
{
    if (g_critical && msg)
        g_critical->push_back(msg);
}
} // namespace

DiscFacts readDisc(const std::string& folder)
{
    std::lock_guard<std::mutex> guard(g_discLock);
    DiscFacts facts;
    g_critical = &facts.criticalMessages;
    bd_set_debug_mask(DBG_CRIT);
    bd_set_debug_handler(onLibblurayMessage);
    if (BLURAY* bd = bd_open(folder.c_str(), nullptr)) {
        facts.opened = true;
        const BLURAY_DISC_INFO* disc = bd_get_disc_info(bd);
        uint32_t titles = disc ? disc->num_hdmv_titles : 0;
        facts.playlists = bd_get_titles(bd, TITLES_ALL, 0);
        for (uint32_t t = 1; t <= titles; ++t) {
            DiscTitle title;
            title.movieObject = disc->titles[t] ? int(disc->titles[t]->id_ref) : -1;
            // Title t runs movie object t - 1, which plays playlist t - 1.
            if (BLURAY_TITLE_INFO* ti = bd_get_playlist_info(bd, t - 1, 0)) {
                title.seconds = double(ti->duration) / 90000.0;
                title.clips = int(ti->clip_count);
                title.chapters = int(ti->chapter_count);
                for (uint32_t c = 0; c < ti->chapter_count; ++c)
                    title.chapterStarts.push_back(double(ti->chapters[c].start) / 90000.0);
                if (ti->clip_count > 0) {
                    const BLURAY_CLIP_INFO& clip = ti->clips[0];
                    for (unsigned i = 0; i < clip.video_stream_count; ++i)
                        title.videoPids.push_back(clip.video_streams[i].pid);
                    for (unsigned i = 0; i < clip.audio_stream_count; ++i)
                        title.audioPids.push_back(clip.audio_streams[i].pid);
                }
                bd_free_title_info(ti);
            }
            facts.titles.push_back(title);
        }
        bd_close(bd);
    }
    bd_set_debug_handler(nullptr);
    g_critical = nullptr;
    return facts;
}

} // namespace bluvat_test
