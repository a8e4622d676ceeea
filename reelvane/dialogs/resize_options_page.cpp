#include "reelvane/dialogs/resize_options_page.h"

#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/profiles/option_rules.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "OPTION_RESIZE_DLG";
constexpr int kCustomSize = 9;

} // namespace

ResizeOptionsPage::ResizeOptionsPage(QWidget* parent) : QWidget(parent)
{
    const QString names[12] = {Text(kSection, "btnOriginalSizeInfo", "Original size"),
                               "SQCIF (128 x 96)",
                               "QCIF (176 x 144)",
                               "CIF (352 x 288)",
                               "4CIF (704 x 576)",
                               "320 x 240",
                               "640 x 480",
                               "720 x 480",
                               "720 x 576",
                               Text(kSection, "btnCustomSizeInfo", "Custom size"),
                               "1280 x 768",
                               "1920 x 1080"};
    auto* sizeBox = new QGroupBox(Text(kSection, "btnResizeInfo", "Resize (Width x Height)"));
    auto* grid = new QGridLayout(sizeBox);
    size_ = new QButtonGroup(this);
    customWidth_ = NumberField();
    customWidth_->setObjectName("customWidth");
    customHeight_ = NumberField();
    customHeight_->setObjectName("customHeight");
    for (int i = 0; i < 12; ++i) {
        auto* radio = new QRadioButton(names[i]);
        radio->setObjectName(QString("size%1").arg(i));
        size_->addButton(radio, i);
        // Two columns, in index order down the first and then the second.
        grid->addWidget(radio, i % 6, i / 6 * 2);
    }
    auto* customRow = new QHBoxLayout;
    customRow->addWidget(customWidth_);
    customRow->addWidget(new QLabel("x"));
    customRow->addWidget(customHeight_);
    customRow->addStretch();
    grid->addLayout(customRow, kCustomSize % 6, 3);
    grid->setColumnStretch(3, 1);
    for (QLineEdit* field : {customWidth_, customHeight_})
        OnFocus(field, [this] { size_->button(kCustomSize)->setChecked(true); });

    auto* aspectBox = new QGroupBox(Text(kSection, "btnAspectratioInfo", "Aspect ratio"));
    aspect_ = new QButtonGroup(this);
    auto* aspectRow = new QHBoxLayout(aspectBox);
    const QString aspects[3] = {Text(kSection, "btnNormalAspectratioInfo", "Normal"), "4 : 3", "16 : 9"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(aspects[i]);
        radio->setObjectName(QString("aspect%1").arg(i));
        aspect_->addButton(radio, i);
        aspectRow->addWidget(radio);
    }
    aspectRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sizeBox);
    layout->addWidget(aspectBox);
    layout->addStretch();
}

void ResizeOptionsPage::Load(const ProfileSettings& s)
{
    source_ = {s.nSourceWidth, s.nSourceHeight};
    const int option = s.nVideoRiszeOption >= 0 && s.nVideoRiszeOption <= 11 ? s.nVideoRiszeOption : 0;
    size_->button(option)->setChecked(true);
    customWidth_->setText(QString::number(s.nVideoCustomSizeX));
    customHeight_->setText(QString::number(s.nVideoCustomSizeY));
    // Any non-zero aspect other than 1 is 16:9.
    aspect_->button(s.nAspect == 0 ? 0 : s.nAspect == 1 ? 1 : 2)->setChecked(true);
}

void ResizeOptionsPage::Store(ProfileSettings& s) const
{
    s.nVideoRiszeOption = size_->checkedId();
    s.nVideoCustomSizeX = FieldInt(customWidth_);
    s.nVideoCustomSizeY = FieldInt(customHeight_);
    s.nAspect = aspect_->checkedId();
}

FrameSize ResizeOptionsPage::ChosenFrame() const
{
    return SheetFrameSize(size_->checkedId(), source_, {FieldInt(customWidth_), FieldInt(customHeight_)});
}

QWidget* ResizeOptionsPage::SizeField() const
{
    return size_->checkedId() == kCustomSize ? static_cast<QWidget*>(customWidth_) : size_->checkedButton();
}

} // namespace reelvane
