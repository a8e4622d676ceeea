#pragma once
// The rules of the option sheet that need no window: the codec lists, the pad colour text, the
// live default bit rate, and what confirming the sheet does to the task and the profile file.

#include "reelvane/profiles/profile_folders.h"
#include "reelvane/profiles/profile_settings.h"
#include "reelvane/tasks/conversion_task.h"

#include <optional>
#include <string>
#include <vector>

namespace reelvane {

const std::vector<std::string>& AudioCodecChoices();
const std::vector<std::string>& VideoCodecChoices();

// The entry equal to `codec` ignoring case; 0 ("auto") when none is.
int CodecChoiceIndex(const std::vector<std::string>& choices, const std::string& codec);

// "0x" and the red, green and blue bytes of 0xRRGGBB in upper-case hexadecimal.
std::string PadColorText(int32_t rgb);

// The frame the video page's default bit rate is computed for: the source's or the custom size
// unrounded, else the size of the resize choice.
FrameSize SheetFrameSize(int32_t resizeOption, FrameSize source, FrameSize custom);

enum class SaveChoice { None, Save, SaveAsNew };

// What storing the sheet needs from whoever shows it.
class OptionSaveUi {
public:
    virtual ~OptionSaveUi() = default;
    // The new-profile dialog: the typed name, or nothing on Cancel.
    virtual std::optional<std::string> AskProfileName(const std::string& initialName) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

// After OK: the edited record goes into the task (with the task's source size, no source aspect
// and a fresh default bit rate) and is saved as chosen, into the user's copy of a shipped file.
// A save that cannot be written is reported; the task keeps the edited settings either way.
// True when the chosen save was made.
bool ConfirmOptions(ConversionTask& task, const ProfileSettings& edited, SaveChoice choice,
                    const ProfileFolders& folders, OptionSaveUi& ui);

} // namespace reelvane
