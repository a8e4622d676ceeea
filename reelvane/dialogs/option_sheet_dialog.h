#pragma once
// The option sheet: the Audio, Video, Resize and Crop & Pad pages of one task's settings, with
// OK, Cancel and the Save&Apply menu, and beside them a preview of the task's output.

#include "reelvane/profiles/option_rules.h"

#include <QDialog>

class QTabWidget;

namespace reelvane {

class AudioOptionsPage;
class CropPadOptionsPage;
class OutputPreviewPane;
class ResizeOptionsPage;
class VideoOptionsPage;

class OptionSheetDialog : public QDialog {
    Q_OBJECT

public:
    // With a task whose source has video, the preview shows its output.
    OptionSheetDialog(const ProfileSettings& settings, QWidget* parent = nullptr, const ConversionTask* task = nullptr);
    // Every page stored into the record.
    void Store(ProfileSettings& settings) const;
    // Null without a preview.
    OutputPreviewPane* preview() const { return preview_; }
    SaveChoice saveChoice() const { return saveChoice_; }

    void accept() override;

private:
    void Confirm(SaveChoice choice);
    bool ValidateFrame();
    ProfileSettings Edited() const;

    QTabWidget* tabs_;
    AudioOptionsPage* audio_;
    VideoOptionsPage* video_;
    ResizeOptionsPage* resize_;
    CropPadOptionsPage* cropPad_;
    OutputPreviewPane* preview_ = nullptr;
    ProfileSettings loaded_;
    SaveChoice saveChoice_ = SaveChoice::None;
};

// Opens the sheet for the one selected task (null: none is selected, which is said). On OK or a
// save choice the edited settings go into `current` and the task, and are saved as chosen; the
// caller then refreshes the task's row. False when nothing changed.
bool RunOptionSheet(QWidget* parent, ConversionTask* task, ProfileSettings& current);

} // namespace reelvane
