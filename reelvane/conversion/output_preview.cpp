#include "reelvane/conversion/output_preview.h"

#include "platform/byte_writer.h"
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
        const EngineOutcome outcome = CallEngine(
            *call, [](double) {}, stopped);
        if (outcome.result == 0)
            picture.png = ReadBytes(path);
        else if (outcome.result != 1)
            picture.message = outcome.messages;
        picture.pixelAspect = PngPixelAspect(picture.png);
    }
    std::error_code error;
    fs::remove_all(folder, error);
    return picture;
}

double PngPixelAspect(const std::vector<unsigned char>& png)
{
    // The signature, then chunks of length, type, data and checksum; pHYs comes before the data.
    platform::BigEndianReader in(png.data(), png.size());
    in.skip(8);
    while (!in.failed() && in.remaining() >= 12) {
        const uint32_t length = in.u32();
        const uint32_t type = in.u32();
        if (type == 0x49444154 /* IDAT */ || length > in.remaining() - 4)
            break;
        if (type == 0x70485973 /* pHYs */ && length >= 8) {
            const uint32_t x = in.u32(), y = in.u32();
            return x > 0 && y > 0 ? double(x) / y : 1.0;
        }
        in.skip(length + 4);
    }
    return 1.0;
}

} // namespace reelvane
