#pragma once
// Reads a Matroska file as a source: its H.264, MPEG-2, VC-1, AC-3 and DTS tracks become
// program-map entries (PID = ordinal of the taken track) and its blocks PES packets.

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "bluvat/readers/matroska_tracks.h"
#include "bluvat/readers/random_access_file.h"
#include "bluvat/readers/source_reader.h"

namespace bluvat {

// Time stamps handed out run this far (90 kHz) ahead of the clock, the decoder's head start.
constexpr uint64_t kMatroskaPresentationLead = 63000;

// 90 kHz time of a block: (cluster time + relative time) in the file's time scale (ns per tick).
int64_t MatroskaBlockTime(uint64_t clusterTime, int16_t relativeTime, uint64_t timescaleNs);

class MatroskaReader final : public SourceReader {
public:
    explicit MatroskaReader(std::string path);

    bool Scan() override;
    bool NextGroup(std::vector<PesPacket>& group) override;
    void Seek(uint64_t pcr) override;
    void Recycle(std::vector<PesPacket>& group) override { memory_.Keep(group); }

    const std::vector<MatroskaTrack>& tracks() const { return tracks_; }

private:
    struct Cluster {
        uint64_t offset = 0; // of its data
        uint64_t size = 0;
        uint64_t timecode = 0;
    };
    struct Frame {
        int64_t time = 0;      // 90 kHz, without the presentation lead
        std::size_t track = 0; // index in the track table
        PesPacket packet;
    };

    void WalkSegment(uint64_t begin, uint64_t end);
    uint64_t ClusterEnd(uint64_t dataOffset, uint64_t limit);
    bool ReadClusterTimecode(Cluster& cluster);
    bool LoadCluster(const Cluster& cluster, std::deque<Frame>& frames, bool withDecodeTimes);
    // The track and time of each block of the cluster, without building its packets.
    std::vector<std::pair<std::size_t, int64_t>> BlockTimes(const Cluster& cluster);
    // The cluster's bytes in clusterBytes_; false when it cannot be whole.
    bool ReadCluster(const Cluster& cluster);
    void MeasureReorderDelays();
    void ReadBlock(std::span<const uint8_t> data, uint64_t clusterTime, bool simple, bool groupKey,
                   std::deque<Frame>& frames);
    void AddDecodeTimes(std::deque<Frame>& frames, std::size_t firstNew);
    void ReportCorrupt();

    std::string path_;
    RandomAccessFile file_;
    uint64_t timescaleNs_ = 1000000;
    std::vector<MatroskaTrack> tracks_;
    std::vector<int64_t> reorderDelays_; // per track, from the opening clusters
    std::unordered_map<uint64_t, std::size_t> trackByNumber_;
    std::vector<Cluster> clusters_;
    std::size_t nextCluster_ = 0;
    std::deque<Frame> pending_;
    std::vector<uint8_t> clusterBytes_; // kept from cluster to cluster: no fresh pages for each
    PacketMemory memory_;
    uint64_t clock_ = 0;
    bool corruptReported_ = false;
};

} // namespace bluvat
