#include "bluvat/readers/matroska_reader.h"

#include <algorithm>
#include <cstring>

#include "bluvat/readers/ebml.h"
#include "bluvat/readers/matroska_block.h"
#include "bluvat/readers/matroska_chapters.h"
#include "bluvat/readers/matroska_pes.h"
#include "bluvat/report.h"
#include "bluvat/stream_types.h"

namespace bluvat {
namespace {

constexpr uint64_t kSegmentSearchLimit = 18481152;
constexpr uint64_t kSegmentNearLimit = 64 << 10;
constexpr std::size_t kHeaderBytes = 12;         // longest ID (4) + longest size (8)
constexpr uint64_t kLargestCluster = 256u << 20; // larger is a corrupt size, not a cluster
constexpr uint64_t kLargestTracks = 16u << 20;
constexpr uint32_t kTimecodeScaleId = 0x2AD7B1;
constexpr int64_t kGroupSpan = 9000; // 100 ms of blocks per group, in 90 kHz
constexpr uint64_t kPtsMask = (uint64_t{1} << 33) - 1;

std::span<const uint8_t> DataOf(const std::vector<uint8_t>& bytes, const ebml::Element& e)
{
    return std::span<const uint8_t>(bytes).subspan(e.offset, e.size);
}

} // namespace

int64_t MatroskaBlockTime(uint64_t clusterTime, int16_t relativeTime, uint64_t timescaleNs)
{
    int64_t ticks = static_cast<int64_t>(clusterTime) + relativeTime;
    // ns per tick × 90 kHz / 1e9, in 128 bits so that large times do not overflow
    return static_cast<int64_t>(static_cast<__int128>(ticks) * static_cast<__int128>(timescaleNs) * 9 / 100000);
}

MatroskaReader::MatroskaReader(std::string path) : SourceReader(SourceKind::Matroska), path_(std::move(path))
{
}

void MatroskaReader::ReportCorrupt()
{
    if (corruptReported_)
        return;
    corruptReported_ = true;
    ReportError("Invalid/Corrupted MKV file");
}

bool MatroskaReader::Scan()
{
    if (!file_.Open(path_))
        return false;

    std::vector<uint8_t> head;
    static const uint8_t magic[] = {0x18, 0x53, 0x80, 0x67};
    auto at = head.end();
    // The segment nearly always follows the EBML header at once: the far search is the exception.
    for (uint64_t window : {kSegmentNearLimit, kSegmentSearchLimit}) {
        file_.ReadAt(0, std::min<uint64_t>(file_.size(), window), head);
        at = std::search(head.begin(), head.end(), std::begin(magic), std::end(magic));
        if (at != head.end() || head.size() < window)
            break;
    }
    std::optional<ebml::Header> segment;
    uint64_t segmentOffset = static_cast<uint64_t>(at - head.begin());
    if (at != head.end())
        segment = ebml::ReadHeader(std::span<const uint8_t>(head).subspan(segmentOffset));
    head = {};
    if (!segment) {
        ReportError("Invalid/Corrupted MKV file");
        return true;
    }
    uint64_t begin = segmentOffset + segment->length;
    uint64_t end = file_.size();
    if (!segment->unknownSize && segment->size <= end - std::min(begin, end))
        end = begin + segment->size;
    else if (!segment->unknownSize)
        ReportCorrupt(); // truncated: what is there is still read
    WalkSegment(begin, end);

    // Clusters play in time order; clusters with equal times keep their file order.
    std::stable_sort(clusters_.begin(), clusters_.end(),
                     [](const Cluster& a, const Cluster& b) { return a.timecode < b.timecode; });
    for (const MatroskaTrack& track : tracks_) {
        ProgramEntry entry;
        entry.streamType = track.streamType;
        entry.pid = track.pid;
        entry.language = track.language;
        entries_.push_back(entry);
    }
    reorderDelays_.assign(tracks_.size(), 0);
    MeasureReorderDelays();
    if (!clusters_.empty()) {
        auto clockOf = [&](int64_t time) { return static_cast<uint64_t>(std::max<int64_t>(time, 0)) * 300; };
        firstPcr_ = clockOf(MatroskaBlockTime(clusters_.front().timecode, 0, timescaleNs_));
        // The last cluster's own blocks tell where the source ends, not just where it begins.
        int64_t lastTime = MatroskaBlockTime(clusters_.back().timecode, 0, timescaleNs_);
        for (const auto& [track, time] : BlockTimes(clusters_.back()))
            lastTime = std::max(lastTime, time);
        lastPcr_ = clockOf(lastTime);
    }
    if (!entries_.empty())
        ScanAttributes(*this, entries_);
    Seek(kNoClock);
    return true;
}

void MatroskaReader::WalkSegment(uint64_t pos, uint64_t end)
{
    std::vector<uint8_t> bytes;
    while (pos < end) {
        ReportOpenProgress(static_cast<int>(pos * 50 / std::max<uint64_t>(end, 1)));
        file_.ReadAt(pos, kHeaderBytes, bytes);
        auto h =
            ebml::ReadHeader(std::span<const uint8_t>(bytes).first(std::min<std::size_t>(bytes.size(), end - pos)));
        if (!h) {
            ReportCorrupt();
            return;
        }
        uint64_t data = pos + h->length;
        uint64_t size = 0;
        if (h->unknownSize && h->id == ebml::id::Cluster) {
            size = ClusterEnd(data, end) - std::min(data, end);
        } else if (h->unknownSize || h->size > end - std::min(data, end)) {
            if (!h->unknownSize)
                ReportCorrupt();
            size = end - std::min(data, end);
        } else {
            size = h->size;
        }

        if (h->id == ebml::id::Cluster) {
            Cluster cluster{data, size, 0};
            if (ReadClusterTimecode(cluster))
                clusters_.push_back(cluster);
        } else if (h->id == ebml::id::Tracks && size > kLargestTracks) {
            ReportCorrupt();
        } else if (h->id == ebml::id::Tracks) {
            file_.ReadAt(data, size, bytes);
            ReadMatroskaTracks(bytes, tracks_, [this](const char* text) {
                if (std::strcmp(text, "Invalid/Corrupted MKV file") == 0)
                    ReportCorrupt();
                else
                    ReportError(text);
            });
            trackByNumber_.clear();
            for (std::size_t i = 0; i < tracks_.size(); ++i)
                trackByNumber_.emplace(tracks_[i].number, i); // the first track of a number wins
        } else if (h->id == ebml::id::Chapters && size <= kLargestTracks) {
            file_.ReadAt(data, size, bytes);
            bool corrupt = false;
            chapters_.clear();
            // Chapter times are nanoseconds, whatever the file's time scale; the packets carry the lead.
            for (uint64_t ns : ReadMatroskaChapters(bytes, corrupt))
                chapters_.push_back(
                    static_cast<uint64_t>(MatroskaBlockTime(ns, 0, 1) + int64_t(kMatroskaPresentationLead)) & kPtsMask);
            if (corrupt)
                ReportCorrupt();
        } else if (h->id == ebml::id::Info && size <= kLargestTracks) {
            file_.ReadAt(data, size, bytes);
            bool corrupt = false;
            for (const ebml::Element& e : ebml::Children(bytes, corrupt)) {
                if (e.id == kTimecodeScaleId) {
                    uint64_t scale = ebml::ReadUnsigned(DataOf(bytes, e)).value_or(0);
                    if (scale > 0 && scale <= 1000000000)
                        timescaleNs_ = scale;
                }
            }
        }
        pos = data + size;
    }
}

// An unknown-sized cluster runs until the next element that can only sit in the Segment.
uint64_t MatroskaReader::ClusterEnd(uint64_t pos, uint64_t limit)
{
    std::vector<uint8_t> bytes;
    while (pos < limit) {
        file_.ReadAt(pos, kHeaderBytes, bytes);
        auto h = ebml::ReadHeader(bytes);
        if (!h || ebml::IsSegmentChildId(h->id) || h->unknownSize || h->size > limit - pos - h->length)
            return h && ebml::IsSegmentChildId(h->id) ? pos : limit;
        pos += h->length + h->size;
    }
    return limit;
}

bool MatroskaReader::ReadClusterTimecode(Cluster& cluster)
{
    std::vector<uint8_t> bytes;
    uint64_t pos = cluster.offset;
    uint64_t end = cluster.offset + cluster.size;
    while (pos < end) {
        file_.ReadAt(pos, std::min<uint64_t>(kHeaderBytes, end - pos), bytes);
        auto h = ebml::ReadHeader(bytes);
        if (!h || h->unknownSize || h->size > end - pos - h->length)
            break;
        if (h->id == ebml::id::ClusterTimecode) {
            file_.ReadAt(pos + h->length, h->size, bytes);
            auto value = ebml::ReadUnsigned(bytes);
            bool allOnes = value && h->size > 0 && *value == (~uint64_t{0} >> (64 - 8 * h->size));
            if (!value || bytes.size() != h->size || allOnes)
                break;
            cluster.timecode = *value;
            return true;
        }
        pos += h->length + h->size;
    }
    ReportError("Could not find timecode");
    return false;
}

// The largest reorder delay of each video track over the opening clusters, so that decode times
// run evenly from the start.
void MatroskaReader::MeasureReorderDelays()
{
    constexpr std::size_t kMeasuredClusters = 8;
    constexpr int64_t kMeasuredSpan = 10 * 90000; // many groups of pictures: reading more is a pass for nothing
    const int64_t start = clusters_.empty() ? 0 : MatroskaBlockTime(clusters_.front().timecode, 0, timescaleNs_);
    for (std::size_t c = 0; c < clusters_.size() && c < kMeasuredClusters; ++c) {
        if (MatroskaBlockTime(clusters_[c].timecode, 0, timescaleNs_) - start >= kMeasuredSpan)
            break;
        std::vector<std::pair<std::size_t, int64_t>> blocks = BlockTimes(clusters_[c]);
        for (std::size_t t = 0; t < tracks_.size(); ++t) {
            std::vector<int64_t> times;
            for (const auto& [track, time] : blocks)
                if (track == t)
                    times.push_back(time);
            reorderDelays_[t] = std::max(reorderDelays_[t], ReorderDelay(times));
        }
    }
}

bool MatroskaReader::ReadCluster(const Cluster& cluster)
{
    if (cluster.size > kLargestCluster) {
        ReportCorrupt();
        return false;
    }
    file_.ReadAt(cluster.offset, cluster.size, clusterBytes_);
    if (clusterBytes_.size() != cluster.size)
        ReportCorrupt();
    return true;
}

std::vector<std::pair<std::size_t, int64_t>> MatroskaReader::BlockTimes(const Cluster& cluster)
{
    std::vector<std::pair<std::size_t, int64_t>> blocks;
    if (!ReadCluster(cluster))
        return blocks;
    const std::vector<uint8_t>& bytes = clusterBytes_;
    auto add = [&](std::span<const uint8_t> data) {
        auto block = ParseMatroskaBlock(data);
        if (!block) {
            ReportCorrupt();
            return;
        }
        auto track = trackByNumber_.find(block->track);
        bool empty = std::all_of(block->frames.begin(), block->frames.end(), [](auto f) { return f.empty(); });
        if (track != trackByNumber_.end() && !empty) // as the packets are made
            blocks.emplace_back(track->second, MatroskaBlockTime(cluster.timecode, block->relativeTime, timescaleNs_));
    };
    bool corrupt = false;
    for (const ebml::Element& child : ebml::Children(bytes, corrupt)) {
        if (child.id == ebml::id::SimpleBlock) {
            add(DataOf(bytes, child));
        } else if (child.id == ebml::id::BlockGroup) {
            auto group = DataOf(bytes, child);
            for (const ebml::Element& part : ebml::Children(group, corrupt))
                if (part.id == ebml::id::Block)
                    add(group.subspan(part.offset, part.size));
        }
    }
    if (corrupt)
        ReportCorrupt();
    return blocks;
}

void MatroskaReader::AddDecodeTimes(std::deque<Frame>& frames, std::size_t firstNew)
{
    for (std::size_t t = 0; t < tracks_.size(); ++t) {
        if (!IsVideoType(tracks_[t].streamType))
            continue;
        std::vector<Frame*> mine;
        std::vector<int64_t> times;
        for (std::size_t i = firstNew; i < frames.size(); ++i) {
            if (frames[i].track == t) {
                mine.push_back(&frames[i]);
                times.push_back(frames[i].time);
            }
        }
        auto decode = DecodeTimes(times, reorderDelays_[t]);
        for (std::size_t i = 0; i < mine.size(); ++i) {
            if (decode[i] != times[i])
                AddDecodeTimestamp(mine[i]->packet.bytes,
                                   static_cast<uint64_t>(decode[i] + static_cast<int64_t>(kMatroskaPresentationLead)));
        }
    }
}

bool MatroskaReader::LoadCluster(const Cluster& cluster, std::deque<Frame>& frames, bool withDecodeTimes)
{
    corruptReported_ = false;
    std::size_t firstNew = frames.size();
    if (!ReadCluster(cluster))
        return false;
    const std::vector<uint8_t>& bytes = clusterBytes_;
    bool corrupt = false;
    for (const ebml::Element& child : ebml::Children(bytes, corrupt)) {
        if (child.id == ebml::id::SimpleBlock) {
            ReadBlock(DataOf(bytes, child), cluster.timecode, true, false, frames);
        } else if (child.id == ebml::id::BlockGroup) {
            auto group = DataOf(bytes, child);
            auto parts = ebml::Children(group, corrupt);
            bool referenced = std::any_of(parts.begin(), parts.end(),
                                          [](const ebml::Element& e) { return e.id == ebml::id::ReferenceBlock; });
            for (const ebml::Element& part : parts) {
                if (part.id == ebml::id::Block)
                    ReadBlock(group.subspan(part.offset, part.size), cluster.timecode, false, !referenced, frames);
            }
        }
    }
    if (corrupt)
        ReportCorrupt();
    if (withDecodeTimes)
        AddDecodeTimes(frames, firstNew);
    return true;
}

void MatroskaReader::ReadBlock(std::span<const uint8_t> data, uint64_t clusterTime, bool simple, bool groupKey,
                               std::deque<Frame>& frames)
{
    auto block = ParseMatroskaBlock(data);
    if (!block) {
        ReportCorrupt();
        return;
    }
    auto track = trackByNumber_.find(block->track);
    if (track == trackByNumber_.end())
        return;
    bool empty = std::all_of(block->frames.begin(), block->frames.end(), [](auto f) { return f.empty(); });
    if (empty)
        return;
    const MatroskaTrack& t = tracks_[track->second];
    bool key = simple ? block->keyFlag() : groupKey;
    Frame frame;
    frame.time = MatroskaBlockTime(clusterTime, block->relativeTime, timescaleNs_);
    frame.track = track->second;
    uint64_t pts = static_cast<uint64_t>(frame.time + static_cast<int64_t>(kMatroskaPresentationLead)) & kPtsMask;
    std::vector<std::vector<uint8_t>> restored;
    restored.reserve(block->frames.size()); // the frames point into it
    if (!t.strippedHeader.empty()) {
        for (auto& f : block->frames) {
            restored.emplace_back(t.strippedHeader);
            restored.back().insert(restored.back().end(), f.begin(), f.end());
            f = restored.back();
        }
    }
    bool intact = true;
    frame.packet.pid = t.pid;
    frame.packet.keyFrame = key;
    frame.packet.priority = t.streamType == kAc3Audio || t.streamType == kDtsAudio; // audio: the core substream
    bool decodeTimeFollows =
        IsVideoType(t.streamType) && track->second < reorderDelays_.size() && reorderDelays_[track->second] > 0;
    frame.packet.bytes = MatroskaFramePes(t, pts, key, block->frames, intact, memory_.Take(), decodeTimeFollows);
    if (!intact)
        ReportCorrupt();
    frames.push_back(std::move(frame));
}

bool MatroskaReader::NextGroup(std::vector<PesPacket>& group)
{
    while (pending_.empty()) {
        if (nextCluster_ >= clusters_.size())
            return false;
        LoadCluster(clusters_[nextCluster_++], pending_, true);
    }
    // The clock follows the blocks in steps of at most a group, never going back.
    int64_t start = pending_.front().time;
    clock_ = std::max(clock_, static_cast<uint64_t>(std::max<int64_t>(start, 0)) * 300);
    PassClock(clock_);
    while (!pending_.empty() && pending_.front().time < start + kGroupSpan) {
        Frame& f = pending_.front();
        if (auto pts = PesPts(f.packet.bytes))
            PassPts(*pts, f.packet.pid);
        group.push_back(std::move(f.packet));
        pending_.pop_front();
    }
    return true;
}

void MatroskaReader::Seek(uint64_t pcr)
{
    pending_.clear();
    clock_ = 0;
    nextCluster_ = 0;
    if (pcr == kNoClock)
        return;
    while (nextCluster_ + 1 < clusters_.size() &&
           static_cast<uint64_t>(
               std::max<int64_t>(MatroskaBlockTime(clusters_[nextCluster_ + 1].timecode, 0, timescaleNs_), 0)) *
                   300 <=
               pcr)
        ++nextCluster_;
}

} // namespace bluvat
