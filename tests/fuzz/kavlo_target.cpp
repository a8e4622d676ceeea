// kavlo's "Convert Now" on a target MOV from anywhere, against a real camera template: the atom
// scan, the table reads and the rebuild. A converted file must hold tables that agree.

#include "tests/fuzz/kavlo_clips.h"
#include "tools/kavlo/mov_convert.h"
#include "tools/kavlo/mov_rebuild.h"

#include <algorithm>

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    kavlo_test::MovSpec atCameraRate;
    atCameraRate.framesPerSecond = 15;
    kavlo_test::MovSpec audioFirst;
    audioFirst.audioFirst = true;
    std::vector<Bytes> seeds;
    for (Bytes clip : {ConvertedClip("target.mov", {}), ConvertedClip("audio_first.mov", audioFirst),
                       kavlo_test::MakeCameraClip(ConvertedClip("at_camera_rate.mov", atCameraRate))})
        if (!clip.empty())
            seeds.push_back(std::move(clip));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const kavlo::CameraTemplate& camera = fuzz::CameraOf15Fps();
    const fuzz::Bytes target(data, data + size);
    fuzz::Bytes out;
    if (kavlo::ConvertMov(target, camera, out, [](int) {}))
        return 0;
    kavlo::AtomIndex index;
    if (kavlo::ScanAtoms(out, index) || !kavlo::TablesDescribeSamples(out, index, index.mdat))
        fuzz::Broken("a converted file's tables do not describe its samples");
    if (out.size() < camera.skip.size() ||
        !std::equal(camera.skip.begin() + kavlo::kSkipPatchEnd, camera.skip.end(), out.begin() + kavlo::kSkipPatchEnd))
        fuzz::Broken("the camera's skip atom was not kept");
    return 0;
}
