#include "reelvane/conversion/output_preview.h"

#include "adapters/vexen/vexen.h"
#include "reelvane/conversion/argument_builder.h"
#include "reelvane/conversion/output_frame_check.h"
#include "reelvane/conversion/split_media.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace reelvane {
namespace {

namespace fs = std::filesystem;

// The engine calls back through a plain function pointer on the thread that called it.
struct PreviewRun {
    const std::function<bool()>* stopped;
    std::string messages;
};
thread_local PreviewRun* currentRun = nullptr;

int32_t PreviewCallback(const char* message, double value)
{
    PreviewRun* run = currentRun;
    if (!run)
        return 0;
    if (value > -2 && value < 0 && message && *message)
        run->messages += (run->messages.empty() ? "" : "\n") + std::string(message);
    return (*run->stopped)() ? -1 : 0;
}

uint32_t BigEndian32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

std::vector<unsigned char> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

std::optional<EngineCall> PreviewCall(const ConversionTask& task, const ProfileSettings& settings, double seconds,
                                      const std::string& picturePath)
{
    if (settings.bDisableVideo || task.probed.mediaInfo.videoIndex < 0)
        return std::nullopt;
    ProfileSettings s = settings;
    s.bDisableAudio = 1;     // a picture has no sound, and no further tracks follow the output
    s.bVideoHighQuality = 0; // those are options of the run's encoder
    const int64_t at = task.probed.mediaInfo.startTime + std::llround(std::max(seconds, 0.0) * 1e6);
    PerFileTask input{s, task.probed, task.sourcePath, picturePath, task.subtitlePath, 0, at, 1, 0, false};
    SplitRule split;
    split.runChoice = split.currentChoice = kNoSplit;
    const EngineArguments run = BuildPerFileArguments(input, split);

    // The run's words up to its output, then one PNG frame in place of the encoder and container.
    // Copied with the path limit, so that a source or subtitle path keeps its full length.
    EngineArguments words;
    for (std::size_t i = 1; i + 1 < run.size(); ++i)
        words.AddPath(run[i]);
    for (const char* word : {"-frames:v", "1", "-c:v", "png", "-f", "image2", "-update", "1"})
        words.Add(word);
    words.AddPath(picturePath);
    return EngineCall{std::move(words), task.usePlatformReader};
}

PreviewPicture RenderPreview(const ConversionTask& task, const ProfileSettings& settings, double seconds,
                             const std::function<bool()>& stopped)
{
    PreviewPicture picture;
    // What OK would refuse the engine cannot make either; the refusal says it better.
    if (std::optional<FrameRefusal> refusal = RefuseOutputFrame(settings)) {
        picture.message = refusal->message;
        return picture;
    }
    std::string pattern = (fs::temp_directory_path() / "reelvane-preview-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        picture.message = "No temporary folder could be made for the preview.";
        return picture;
    }
    const fs::path folder = pattern;
    const fs::path path = folder / "frame.png";
    std::optional<EngineCall> call = PreviewCall(task, settings, seconds, path.string());
    if (call) {
        PreviewRun run{&stopped, {}};
        currentRun = &run;
        std::vector<char*> argv = call->arguments.Argv();
        EnableDshow(call->usePlatformReader);
        const int32_t result = ffmain(static_cast<int32_t>(argv.size()), argv.data(), &PreviewCallback);
        EnableDshow(0);
        currentRun = nullptr;
        if (result == 0)
            picture.png = ReadBytes(path);
        else if (result != 1)
            picture.message = run.messages;
        picture.pixelAspect = PngPixelAspect(picture.png);
    }
    std::error_code error;
    fs::remove_all(folder, error);
    return picture;
}

double PngPixelAspect(const std::vector<unsigned char>& png)
{
    // The signature, then chunks of length, type, data and checksum; pHYs comes before the data.
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = BigEndian32(&png[at]);
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                               png.begin() + static_cast<std::ptrdiff_t>(at) + 8);
        if (type == "IDAT" || length > png.size() - at - 12)
            break;
        if (type == "pHYs" && length >= 8) {
            const uint32_t x = BigEndian32(&png[at + 8]), y = BigEndian32(&png[at + 12]);
            return x > 0 && y > 0 ? double(x) / y : 1.0;
        }
        at += 12 + length;
    }
    return 1.0;
}

} // namespace reelvane
