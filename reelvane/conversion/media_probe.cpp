#include "reelvane/conversion/checked_format.h"
#include "reelvane/conversion/probed_source.h"
#include "reelvane/conversion/source_shape.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_settings.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace reelvane {
namespace {

constexpr const char* kCannotOpen = "Cannot open the file";
constexpr const char* kDefaultFormat =
    "File Name:%s\r\nDuration:%02d:%02d:%02.1f\r\nStart Time:%.3fs\r\nBit Rate:%dkbit/s";

void AppendCut(std::string& text, const std::string& more)
{
    if (text.size() < kInformationTextLimit)
        text.append(more, 0, kInformationTextLimit - text.size());
}

void ClearForUnreadable(ProbedSource& probed)
{
    probed.streams.clear();
    probed.facts.clear();
    probed.informationText = kCannotOpen;
}

// Facts that cannot be read are left unknown, so that the decisions fall back to the profile.
std::vector<StreamFacts> CheckedFacts(const std::string& path, const std::vector<StreamInfo>& streams,
                                      const StreamFacts* facts, int32_t count)
{
    std::vector<StreamFacts> out;
    if (facts && count == static_cast<int32_t>(streams.size()))
        out.assign(facts, facts + count);
    // Where the container does not say, the first frames tell whether the picture is interlaced.
    for (StreamFacts& stream : out)
        if (stream.kind == VEXEN_KIND_VIDEO && stream.fieldOrder == 0)
            stream.fieldOrder = ScanFieldOrder(path.c_str(), stream.index);
    if (out.empty()) {
        for (std::size_t i = 0; i < streams.size(); ++i) {
            StreamFacts unknown{};
            unknown.index = static_cast<int32_t>(i);
            unknown.kind = streams[i].kind;
            unknown.profile = unknown.level = -1;
            unknown.sarDen = 1;
            unknown.maxKeyDistanceMs = -1;
            out.push_back(unknown);
        }
    }
    return out;
}

} // namespace

std::string InformationHeading(const MediaFileInfo& info)
{
    const float duration = static_cast<float>(info.duration * 1e-6);
    const float startTime = static_cast<float>(info.startTime * 1e-6);
    // The pack's format is data: it is used only when it takes exactly these arguments.
    std::string format =
        CheckedFormat(LookupText("CONVERSION_INFO", "strFormatInfo", kDefaultFormat), "sddffd", kDefaultFormat);
    int hours = static_cast<int>(duration * 0.00027777778);
    int wholeMinutes = static_cast<int>(duration) / 60;
    double seconds = duration - wholeMinutes * 60.0;
    char text[kInformationTextLimit + 1];
    std::snprintf(text, sizeof text, format.c_str(), info.fileName, hours, wholeMinutes % 60, seconds,
                  static_cast<double>(startTime), info.bitRate / 1024);
    return text;
}

int32_t UsesPlatformReader(const std::string& path)
{
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return 0;
    std::string extension = path.substr(dot + 1);
    for (const char* name : {"wmv", "asf", "wma", "ra", "rm", "rmvb", "ram"})
        if (strcasecmp(extension.c_str(), name) == 0)
            return 1;
    return 0;
}

int ProbeSource(const std::string& path, int32_t /*usePlatformReader: the engine reads those formats itself*/,
                ProbedSource& probed)
{
    ExitPlayCurrentFile();
    probed = ProbedSource{};
    StreamInfo* streams = nullptr;
    StreamFacts* facts = nullptr;
    int32_t factCount = 0;
    GetMediaFileFacts(path.c_str(), &probed.mediaInfo, &streams, &facts, &factCount);
    const MediaFileInfo& info = probed.mediaInfo;
    if (info.streamCount <= 0 || !streams) {
        FreeStreamInfo(streams);
        FreeStreamFacts(facts);
        ClearForUnreadable(probed);
        return kProbeUnreadable;
    }
    // The task keeps its own copy, so copies of the task never share the engine's arrays.
    probed.streams.assign(streams, streams + info.streamCount);
    FreeStreamInfo(streams);
    probed.facts = CheckedFacts(path, probed.streams, facts, factCount);
    FreeStreamFacts(facts);

    probed.duration = static_cast<float>(info.duration * 1e-6);
    probed.startTime = static_cast<float>(info.startTime * 1e-6);
    probed.bitRate = info.bitRate / 1024;
    probed.informationText.clear();
    AppendCut(probed.informationText, InformationHeading(info));
    probed.videoText.clear();
    probed.audioTracks.clear();
    for (std::size_t i = 0; i < probed.streams.size(); ++i) {
        const StreamInfo& stream = probed.streams[i];
        AppendCut(probed.informationText, std::string("\r\n") + stream.description);
        if (stream.kind == VEXEN_KIND_AUDIO) {
            AudioTrackEntry entry{};
            entry.position = static_cast<int32_t>(probed.audioTracks.size());
            entry.selected = probed.audioTracks.empty() ? 1 : 0;
            SetText(entry.description, stream.description);
            probed.audioTracks.push_back(entry);
        } else if (stream.kind == VEXEN_KIND_VIDEO) {
            probed.sourceWidth = stream.width;
            probed.sourceHeight = stream.height;
            probed.sourceAspect = stream.aspect;
            // The aspect correction and the resize work on the picture as it is shown.
            if (std::optional<DisplayedPicture> shown = Displayed(probed.facts[i])) {
                probed.sourceWidth = shown->width;
                probed.sourceHeight = shown->height;
                probed.sourceAspect = static_cast<float>(shown->aspect);
            }
            probed.videoText += std::string(stream.description) + "\r\n";
        }
    }
    FreeContext(&probed.mediaInfo);
    return 0;
}

} // namespace reelvane
