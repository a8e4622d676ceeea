#include "test_media.h"

#include "platform/process_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace bluvat_test {

namespace {
struct Scratch {
    std::string path;
    Scratch()
    {
        path = (fs::temp_directory_path() / ("bluvat_tests_" + std::to_string(getpid()))).string();
        fs::create_directories(path);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::string ffmpeg(const std::string& name, std::vector<std::string> args)
{
    std::string out = scratchFolder() + "/" + name;
    std::vector<std::string> full = {"-v", "error", "-y"};
    full.insert(full.end(), args.begin(), args.end());
    full.push_back(out);
    int status = platform::RunAndWait("ffmpeg", full);
    if (status != 0)
        ADD_FAILURE() << "ffmpeg could not make " << name;
    return out;
}

const std::vector<std::string> kVideo = {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2"};
const std::vector<std::string> kTone = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=2"};
const std::vector<std::string> kTone2 = {"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=48000:duration=2"};
const std::vector<std::string> kH264 = {"-c:v", "libx264", "-preset", "ultrafast", "-g",
                                        "12",   "-bf",     "2",       "-pix_fmt",  "yuv420p"};
const std::vector<std::string> kAc3 = {"-c:a", "ac3", "-b:a", "128k"};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Rewrites the tables of an ffmpeg stream: PAT 0 -> 0x001F, 1 -> 0x0100, and a map on 0x0100 long
// enough to need two packets.
std::vector<uint8_t> withTwoPacketMap(const std::vector<uint8_t>& ts)
{
    auto section = [](std::vector<uint8_t> s) {
        uint32_t crc = referenceCrc(s.data(), s.size());
        for (int i = 3; i >= 0; --i)
            s.push_back(uint8_t(crc >> (8 * i)));
        return s;
    };
    std::vector<uint8_t> pat =
        section({0x00, 0xB0, 17, 0x00, 0x01, 0xC1, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x1F, 0x00, 0x01, 0xE1, 0x00});
    std::vector<uint8_t> pmt = {0x02, 0xB0, 0x00, 0x00, 0x01, 0xC1, 0x00, 0x00, 0xE1, 0x00};
    std::vector<uint8_t> info = {0x88, 0x04, 0x0F, 0xFF, 0x84, 0xFC};
    for (int d = 0; d < 2; ++d) { // two private descriptors of 100 bytes push the section past one packet
        info.push_back(0xF0);
        info.push_back(98);
        info.insert(info.end(), 98, uint8_t('a' + d));
    }
    pmt.push_back(uint8_t(0xF0 | (info.size() >> 8)));
    pmt.push_back(uint8_t(info.size()));
    pmt.insert(pmt.end(), info.begin(), info.end());
    for (auto [type, pid] : {std::pair<uint8_t, uint16_t>{0x1B, 0x200}, {0x81, 0x201}}) {
        pmt.push_back(type);
        pmt.push_back(uint8_t(0xE0 | (pid >> 8)));
        pmt.push_back(uint8_t(pid));
        pmt.push_back(0xF0);
        pmt.push_back(0x00);
    }
    std::size_t length = pmt.size() - 3 + 4;
    pmt[1] = uint8_t(0xB0 | (length >> 8));
    pmt[2] = uint8_t(length);
    pmt = section(pmt);

    auto packets = [](const std::vector<uint8_t>& s, uint16_t pid) {
        std::vector<uint8_t> out;
        std::size_t at = 0;
        for (int k = 0; at < s.size(); ++k) {
            std::vector<uint8_t> p = {0x47, uint8_t((k == 0 ? 0x40 : 0) | (pid >> 8)), uint8_t(pid),
                                      uint8_t(0x10 | (k & 0x0F))};
            if (k == 0)
                p.push_back(0);
            std::size_t take = std::min(s.size() - at, 188 - p.size());
            p.insert(p.end(), s.begin() + at, s.begin() + at + take);
            at += take;
            p.resize(188, 0xFF);
            out.insert(out.end(), p.begin(), p.end());
        }
        return out;
    };
    std::vector<uint8_t> patPackets = packets(pat, 0), pmtPackets = packets(pmt, 0x0100);
    std::vector<uint8_t> out;
    for (std::size_t at = 0; at + 188 <= ts.size(); at += 188) {
        uint16_t pid = uint16_t(((ts[at + 1] & 0x1F) << 8) | ts[at + 2]);
        if (pid == 0)
            out.insert(out.end(), patPackets.begin(), patPackets.end());
        else if (pid == 0x1000)
            out.insert(out.end(), pmtPackets.begin(), pmtPackets.end());
        else
            out.insert(out.end(), ts.begin() + at, ts.begin() + at + 188);
    }
    return out;
}
} // namespace

std::string makeStream(const std::string& name, std::vector<std::string> args)
{
    return ffmpeg(name, std::move(args));
}

const std::string& scratchFolder()
{
    static Scratch scratch;
    return scratch.path;
}

const std::string& h264Ac3()
{
    static std::string path = ffmpeg("h264_ac3.ts", join({kVideo, kTone, kH264, kAc3, {"-f", "mpegts"}}));
    return path;
}

const std::string& mpeg2Ac3()
{
    static std::string path =
        ffmpeg("mpeg2_ac3.ts",
               join({kVideo, kTone, {"-c:v", "mpeg2video", "-g", "12", "-bf", "2"}, kAc3, {"-f", "mpegts"}}));
    return path;
}

const std::string& h264TwoAudio()
{
    static std::string path = ffmpeg(
        "h264_two_audio.ts",
        join({kVideo, kTone, kTone2, kH264, kAc3, {"-map", "0:v", "-map", "1:a", "-map", "2:a", "-f", "mpegts"}}));
    return path;
}

const std::string& h264Ac3ClockWrap()
{
    // 2^33 / 90 kHz is 95443.7 s: the source's clock wraps a second into the stream.
    static std::string path =
        ffmpeg("h264_ac3_wrap.ts",
               join({kVideo, kTone, kH264, kAc3, {"-output_ts_offset", "95441.3", "-f", "mpegts"}}));
    return path;
}

const std::string& h264Ac3Packets192()
{
    static std::string path =
        ffmpeg("h264_ac3_192.m2ts", join({kVideo, kTone, kH264, kAc3, {"-f", "mpegts", "-mpegts_m2ts_mode", "1"}}));
    return path;
}

const std::string& twoProgramPat()
{
    static std::string path = [] {
        std::string p = scratchFolder() + "/two_program_pat.ts";
        // Streams from 0x200, so that the map can take 0x0100.
        std::string plain = ffmpeg("streams_from_0x200.ts",
                                   join({kVideo, kTone, kH264, kAc3, {"-mpegts_start_pid", "0x200", "-f", "mpegts"}}));
        writeFile(p, withTwoPacketMap(readFile(plain)));
        return p;
    }();
    return path;
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t referenceCrc(const uint8_t* data, std::size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

bool JobResult::has(int32_t kind, const std::string& text) const
{
    for (const Message& m : messages)
        if (m.kind == kind && m.text == text)
            return true;
    return false;
}

std::vector<std::string> JobResult::errors() const
{
    std::vector<std::string> texts;
    for (const Message& m : messages)
        if (m.kind == 1 && m.value == 0)
            texts.push_back(m.text);
    return texts;
}

namespace {
std::vector<Message>* g_messages = nullptr;
std::mutex g_lock;
void record(int32_t kind, int32_t value, const char* text)
{
    if (g_messages)
        g_messages->push_back({kind, value, text ? text : ""});
}
} // namespace

JobResult runJob(const std::string& folder, const std::vector<JobItem>& items)
{
    std::lock_guard<std::mutex> guard(g_lock);
    JobResult job;
    std::vector<AuthorItem> records(items.size());
    std::vector<AuthorItem*> pointers;
    std::vector<TrackInfo> selections(items.size());
    std::vector<std::vector<TrackEntry>> selectionEntries(items.size());
    std::vector<std::vector<TrackEntry*>> selectionPointers(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        records[i] = AuthorItem{items[i].path.c_str(), 256, 5, nullptr};
        if (!items[i].selectedPids.empty()) {
            for (uint16_t pid : items[i].selectedPids) {
                TrackEntry e{};
                e.pid = pid;
                selectionEntries[i].push_back(e);
            }
            for (TrackEntry& e : selectionEntries[i])
                selectionPointers[i].push_back(&e);
            selections[i].count = int32_t(selectionPointers[i].size());
            selections[i].entries = selectionPointers[i].data();
            records[i].selection = &selections[i];
        }
        pointers.push_back(&records[i]);
    }
    AuthorList list{pointers.data(), int32_t(pointers.size())};
    g_messages = &job.messages;
    nx_setcallbackfunc(record);
    job.result = nx_ts_author(folder.c_str(), &list);
    nx_setcallbackfunc(nullptr);
    g_messages = nullptr;
    return job;
}

double probeDuration(const std::string& path)
{
    auto out =
        platform::RunAndCapture("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    return out ? std::atof(out->c_str()) : -1.0;
}

} // namespace bluvat_test
