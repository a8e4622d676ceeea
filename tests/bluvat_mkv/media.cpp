#include "media.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "bluvat/report.h"
#include "platform/process_runner.h"

namespace bluvat_mkv_test {
namespace {

std::vector<std::pair<int32_t, std::string>>& received()
{
    static std::vector<std::pair<int32_t, std::string>> texts;
    return texts;
}

void collect(int32_t kind, int32_t value, const char* text)
{
    if (kind == 1 && value == 0)
        received().emplace_back(kind, text);
}

} // namespace

std::string scratchFolder()
{
    static std::string folder = [] {
        auto p = std::filesystem::temp_directory_path() / ("bluvat_mkv_" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        static struct Cleanup {
            std::filesystem::path path;
            ~Cleanup()
            {
                std::error_code ec;
                std::filesystem::remove_all(path, ec);
            }
        } cleanup{p};
        return p.string();
    }();
    return folder;
}

std::string makeMedia(const std::string& name, const std::vector<std::string>& args)
{
    std::string out = scratchFolder() + "/" + name;
    std::vector<std::string> all = {"-hide_banner", "-loglevel", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(out);
    return platform::RunAndWait("ffmpeg", all) == 0 ? out : "";
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::map<std::string, long> countFrames(const std::string& path, const std::string& format)
{
    std::vector<std::string> args = {
        "-v", "error", "-count_frames", "-show_entries", "stream=codec_name,nb_read_frames", "-of", "csv=p=0"};
    if (!format.empty()) {
        args.push_back("-f");
        args.push_back(format);
    }
    args.push_back(path);
    std::map<std::string, long> counts;
    auto out = platform::RunAndCapture("ffprobe", args);
    if (!out)
        return counts;
    std::istringstream lines(*out);
    std::string line;
    while (std::getline(lines, line)) {
        auto comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        try {
            counts.emplace(line.substr(0, comma), std::stol(line.substr(comma + 1)));
        } catch (...) {
        }
    }
    return counts;
}

std::map<uint16_t, std::vector<uint8_t>> readElementaryStreams(bluvat::SourceReader& reader,
                                                               std::vector<uint64_t>* clocks,
                                                               std::vector<bluvat::PesPacket>* packets)
{
    std::map<uint16_t, std::vector<uint8_t>> streams;
    reader.Seek(bluvat::kNoClock);
    reader.SetClockHook([clocks](uint64_t c) {
        if (clocks)
            clocks->push_back(c);
    });
    std::vector<bluvat::PesPacket> group;
    bool more = true;
    while (more) {
        group.clear();
        more = reader.NextGroup(group);
        for (auto& p : group) {
            std::size_t h = bluvat::PesHeaderLength(p.bytes.data(), p.bytes.size());
            auto& s = streams[p.pid];
            if (h)
                s.insert(s.end(), p.bytes.begin() + static_cast<std::ptrdiff_t>(h), p.bytes.end());
            if (packets)
                packets->push_back(std::move(p));
        }
    }
    reader.SetClockHook(nullptr);
    return streams;
}

CallbackTexts::CallbackTexts()
{
    received().clear();
    bluvat::SetCallback(collect);
}

CallbackTexts::~CallbackTexts()
{
    bluvat::SetCallback(nullptr);
}

std::vector<std::string> CallbackTexts::errors() const
{
    std::vector<std::string> texts;
    for (auto& [kind, text] : received())
        texts.push_back(text);
    return texts;
}

bool CallbackTexts::has(const std::string& text) const
{
    for (auto& [kind, t] : received())
        if (t == text)
            return true;
    return false;
}

} // namespace bluvat_mkv_test
