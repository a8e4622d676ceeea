#include "reelvane/dialogs/audio_options_page.h"

#include "reelvane/conversion/audio_layout.h"
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

constexpr char kSection[] = "OPTION_AUDIO_DLG";
constexpr int kVolumeLow = 100, kVolumeHigh = 600;
constexpr int kAsSourceItem = 3;

// Two radios, the second with its field and unit; the cursor in the field selects the second.
QGroupBox* ChoiceGroup(const QString& title, const QString& original, const QString& custom, QLineEdit* field,
                       const QString& unit, QButtonGroup* choice)
{
    auto* box = new QGroupBox(title);
    auto* grid = new QGridLayout(box);
    auto* originalRadio = new QRadioButton(original);
    auto* customRadio = new QRadioButton(custom);
    choice->addButton(originalRadio, 0);
    choice->addButton(customRadio, 1);
    grid->addWidget(originalRadio, 0, 0, 1, 4);
    grid->addWidget(customRadio, 1, 0);
    grid->addWidget(field, 1, 1);
    grid->addWidget(new QLabel(unit), 1, 2);
    grid->setColumnStretch(3, 1);
    OnFocus(field, [customRadio] { customRadio->setChecked(true); });
    return box;
}

} // namespace

AudioOptionsPage::AudioOptionsPage(QWidget* parent) : QWidget(parent)
{
    disable_ = new QCheckBox(Text(kSection, "btnDisableAudioInfo", "Disable audio"));
    disable_->setObjectName("disableAudio");
    channel_ = new QComboBox;
    channel_->setObjectName("audioChannel");
    channel_->addItems({"Auto", "Single channel", "Double channel",
                        Text(kSection, "strAudioChannelAsSourceInfo", "As source (up to 5.1)")});
    codec_ = new QComboBox;
    codec_->setObjectName("audioCodec");
    for (const std::string& codec : AudioCodecChoices())
        codec_->addItem(QString::fromStdString(codec));

    sampleRateChoice_ = new QButtonGroup(this);
    sampleRate_ = NumberField();
    sampleRate_->setObjectName("sampleRate");
    auto* sampleRateBox =
        ChoiceGroup(Text(kSection, "btnSampleRateInfo", "Sampling rate"),
                    Text(kSection, "btnOrginalFrameRateInfo", "Original frame rate (or system default)"),
                    Text(kSection, "btnCustomFrameRateInfo", "Custom"), sampleRate_,
                    Text(kSection, "strFrameRateLabelInfo", "frames / second"), sampleRateChoice_);
    bitRateChoice_ = new QButtonGroup(this);
    bitRate_ = NumberField(true);
    bitRate_->setObjectName("audioBitRate");
    auto* bitRateBox = ChoiceGroup(Text(kSection, "btnBitrateInfo", "Bit rate"),
                                   Text(kSection, "btnOriginalBitrateInfo", "Original bit rate (or system default)"),
                                   Text(kSection, "btnCustomBitrateInfo", "Custom"), bitRate_,
                                   Text(kSection, "strBitrateLabelInfo", "kbit / s"), bitRateChoice_);

    auto* volumeBox = new QGroupBox(Text(kSection, "btnAudioVolInfo", "Volume, 256 is normal (100-600)"));
    adjustVolume_ = new QCheckBox(Text(kSection, "btnAdjustVolInfo", "Adjust audio volume"));
    adjustVolume_->setObjectName("adjustVolume");
    volume_ = new RangeSpinBox(kVolumeLow, kVolumeHigh);
    volume_->setObjectName("volume");
    OnFocus(volume_, [this] { adjustVolume_->setChecked(true); });
    auto* volumeRow = new QHBoxLayout(volumeBox);
    volumeRow->addWidget(adjustVolume_);
    volumeRow->addWidget(volume_);
    volumeRow->addWidget(new QLabel(Text(kSection, "strVolLabelInfo", "level")));
    volumeRow->addStretch();

    auto* form = new QFormLayout;
    form->addRow(Text(kSection, "strAudioChannelInfo", "Audio channel"), channel_);
    form->addRow(Text(kSection, "strAudioCodecInfo", "Audio codec"), codec_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(disable_);
    layout->addLayout(form);
    layout->addWidget(sampleRateBox);
    layout->addWidget(bitRateBox);
    layout->addWidget(volumeBox);
    layout->addStretch();
    connect(disable_, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
}

void AudioOptionsPage::UpdateEnabling()
{
    const bool enabled = !disable_->isChecked();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != disable_)
            child->setEnabled(enabled);
}

void AudioOptionsPage::Load(const ProfileSettings& s)
{
    disable_->setChecked(s.bDisableAudio != 0);
    channel_->setCurrentIndex(s.nAudioChannel == kChannelsAsSource           ? kAsSourceItem
                              : s.nAudioChannel >= 0 && s.nAudioChannel <= 2 ? s.nAudioChannel
                                                                             : 0);
    codec_->setCurrentIndex(CodecChoiceIndex(AudioCodecChoices(), s.cAudioCodec));
    sampleRateChoice_->button(s.bAudioCustomSampleRate ? 1 : 0)->setChecked(true);
    sampleRate_->setText(QString::number(s.nAudioCustomSampleRate));
    bitRateChoice_->button(s.bAudioCustomBitRate ? 1 : 0)->setChecked(true);
    bitRate_->setText(RealText(s.nAudioCustomBitRate));
    adjustVolume_->setChecked(s.bAudioCustomVolume != 0);
    volume_->setValue(s.nAudioVolume);
    UpdateEnabling();
}

void AudioOptionsPage::Store(ProfileSettings& s) const
{
    s.bDisableAudio = disable_->isChecked();
    s.nAudioChannel = channel_->currentIndex() == kAsSourceItem ? kChannelsAsSource : channel_->currentIndex();
    SetText(s.cAudioCodec, codec_->currentText().toStdString());
    s.bAudioCustomSampleRate = sampleRateChoice_->checkedId() == 1;
    s.nAudioCustomSampleRate = FieldInt(sampleRate_);
    s.bAudioCustomBitRate = bitRateChoice_->checkedId() == 1;
    s.nAudioCustomBitRate = FieldReal(bitRate_);
    s.bAudioCustomVolume = adjustVolume_->isChecked();
    s.nAudioVolume = volume_->value();
}

bool AudioOptionsPage::Validate()
{
    // Profiles hold 0 while the volume is not adjusted; only a volume in use must be in range.
    const bool used = !disable_->isChecked() && adjustVolume_->isChecked();
    if (!used || (volume_->value() >= kVolumeLow && volume_->value() <= kVolumeHigh))
        return true;
    RefuseRange(volume_, kVolumeLow, kVolumeHigh);
    return false;
}

} // namespace reelvane
