#pragma once
// The Audio page of the option sheet.

#include "reelvane/profiles/profile_settings.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace reelvane {

class RangeSpinBox;

class AudioOptionsPage : public QWidget {
public:
    explicit AudioOptionsPage(QWidget* parent = nullptr);
    void Load(const ProfileSettings& settings);
    void Store(ProfileSettings& settings) const;
    // False after refusing an out-of-range field.
    bool Validate();

private:
    void UpdateEnabling();

    QCheckBox* disable_;
    QComboBox* channel_;
    QComboBox* codec_;
    QButtonGroup* sampleRateChoice_;
    QLineEdit* sampleRate_;
    QButtonGroup* bitRateChoice_;
    QLineEdit* bitRate_;
    QCheckBox* adjustVolume_;
    RangeSpinBox* volume_;
};

} // namespace reelvane
