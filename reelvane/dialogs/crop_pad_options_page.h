#pragma once
// The Crop & Pad page of the option sheet, with the pad colour swatch and chooser.

#include "reelvane/profiles/profile_settings.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace reelvane {

class CropPadOptionsPage : public QWidget {
public:
    explicit CropPadOptionsPage(QWidget* parent = nullptr);
    void Load(const ProfileSettings& settings);
    void Store(ProfileSettings& settings) const;
    void SetPadColor(int32_t rgb);
    // A crop or pad field: 0 left, 1 right, 2 top, 3 bottom.
    QLineEdit* SideField(bool crop, int side) const { return (crop ? cropSides_ : padSides_)[side]; }

private:
    void UpdateEnabling();
    void ChooseColor();

    QCheckBox* crop_;
    QLineEdit* cropSides_[4]; // left, right, top, bottom
    QCheckBox* pad_;
    QLineEdit* padSides_[4];
    QLineEdit* colorText_;
    QLabel* swatch_;
    QPushButton* chooseColor_;
    int32_t padColor_ = 0x060606;
};

} // namespace reelvane
