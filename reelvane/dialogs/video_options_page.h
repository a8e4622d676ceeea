#pragma once
// The Video page of the option sheet, with the live default bit rate.

#include "reelvane/profiles/profile_settings.h"

#include <QWidget>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace reelvane {

class VideoOptionsPage : public QWidget {
public:
    // `outputFrame` gives the frame chosen on the Resize page.
    explicit VideoOptionsPage(std::function<FrameSize()> outputFrame, QWidget* parent = nullptr);
    void Load(const ProfileSettings& settings);
    void Store(ProfileSettings& settings) const;
    bool Validate();
    void RefreshDefaultBitRate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateEnabling();

    std::function<FrameSize()> outputFrame_;
    QCheckBox* disable_;
    QComboBox* codec_;
    QButtonGroup* frameRateChoice_;
    QLineEdit* frameRate_;
    QButtonGroup* bitRateChoice_;
    QLineEdit* defaultBitRate_;
    QLineEdit* bitRate_;
    QCheckBox* highQuality_;
    QCheckBox* advanced_;
    QLabel* levelLabel_;
    QLineEdit* levels_[3];
};

} // namespace reelvane
