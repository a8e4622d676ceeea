#include "reelvane/dialogs/video_options_page.h"

#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/profiles/option_rules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "OPTION_VIDEO_DLG";
constexpr double kLevelLow = 0, kLevelHigh = 100;

} // namespace

VideoOptionsPage::VideoOptionsPage(std::function<FrameSize()> outputFrame, QWidget* parent)
    : QWidget(parent), outputFrame_(std::move(outputFrame))
{
    disable_ = new QCheckBox(Text(kSection, "btnDisableVideoInfo", "Disable video"));
    disable_->setObjectName("disableVideo");
    codec_ = new QComboBox;
    codec_->setObjectName("videoCodec");
    for (const std::string& codec : VideoCodecChoices())
        codec_->addItem(QString::fromStdString(codec));

    auto* frameRateBox = new QGroupBox(Text(kSection, "btnVideoFramerateInfo", "Frame rate"));
    frameRateChoice_ = new QButtonGroup(this);
    auto* originalRate =
        new QRadioButton(Text(kSection, "btnVideoFramerateOriginalInfo", "Original frame rate (or system default)"));
    auto* customRate = new QRadioButton(Text(kSection, "btnVideoFramerateCustomInfo", "Custom"));
    frameRateChoice_->addButton(originalRate, 0);
    frameRateChoice_->addButton(customRate, 1);
    frameRate_ = NumberField(true);
    frameRate_->setObjectName("frameRate");
    OnFocus(frameRate_, [customRate] { customRate->setChecked(true); });
    auto* rateGrid = new QGridLayout(frameRateBox);
    rateGrid->addWidget(originalRate, 0, 0, 1, 4);
    rateGrid->addWidget(customRate, 1, 0);
    rateGrid->addWidget(frameRate_, 1, 1);
    rateGrid->addWidget(new QLabel(Text(kSection, "strFramerateLabelInfo", "frames / second")), 1, 2);
    rateGrid->setColumnStretch(3, 1);

    auto* bitRateBox = new QGroupBox(Text(kSection, "btnVideoBitrateInfo", "Bit rate"));
    bitRateChoice_ = new QButtonGroup(this);
    auto* originalBitRate =
        new QRadioButton(Text(kSection, "btnOriginalBitrateInfo", "Original video bit rate (or system default)"));
    auto* customBitRate = new QRadioButton(Text(kSection, "btnCustomBitrateInfo", "Custom"));
    bitRateChoice_->addButton(originalBitRate, 0);
    bitRateChoice_->addButton(customBitRate, 1);
    defaultBitRate_ = new QLineEdit;
    defaultBitRate_->setObjectName("defaultBitRate");
    defaultBitRate_->setReadOnly(true);
    defaultBitRate_->setMaximumWidth(90);
    bitRate_ = NumberField();
    bitRate_->setObjectName("videoBitRate");
    OnFocus(bitRate_, [customBitRate] { customBitRate->setChecked(true); });
    const QString unit = Text(kSection, "strBitrateLabelInfo", "kbits / s");
    auto* bitGrid = new QGridLayout(bitRateBox);
    bitGrid->addWidget(originalBitRate, 0, 0);
    bitGrid->addWidget(defaultBitRate_, 0, 1);
    bitGrid->addWidget(new QLabel(unit), 0, 2);
    bitGrid->addWidget(customBitRate, 1, 0);
    bitGrid->addWidget(bitRate_, 1, 1);
    bitGrid->addWidget(new QLabel(unit), 1, 2);
    bitGrid->setColumnStretch(3, 1);

    // Present but never shown: the profile's value passes through.
    highQuality_ = new QCheckBox(Text(kSection, "btnHQSettingsInfo", "Activate high quality settings"), this);
    highQuality_->hide();

    advanced_ = new QCheckBox(Text(kSection, "btnVidelLevelInfo", "Advanced"));
    advanced_->setObjectName("advanced");
    levelLabel_ = new QLabel(Text(kSection, "strVideoLevelInfo", "Default bit rate quotiety"));
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(advanced_);
    levelRow->addWidget(levelLabel_);
    for (int i = 0; i < 3; ++i) {
        levels_[i] = NumberField(true);
        levels_[i]->setObjectName(QString("level%1").arg(i + 1));
        levels_[i]->setMaximumWidth(70);
        levelRow->addWidget(levels_[i]);
        connect(levels_[i], &QLineEdit::textChanged, this, [this] { RefreshDefaultBitRate(); });
    }
    levelRow->addStretch();
    auto showLevels = [this](bool shown) {
        levelLabel_->setVisible(shown);
        for (QLineEdit* level : levels_)
            level->setVisible(shown);
    };
    connect(advanced_, &QCheckBox::toggled, this, showLevels);
    showLevels(false);

    auto* form = new QFormLayout;
    form->addRow(Text(kSection, "strVideoCodecInfo", "Video codec"), codec_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(disable_);
    layout->addLayout(form);
    layout->addWidget(frameRateBox);
    layout->addWidget(bitRateBox);
    layout->addLayout(levelRow);
    layout->addStretch();
    connect(disable_, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
}

void VideoOptionsPage::UpdateEnabling()
{
    const bool enabled = !disable_->isChecked();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != disable_)
            child->setEnabled(enabled);
}

void VideoOptionsPage::Load(const ProfileSettings& s)
{
    disable_->setChecked(s.bDisableVideo != 0);
    codec_->setCurrentIndex(CodecChoiceIndex(VideoCodecChoices(), s.cVideoCodec));
    frameRateChoice_->button(s.bVideoCustomFrameRate ? 1 : 0)->setChecked(true);
    frameRate_->setText(RealText(s.nVideoCustomFrameRate));
    bitRateChoice_->button(s.bVideoCustomBitRate ? 1 : 0)->setChecked(true);
    bitRate_->setText(QString::number(s.nVideoCustomBitRate));
    highQuality_->setChecked(s.bVideoHighQuality != 0);
    advanced_->setChecked(false);
    levels_[0]->setText(RealText(s.nVideoBitRateLevel));
    levels_[1]->setText(RealText(s.nVideoBitRateLevel2));
    levels_[2]->setText(RealText(s.nVideoBitRateLevel3));
    UpdateEnabling();
    RefreshDefaultBitRate();
}

void VideoOptionsPage::Store(ProfileSettings& s) const
{
    s.bDisableVideo = disable_->isChecked();
    SetText(s.cVideoCodec, codec_->currentText().toStdString());
    s.bVideoCustomFrameRate = frameRateChoice_->checkedId() == 1;
    s.nVideoCustomFrameRate = FieldReal(frameRate_);
    s.bVideoCustomBitRate = bitRateChoice_->checkedId() == 1;
    s.nVideoCustomBitRate = FieldInt(bitRate_);
    s.bVideoHighQuality = highQuality_->isChecked();
    s.nVideoBitRateLevel = FieldReal(levels_[0]);
    s.nVideoBitRateLevel2 = FieldReal(levels_[1]);
    s.nVideoBitRateLevel3 = FieldReal(levels_[2]);
}

bool VideoOptionsPage::Validate()
{
    for (QLineEdit* level : levels_) {
        const float value = FieldReal(level);
        if (value < kLevelLow || value > kLevelHigh) {
            advanced_->setChecked(true);
            RefuseRange(level, kLevelLow, kLevelHigh);
            return false;
        }
    }
    return true;
}

void VideoOptionsPage::RefreshDefaultBitRate()
{
    const int32_t rate =
        DefaultBitRateFor(FieldReal(levels_[0]), FieldReal(levels_[1]), FieldReal(levels_[2]), outputFrame_());
    defaultBitRate_->setText(QString::number(rate));
}

void VideoOptionsPage::showEvent(QShowEvent* event)
{
    RefreshDefaultBitRate();
    QWidget::showEvent(event);
}

} // namespace reelvane
