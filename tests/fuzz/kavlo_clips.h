#pragma once
// MOV clips for the kavlo targets: converted files made by ffmpeg and a camera clip made from one.

#include "tests/fuzz/fuzz_target.h"
#include "tests/kavlo/mov_test_media.h"
#include "tools/kavlo/atom_scan.h"
#include "tools/kavlo/mov_template.h"

namespace fuzz {

inline Bytes ConvertedClip(const std::string& name, const kavlo_test::MovSpec& spec)
{
    const std::string path = Scratch(name);
    return kavlo_test::MakeMov(path, spec) ? ReadFile(path) : Bytes{};
}

// The template of a camera clip at the camera's 15 frames per second.
inline const kavlo::CameraTemplate& CameraOf15Fps()
{
    static const kavlo::CameraTemplate camera = [] {
        kavlo_test::MovSpec spec;
        spec.framesPerSecond = 15;
        const Bytes clip = kavlo_test::MakeCameraClip(ConvertedClip("camera.mov", spec));
        kavlo::AtomIndex index;
        kavlo::CameraTemplate made;
        if (clip.empty() || kavlo::ScanAtoms(clip, index) || kavlo::MakeTemplate(clip, index, made))
            Broken("the camera clip for the template could not be made");
        return made;
    }();
    return camera;
}

} // namespace fuzz
