#include "tests/kavlo/kavlo_media_set.h"

#include <filesystem>
#include <stdexcept>

namespace kavlo_test {

namespace {

std::string Made(const TempFolder& folder, const std::string& name, const MovSpec& spec)
{
    const std::string path = folder.path(name);
    if (!MakeMov(path, spec))
        throw std::runtime_error("ffmpeg could not make " + name);
    return path;
}

void Build(MediaSet& media)
{
    const TempFolder& folder = media.folder;
    media.target = Made(folder, "target.mov", {});
    media.targetAudioFirst = Made(folder, "audio_first.mov", {.audioFirst = true});
    media.targetAtCameraRate = Made(folder, "camera_rate.mov", {.framesPerSecond = 15});
    media.stereo = Made(folder, "stereo.mov", {.channels = 2});
    media.wideband = Made(folder, "wideband.mov", {.sampleRate = 16000});
    media.linearPcm = Made(folder, "linear.mov", {.audioCodec = "pcm_s16be"});
    const std::string source = Made(folder, "camera_source.mov", {.framesPerSecond = 15, .frames = 15});
    media.cameraClip = folder.path("camera.mov");
    WriteBytes(media.cameraClip, MakeCameraClip(ReadBytes(source)));
}

} // namespace

const MediaSet& Media()
{
    // Built in place: a copy of the folder's owner would remove the folder.
    static MediaSet media;
    static const bool built = (Build(media), true);
    (void)built;
    return media;
}

std::string CopyInto(const TempFolder& folder, const std::string& source, const std::string& name)
{
    std::filesystem::copy_file(source, folder.path(name), std::filesystem::copy_options::overwrite_existing);
    return folder.path(name);
}

} // namespace kavlo_test
