#include "tests/catalogue/promised_output.h"

#include "platform/process_runner.h"
#include "reelvane/conversion/engine_arguments.h"

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <strings.h>

namespace catalogue {
namespace {

struct Container {
    const char* formatName;
    const char* majorBrand;
};

// What ffprobe calls the files each muxer writes.
const std::map<std::string, Container>& Containers()
{
    static const std::map<std::string, Container> containers = {
        {"mp4", {"mov,mp4,m4a,3gp,3g2,mj2", "isom"}},
        {"mov", {"mov,mp4,m4a,3gp,3g2,mj2", "qt  "}},
        {"ipod", {"mov,mp4,m4a,3gp,3g2,mj2", "M4A "}},
        {"psp", {"mov,mp4,m4a,3gp,3g2,mj2", "MSNV"}},
        {"3gp", {"mov,mp4,m4a,3gp,3g2,mj2", "3gp"}},
        {"3g2", {"mov,mp4,m4a,3gp,3g2,mj2", "3g2"}},
        {"avi", {"avi", ""}},
        {"asf", {"asf", ""}},
        {"matroska", {"matroska,webm", ""}},
        {"webm", {"matroska,webm", ""}},
        {"mpeg", {"mpeg", ""}},
        {"vob", {"mpeg", ""}},
        {"dvd", {"mpeg", ""}},
        {"svcd", {"mpeg", ""}},
        {"vcd", {"mpeg", ""}},
        {"mpegts", {"mpegts", ""}},
        {"flv", {"flv", ""}},
        {"swf", {"swf", ""}},
        {"gif", {"gif", ""}},
        {"adts", {"aac", ""}},
        {"ac3", {"ac3", ""}},
        {"amr", {"amr", ""}},
        {"au", {"au", ""}},
        {"flac", {"flac", ""}},
        {"mmf", {"mmf", ""}},
        {"mp2", {"mp3", ""}},
        {"mp3", {"mp3", ""}},
        {"ogg", {"ogg", ""}},
        {"opus", {"ogg", ""}},
        {"wav", {"wav", ""}},
    };
    return containers;
}

// Profile codec names that ffprobe reports under another name.
std::string ProbedCodecName(const std::string& profileCodec)
{
    static const std::map<std::string, std::string> renamed = {{"xvid", "mpeg4"},
                                                               {"msmpeg4", "msmpeg4v3"},
                                                               {"flv", "flv1"}};
    auto found = renamed.find(profileCodec);
    return found == renamed.end() ? profileCodec : found->second;
}

std::set<std::string> EncodedCodecs()
{
    std::set<std::string> codecs;
    auto text = platform::RunAndCapture("ffmpeg", {"-hide_banner", "-encoders"});
    if (!text)
        return codecs;
    std::istringstream lines(*text);
    bool listing = false;
    for (std::string line; std::getline(lines, line);) {
        if (!listing) {
            listing = line.find("------") != std::string::npos;
            continue;
        }
        std::istringstream words(line);
        std::string flags, name;
        words >> flags >> name;
        codecs.insert(name);
        std::size_t codec = line.rfind("(codec ");
        if (codec != std::string::npos && line.back() == ')')
            codecs.insert(line.substr(codec + 7, line.size() - codec - 8));
    }
    return codecs;
}

} // namespace

bool HasEncoder(const std::string& codec)
{
    static const std::set<std::string> codecs = EncodedCodecs();
    return codecs.count(codec) > 0;
}

PromisedOutput Promise(const reelvane::ProfileSettings& s, const SourceFacts& source,
                       std::vector<std::string>& problems)
{
    PromisedOutput promise;
    std::vector<std::string> words = reelvane::SplitWords(s.Para);
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == "-f")
            promise.muxer = words[i + 1];
    auto container = Containers().find(promise.muxer);
    if (promise.muxer.empty())
        problems.push_back("Para names no container (-f)");
    else if (container == Containers().end())
        problems.push_back("the test does not know the container " + promise.muxer);
    else
        promise.formatName = container->second.formatName, promise.majorBrand = container->second.majorBrand;

    if (!s.bDisableVideo) {
        promise.videoCodec = ProbedCodecName(s.cVideoCodec);
        reelvane::FrameSize frame = reelvane::OutputFrameSize(s);
        bool keepsSize = s.nVideoRiszeOption < 1 || s.nVideoRiszeOption > 11;
        promise.width = keepsSize ? source.width : frame.width;
        promise.height = keepsSize ? source.height : frame.height;
    }
    if (!s.bDisableAudio) {
        promise.audioCodec = ProbedCodecName(s.cAudioCodec);
        promise.sampleRate = s.bAudioCustomSampleRate ? s.nAudioCustomSampleRate : source.sampleRate;
        promise.channels = s.nAudioChannel ? s.nAudioChannel : source.channels;
    }
    for (const std::string* codec : {&promise.videoCodec, &promise.audioCodec})
        if (strcasecmp(codec->c_str(), "auto") == 0)
            problems.push_back("a codec is left to the engine's choice");
    promise.seconds = source.seconds;
    return promise;
}

std::vector<std::string> Differences(const PromisedOutput& promise, const testmedia::FileFacts& facts)
{
    std::vector<std::string> found;
    auto differ = [&found](const std::string& what, const auto& expected, const auto& actual) {
        if (expected != actual) {
            std::ostringstream text;
            text << what << ": expected " << expected << ", found " << actual;
            found.push_back(text.str());
        }
    };
    differ("container", promise.formatName, facts.formatName);
    if (!promise.majorBrand.empty())
        differ("brand", promise.majorBrand, facts.majorBrand.substr(0, promise.majorBrand.size()));
    differ("video streams", promise.videoCodec.empty() ? 0 : 1, facts.Count("video"));
    differ("audio streams", promise.audioCodec.empty() ? 0 : 1, facts.Count("audio"));
    if (const testmedia::StreamFacts* video = facts.First("video"); video && !promise.videoCodec.empty()) {
        differ("video codec", promise.videoCodec, video->codec);
        differ("frame width", promise.width, video->width);
        differ("frame height", promise.height, video->height);
    }
    if (const testmedia::StreamFacts* audio = facts.First("audio"); audio && !promise.audioCodec.empty()) {
        differ("audio codec", promise.audioCodec, audio->codec);
        differ("sample rate", promise.sampleRate, audio->sampleRate);
        differ("channels", promise.channels, audio->channels);
    }
    // A file that names no duration (SWF) is not held to one.
    if (facts.duration > 0 && std::fabs(facts.duration - promise.seconds) > 0.5)
        differ("seconds", promise.seconds, facts.duration);
    return found;
}

} // namespace catalogue
