#include "tests/media/media_facts.h"

#include "platform/process_runner.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace testmedia {
namespace {

int64_t NumberField(const nlohmann::json& object, const char* key)
{
    if (!object.contains(key))
        return 0;
    const nlohmann::json& value = object[key];
    if (value.is_number())
        return value.get<int64_t>();
    return value.is_string() ? std::atoll(value.get<std::string>().c_str()) : 0;
}

} // namespace

double StreamFacts::DisplayedShape() const
{
    if (width <= 0 || height <= 0)
        return 0.0;
    double pixel = 1.0;
    int num = 0, den = 0;
    if (std::sscanf(sampleAspect.c_str(), "%d:%d", &num, &den) == 2 && num > 0 && den > 0)
        pixel = static_cast<double>(num) / den;
    double shape = width * pixel / height;
    return rotation % 180 != 0 ? 1.0 / shape : shape;
}

int FileFacts::Count(const std::string& type) const
{
    int count = 0;
    for (const StreamFacts& stream : streams)
        count += stream.type == type;
    return count;
}

const StreamFacts* FileFacts::First(const std::string& type) const
{
    for (const StreamFacts& stream : streams)
        if (stream.type == type)
            return &stream;
    return nullptr;
}

std::optional<FileFacts> ProbeFile(const std::string& path)
{
    auto text =
        platform::RunAndCapture("ffprobe", {"-v", "error", "-show_format", "-show_streams", "-of", "json", path});
    if (!text)
        return std::nullopt;
    nlohmann::json json = nlohmann::json::parse(*text, nullptr, false);
    if (json.is_discarded() || !json.contains("format"))
        return std::nullopt;
    FileFacts facts;
    const nlohmann::json& format = json["format"];
    if (format.contains("duration"))
        facts.duration = std::atof(format["duration"].get<std::string>().c_str());
    facts.bitRate = NumberField(format, "bit_rate");
    facts.formatName = format.value("format_name", "");
    if (format.contains("tags"))
        facts.majorBrand = format["tags"].value("major_brand", "");
    for (const nlohmann::json& stream : json["streams"]) {
        StreamFacts s;
        s.type = stream.value("codec_type", "");
        s.codec = stream.value("codec_name", "");
        s.width = static_cast<int>(NumberField(stream, "width"));
        s.height = static_cast<int>(NumberField(stream, "height"));
        s.sampleRate = static_cast<int>(NumberField(stream, "sample_rate"));
        s.channels = static_cast<int>(NumberField(stream, "channels"));
        s.bitRate = NumberField(stream, "bit_rate");
        s.displayAspect = stream.value("display_aspect_ratio", "");
        s.frameRate = stream.value("avg_frame_rate", "");
        s.level = static_cast<int>(NumberField(stream, "level"));
        s.sampleAspect = stream.value("sample_aspect_ratio", "");
        s.fieldOrder = stream.value("field_order", "");
        s.pixelFormat = stream.value("pix_fmt", "");
        s.colorTransfer = stream.value("color_transfer", "");
        s.colorPrimaries = stream.value("color_primaries", "");
        if (stream.contains("side_data_list"))
            for (const nlohmann::json& side : stream["side_data_list"])
                if (side.contains("rotation"))
                    s.rotation = static_cast<int>(NumberField(side, "rotation"));
        if (stream.contains("tags")) {
            s.language = stream["tags"].value("language", "");
            s.title = stream["tags"].value("title", "");
        }
        if (stream.contains("disposition"))
            s.attachedPicture = NumberField(stream["disposition"], "attached_pic") != 0;
        facts.streams.push_back(s);
    }
    return facts;
}

std::optional<FieldCounts> DetectFields(const std::string& path)
{
    platform::ChildProcess child;
    platform::ProcessOptions options;
    options.pipeStderr = true;
    if (!child.Start("ffmpeg",
                     {"-hide_banner", "-nostdin", "-i", path, "-map", "0:v:0", "-vf", "idet", "-an", "-f", "null", "-"},
                     options))
        return std::nullopt;
    std::string log;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.stderrFd(), buffer, sizeof buffer)) > 0;)
        log.append(buffer, static_cast<std::size_t>(n));
    if (child.Wait() != 0)
        return std::nullopt;
    std::size_t at = log.find("Multi frame detection:");
    FieldCounts counts;
    if (at == std::string::npos ||
        std::sscanf(log.c_str() + at, "Multi frame detection: TFF: %d BFF: %d Progressive: %d Undetermined: %d",
                    &counts.topFirst, &counts.bottomFirst, &counts.progressive, &counts.undetermined) != 4)
        return std::nullopt;
    return counts;
}

std::string DecodeProblems(const std::string& path)
{
    auto outcome = platform::RunAndCaptureErrors("ffmpeg", {"-v", "error", "-nostdin", "-xerror", "-i", path, "-map",
                                                            "0:v?", "-map", "0:a?", "-f", "null", "-"});
    if (!outcome)
        return "ffmpeg did not run";
    if (outcome->status != 0)
        return "ffmpeg ended with " + std::to_string(outcome->status) + ": " + outcome->errors;
    return outcome->errors;
}

int VideoPacketCount(const std::string& path)
{
    auto text = platform::RunAndCapture("ffprobe", {"-v", "error", "-count_packets", "-select_streams", "v:0",
                                                    "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", path});
    return text && !text->empty() ? std::atoi(text->c_str()) : -1;
}

Rgb Picture::At(int x, int y) const
{
    std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

Picture GrabFrame(const std::string& path, double seconds)
{
    Picture picture;
    auto facts = ProbeFile(path);
    const StreamFacts* video = facts ? facts->First("video") : nullptr;
    if (!video)
        return picture;
    auto bytes =
        platform::RunAndCapture("ffmpeg", {"-v", "error", "-nostdin", "-ss", std::to_string(seconds), "-i", path,
                                           "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    std::size_t expected = static_cast<std::size_t>(video->width) * video->height * 3;
    if (!bytes || bytes->size() != expected)
        return picture;
    picture.width = video->width;
    picture.height = video->height;
    picture.rgb.assign(bytes->begin(), bytes->end());
    return picture;
}

double MeanDifference(const Picture& a, const Picture& b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 255.0;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / a.rgb.size();
}

double FirstFrameSimilarity(const std::string& output, const std::string& source, double sourceSeconds)
{
    // The statistics file on standard output holds one line per compared frame: "... All:0.98 (...)".
    auto lines =
        platform::RunAndCapture("ffmpeg",
                                {"-v", "error", "-nostdin", "-i", output, "-ss", std::to_string(sourceSeconds), "-i",
                                 source, "-filter_complex",
                                 "[0:v]scale=320:240,format=yuv420p,trim=end_frame=1[a];"
                                 "[1:v]scale=320:240,format=yuv420p,trim=end_frame=1[b];[a][b]ssim=stats_file=-",
                                 "-f", "null", "-"});
    std::size_t at = lines ? lines->find("All:") : std::string::npos;
    return at == std::string::npos ? -1.0 : std::atof(lines->c_str() + at + 4);
}

} // namespace testmedia
