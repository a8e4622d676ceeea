#pragma once
// The MOV files the kavlo tests share, made once per test program in a temporary folder.

#include "tests/kavlo/mov_test_media.h"
#include "tests/platform/temp_folder.h"
#include "tools/kavlo/kavlo_actions.h"

#include <string>
#include <vector>

namespace kavlo_test {

struct MediaSet {
    TempFolder folder;
    std::string target;             // 30 fps, 10 frames, video track first
    std::string targetAudioFirst;   // the same with the audio track first
    std::string targetAtCameraRate; // 15 fps like the camera, 10 frames
    std::string stereo;             // u-law, 2 channels: 2-byte samples
    std::string wideband;           // u-law at 16000 Hz
    std::string linearPcm;          // 16-bit PCM instead of u-law
    std::string cameraClip;         // camera layout, 15 fps, made from a converted clip
};

// Built on first use; every path is under one folder that is removed at exit.
const MediaSet& Media();

// Copies a shared file into `folder` under `name` and returns the new path.
std::string CopyInto(const TempFolder& folder, const std::string& source, const std::string& name);

class RecordingUi : public kavlo::KavloUi {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetProgress(int percent) override { progress.push_back(percent); }

    std::vector<std::string> messages;
    std::vector<int> progress;
};

} // namespace kavlo_test
