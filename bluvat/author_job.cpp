#include "bluvat/author_job.h"

#include "bluvat/readers/source_reader.h"
#include "bluvat/report.h"
#include "bluvat/stream_types.h"
#include "bluvat/writers/clip_writer.h"
#include "bluvat/writers/file_sink.h"
#include "bluvat/writers/index_writer.h"
#include "bluvat/writers/m2ts_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace bluvat {

namespace {
std::unique_ptr<SourceReader> g_reader; // the current source, between opening and release
std::string g_readerPath;

constexpr int kMaxTitles = 999;

void DeleteTrackInfo(TrackInfo* info)
{
    if (!info)
        return;
    for (int32_t i = 0; i < info->count; ++i)
        delete info->entries[i];
    delete[] info->entries;
    delete info;
}

std::string Numbered(int title, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "%05d.%s", title, extension);
    return name;
}

// The trees a job writes into its folder; nothing else there is the job's to delete.
constexpr const char* kJobTrees[] = {"BDMV", "CERTIFICATE"};

bool StartsWith(const fs::path& path, const fs::path& root)
{
    return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

// Whether `source` lies inside one of the trees the job in `folder` replaces, by its name as given
// (a link in there goes with the tree) or by where it really is.
bool InsideJobTrees(const std::string& folder, const std::string& source)
{
    std::error_code ec;
    fs::path named = fs::absolute(source, ec).lexically_normal();
    fs::path real = fs::weakly_canonical(named, ec);
    for (const char* tree : kJobTrees) {
        fs::path root = fs::absolute(fs::path(folder) / tree, ec).lexically_normal();
        if (StartsWith(named, root) || StartsWith(real, fs::weakly_canonical(root, ec)))
            return true;
    }
    return false;
}

// Refuses a job one of whose sources its own clean-up would delete before reading it.
bool SourcesOutsideJobTrees(const std::string& folder, const std::vector<std::string>& sources)
{
    for (const std::string& source : sources)
        if (InsideJobTrees(folder, source)) {
            ReportError("The source file lies inside the BDMV or CERTIFICATE folder being authored: " + source);
            return false;
        }
    return true;
}

// Steps 1 to 5 of a job: fresh BDMV and CERTIFICATE trees and the two index files. False when the
// folder is refused. Whatever else the folder holds is the user's and stays.
bool MakeTree(std::string& folder, int titles, bool& complete)
{
    if (folder.empty())
        return false;
    if (folder.back() != '/')
        folder += '/';
    if (titles < 1 || titles > kMaxTitles)
        return false;
    std::error_code ec;
    for (const char* tree : kJobTrees)
        fs::remove_all(folder + tree, ec);
    for (const char* dir : {"", "BDMV", "BDMV/AUXDATA", "BDMV/BACKUP", "BDMV/BACKUP/BDJO", "BDMV/BACKUP/CLIPINF",
                            "BDMV/BACKUP/PLAYLIST", "BDMV/BDJO", "BDMV/CLIPINF", "BDMV/JAR", "BDMV/META",
                            "BDMV/PLAYLIST", "BDMV/STREAM", "CERTIFICATE", "CERTIFICATE/BACKUP"})
        fs::create_directory(folder + dir, ec);
    complete &= WriteIndexFiles(folder, titles);
    return true;
}

// The files of one title, each beside its backup copy where it has one.
std::vector<std::string> TitleFiles(const std::string& folder, int title)
{
    return {folder + "BDMV/STREAM/" + Numbered(title, "m2ts"), folder + "BDMV/PLAYLIST/" + Numbered(title, "mpls"),
            folder + "BDMV/BACKUP/PLAYLIST/" + Numbered(title, "mpls"),
            folder + "BDMV/CLIPINF/" + Numbered(title, "clpi"),
            folder + "BDMV/BACKUP/CLIPINF/" + Numbered(title, "clpi")};
}

// Progress of one title, fed by the reader's clock.
struct AuthorRun {
    uint64_t firstPcr = kNoClock;
    uint64_t lastPcr = kNoClock;
    uint64_t lastLeft = 0;

    void OnClock(uint64_t pcr)
    {
        if (firstPcr == kNoClock || lastPcr == kNoClock)
            return;
        uint64_t total = std::max<uint64_t>(ClockDistance(firstPcr, lastPcr) / 27000000, 1);
        uint64_t left = std::min<uint64_t>(ClockDistance(pcr, lastPcr) / 27000000, total);
        if (left == lastLeft)
            return;
        lastLeft = left;
        Report(2, static_cast<int32_t>((total - left) * 100 / total), "Author blu-ray folder...");
    }
};

// A video or audio stream the program map names but that brings no data would leave the title
// without it, passing for whole. A subtitle stream may rightly stay empty.
bool AllStreamsArrived(const std::vector<ProgramEntry>& chosen, const std::set<uint16_t>& arrived)
{
    bool all = true;
    for (const ProgramEntry& e : chosen) {
        bool subtitle = e.streamType == kPresentationGraphics || e.streamType == kInteractiveGraphics ||
                        e.streamType == kTextSubtitle;
        if (subtitle || arrived.count(e.pid))
            continue;
        char text[96];
        std::snprintf(text, sizeof text, "Stream 0x%04X of the program map carries no data", unsigned(e.pid));
        ReportError(text);
        all = false;
    }
    return all;
}

// The chapters a title is given, or else its source's own, in seconds from its in time.
std::vector<double> TitleChapters(const ChapterList* given, const SourceReader& reader, const M2tsWriter& writer)
{
    std::vector<double> seconds;
    if (given && given->starts && given->count > 0) {
        for (int32_t i = 0; i < given->count; ++i)
            if (std::isfinite(given->starts[i]))
                seconds.push_back(given->starts[i]);
        return seconds;
    }
    std::optional<uint64_t> in = writer.inSourcePts();
    if (!in)
        return seconds;
    constexpr uint64_t kPtsWrap = uint64_t(1) << 33;
    for (uint64_t pts : reader.chapters()) {
        // Forward on the 33-bit clock; more than half of it round is a step back.
        int64_t ticks = int64_t((pts - *in) & (kPtsWrap - 1));
        if (ticks >= int64_t(kPtsWrap / 2))
            ticks -= int64_t(kPtsWrap);
        seconds.push_back(double(ticks) / 90000.0);
    }
    return seconds;
}

// Step 7: one title from the current reader; true when its stream and clip files were written.
bool AuthorTitle(const std::string& folder, int title, const TrackInfo& info, const ChapterList* chapters)
{
    SourceReader& reader = *g_reader;
    std::set<uint16_t> pids;
    for (int32_t i = 0; i < info.count; ++i)
        if (info.entries[i]->selected > 0)
            pids.insert(info.entries[i]->pid);
    std::vector<ProgramEntry> chosen;
    for (const ProgramEntry& e : reader.entries())
        if (pids.count(e.pid))
            chosen.push_back(e);

    M2tsWriter writer;
    bool complete = writer.Open(folder + "BDMV/STREAM/" + Numbered(title, "m2ts"), M2tsMode::Bluray, chosen);
    if (!complete)
        ReportError("create m2ts error");
    writer.KeepClockFromWrapping(reader.firstPcr(), reader.lastPcr());
    AuthorRun run{reader.firstPcr(), reader.lastPcr(), 0};
    reader.Seek(kNoClock);
    reader.SetClockHook([&](uint64_t pcr) {
        writer.Clock(pcr);
        run.OnClock(pcr);
    });
    std::vector<PesPacket> group;
    std::set<uint16_t> arrived;
    bool more = true;
    bool stopped = false;
    while (more && complete && !writer.failed()) {
        if (StopRequested()) {
            stopped = true;
            complete = false;
            break;
        }
        reader.Recycle(group);
        more = reader.NextGroup(group);
        for (PesPacket& pes : group) {
            arrived.insert(pes.pid);
            writer.Write(pes);
        }
    }
    reader.SetClockHook(nullptr);
    if (complete)
        complete = AllStreamsArrived(chosen, arrived);
    if (complete && !writer.Finish()) {
        ReportError("write m2ts error");
        complete = false;
    }

    ClipInput clip;
    clip.entryPoints = writer.entryPoints();
    clip.streams = writer.streams();
    clip.packetCount = writer.packetCount();
    clip.presentationEnd = writer.presentationEnd();
    complete &= WriteClipFiles(folder, title, clip, TitleChapters(chapters, reader, writer));
    if (!complete) {
        // A title that is not whole must not pass for a finished one (a full disk, most often).
        std::error_code ignored;
        for (const std::string& file : TitleFiles(folder, title))
            fs::remove(file, ignored);
        if (!stopped)
            ReportError("The files of title " + std::to_string(title) + " could not be written whole and were removed");
    }
    return complete;
}

// Says which streams of the source stay off the disc, since a disc cannot carry their type.
void ReportLeftOut(const std::vector<ProgramEntry>& entries)
{
    for (const ProgramEntry& e : entries)
        if (StreamTypeName(e.streamType).empty()) {
            char text[96];
            std::snprintf(text, sizeof text, "Stream 0x%04X of type 0x%02X is left out: a disc cannot carry it",
                          unsigned(e.pid), unsigned(e.streamType));
            ReportError(text);
        }
}
} // namespace

std::string StreamTypeName(int32_t type)
{
    switch (type) {
    case kMpeg2Video: return "MPEG2 Video Stream";
    case kMpeg1Audio: return "MPEG1 Audio Stream";
    case kMpeg2Audio: return "MPEG2 Audio Stream";
    case kAvcVideo: return "AVC Video Stream";
    case kLpcmAudio: return "Lossless PCM Audio Stream";
    case kAc3Audio: return "Dolby Digital Audio Stream";
    case kDtsAudio: return "DTS Audio Stream";
    case kTrueHdAudio: return "Dolby True HD Audio Stream";
    case kEac3Audio: return "Dolby Digital Plus Audio Stream";
    case kDtsHdAudio: return "DTS-HD Audio Stream";
    case kDtsHdMasterAudio: return "DTS-HD Master Audio Stream";
    case kPresentationGraphics: return "Presentation Graphics Stream";
    case kInteractiveGraphics: return "Interactive Graphics Stream";
    case kTextSubtitle: return "Subtitle Stream";
    case kVc1Video: return "VC-1 Video Stream";
    }
    return {};
}

int OpenTrackInfo(const char* path, TrackInfo** out)
{
    g_reader.reset();
    g_readerPath.clear();
    std::unique_ptr<SourceReader> reader = path ? OpenSource(path) : nullptr;
    if (!reader) {
        ReportError("Open file error");
        return -1;
    }
    if (reader->entries().empty()) {
        // No window can be shown from here: the message goes to the callback instead.
        ReportError("The specified file does not contain a valid PAT/PMT combo.");
        return -1;
    }
    ReportLeftOut(reader->entries());
    auto* info = new TrackInfo{};
    const auto& entries = reader->entries();
    info->count = static_cast<int32_t>(entries.size());
    info->entries = new TrackEntry*[entries.size()];
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto* t = new TrackEntry{};
        std::string name = StreamTypeName(entries[i].streamType);
        t->pid = entries[i].pid;
        t->streamType = name.empty() ? 0 : entries[i].streamType;
        t->selected = name.empty() ? 0 : 1;
        if (name.empty())
            name = "Unknown type of Stream";
        std::strncpy(t->name, name.c_str(), sizeof t->name - 1);
        info->entries[i] = t;
    }
    if (reader->firstPcr() != kNoClock && reader->lastPcr() != kNoClock)
        info->duration = static_cast<float>(double(ClockDistance(reader->firstPcr(), reader->lastPcr())) / 27000000.0);
    info->kind = static_cast<int32_t>(reader->kind());
    g_reader = std::move(reader);
    g_readerPath = path;
    if (out)
        *out = info;
    return 0;
}

int FreeTrackInfo(TrackInfo* info)
{
    g_reader.reset();
    g_readerPath.clear();
    DeleteTrackInfo(info);
    return 0;
}

int AuthorSingleFolder(const char* folder, TrackInfo* info)
{
    std::string path = folder ? folder : "";
    bool complete = true;
    if (!g_reader || !info || !SourcesOutsideJobTrees(path, {g_readerPath}) || !MakeTree(path, 1, complete))
        return -1;
    complete &= AuthorTitle(path, 0, *info, nullptr);
    return complete ? 0 : -1;
}

int AuthorJob(const char* folder, const AuthorList* list, const ChapterList* chapters)
{
    std::string path = folder ? folder : "";
    int titles = list ? list->count : 0;
    if (titles < 1 || titles > kMaxTitles)
        return -1;
    std::vector<std::string> sources;
    for (int i = 0; i < titles && list->items; ++i)
        if (list->items[i] && list->items[i]->path)
            sources.push_back(list->items[i]->path);
    bool complete = true;
    if (!SourcesOutsideJobTrees(path, sources) || !MakeTree(path, titles, complete))
        return -1;
    for (int i = 0; i < titles; ++i) {
        if (StopRequested())
            return -1;
        char text[64];
        std::snprintf(text, sizeof text, "Start author index %d file.", i);
        Report(2, i, text);
        const AuthorItem* item = list->items ? list->items[i] : nullptr;
        TrackInfo* info = nullptr;
        if (!item || OpenTrackInfo(item->path, &info) != 0) {
            complete = false;
            continue;
        }
        const TrackInfo* selection = item->selection;
        if (selection && selection->count > 0 && selection->entries) {
            std::set<uint16_t> wanted;
            for (int32_t k = 0; k < selection->count; ++k)
                if (selection->entries[k])
                    wanted.insert(selection->entries[k]->pid);
            for (int32_t k = 0; k < info->count; ++k)
                if (!wanted.count(info->entries[k]->pid))
                    info->entries[k]->selected = 0;
        }
        complete &= AuthorTitle(path, i, *info, chapters ? &chapters[i] : nullptr);
        FreeTrackInfo(info);
        if (StopRequested())
            return -1;
        std::snprintf(text, sizeof text, "Author index %d file completed.", i);
        Report(2, i, text);
    }
    return complete ? 0 : -1;
}

} // namespace bluvat
