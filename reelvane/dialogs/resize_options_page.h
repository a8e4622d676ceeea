#pragma once
// The Resize page of the option sheet: the output frame and the display aspect.

#include "reelvane/profiles/profile_settings.h"

#include <QWidget>

class QButtonGroup;
class QLineEdit;

namespace reelvane {

class ResizeOptionsPage : public QWidget {
public:
    explicit ResizeOptionsPage(QWidget* parent = nullptr);
    void Load(const ProfileSettings& settings);
    void Store(ProfileSettings& settings) const;
    // The frame the Video page's default bit rate is computed for.
    FrameSize ChosenFrame() const;
    // The field that sets the frame: the custom width when it is chosen, else the checked size.
    QWidget* SizeField() const;

private:
    QButtonGroup* size_;
    QLineEdit* customWidth_;
    QLineEdit* customHeight_;
    QButtonGroup* aspect_;
    FrameSize source_{0, 0};
};

} // namespace reelvane
