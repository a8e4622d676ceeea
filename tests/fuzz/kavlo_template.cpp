// kavlo's templates: "Create Temp" on a clip from anywhere, and a template file from anywhere read
// back and used for a conversion. A template written must read back as it was made.

#include "tests/fuzz/kavlo_clips.h"
#include "tools/kavlo/mov_convert.h"

namespace {

const fuzz::Bytes& Target()
{
    static const fuzz::Bytes target = fuzz::ConvertedClip("target.mov", {});
    return target;
}

bool SameTemplate(const kavlo::CameraTemplate& a, const kavlo::CameraTemplate& b)
{
    return a.skip == b.skip && a.audioStsd == b.audioStsd && a.udta == b.udta &&
           a.audioSamplesPerChunk == b.audioSamplesPerChunk && a.sampleRate == b.sampleRate &&
           a.framesPerSecond == b.framesPerSecond && a.codecFlag == b.codecFlag;
}

} // namespace

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    kavlo_test::MovSpec spec;
    spec.framesPerSecond = 15;
    spec.frames = 4;
    return {kavlo_test::MakeCameraClip(ConvertedClip("camera.mov", spec), 64, 40),
            kavlo::SerializeTemplate(CameraOf15Fps())};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::Bytes input(data, data + size);
    kavlo::AtomIndex index;
    kavlo::CameraTemplate made;
    if (!kavlo::ScanAtoms(input, index) && !kavlo::MakeTemplate(input, index, made)) {
        kavlo::CameraTemplate read;
        if (!kavlo::ParseTemplate(kavlo::SerializeTemplate(made), read) || !SameTemplate(made, read))
            fuzz::Broken("a template made from a clip does not read back");
    }
    kavlo::CameraTemplate parsed;
    if (kavlo::ParseTemplate(input, parsed)) {
        if (kavlo::SerializeTemplate(parsed) != input)
            fuzz::Broken("a template file read and written again changed");
        fuzz::Bytes out;
        kavlo::ConvertMov(Target(), parsed, out, [](int) {});
    }
    return 0;
}
