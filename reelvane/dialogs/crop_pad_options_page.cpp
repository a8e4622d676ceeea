#include "reelvane/dialogs/crop_pad_options_page.h"

#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/profiles/option_rules.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "OPTION_CROPPAD_DLG";

// The check box on the first row, then two sides per row.
QGroupBox* SidesGroup(const QString& title, QCheckBox* check, QLineEdit* (&sides)[4], const QString (&names)[4],
                      const char* objectPrefix)
{
    auto* box = new QGroupBox(title);
    auto* grid = new QGridLayout(box);
    grid->addWidget(check, 0, 0, 1, 4);
    for (int i = 0; i < 4; ++i) {
        sides[i] = NumberField();
        sides[i]->setObjectName(QString("%1%2").arg(objectPrefix).arg(i));
        grid->addWidget(new QLabel(names[i]), 1 + i / 2, i % 2 * 2);
        grid->addWidget(sides[i], 1 + i / 2, i % 2 * 2 + 1);
    }
    grid->setColumnStretch(4, 1);
    return box;
}

} // namespace

CropPadOptionsPage::CropPadOptionsPage(QWidget* parent) : QWidget(parent)
{
    crop_ = new QCheckBox(Text(kSection, "btnEnableCropInfo", "Enable crop"));
    crop_->setObjectName("enableCrop");
    const QString cropNames[4] = {Text(kSection, "strCropLeftInfo", "Left"),
                                  Text(kSection, "strCropRightInfo", "Right"), Text(kSection, "strCropTopInfo", "Top"),
                                  Text(kSection, "strCropBottomInfo", "Bottom")};
    auto* cropBox = SidesGroup(Text(kSection, "btnCropInfo", "Crop"), crop_, cropSides_, cropNames, "crop");

    pad_ = new QCheckBox(Text(kSection, "btnEnablePadInfo", "Enable pad"));
    pad_->setObjectName("enablePad");
    const QString padNames[4] = {Text(kSection, "btnPadLeftInfo", "Left"), Text(kSection, "strPadRightInfo", "Right"),
                                 Text(kSection, "strPadTopInfo", "Top"), Text(kSection, "strPadBottomInfo", "Bottom")};
    auto* padBox = SidesGroup(Text(kSection, "btnPadInfo", "Pad"), pad_, padSides_, padNames, "pad");
    colorText_ = new QLineEdit(QString::fromStdString(PadColorText(padColor_)));
    colorText_->setObjectName("padColorText");
    colorText_->setReadOnly(true);
    colorText_->setMaximumWidth(90);
    swatch_ = new QLabel;
    swatch_->setObjectName("padSwatch");
    swatch_->setFixedSize(40, 20);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);
    chooseColor_ = new QPushButton(Text(kSection, "btnPadColorInfo", "Select color"));
    chooseColor_->setObjectName("choosePadColor");
    chooseColor_->setToolTip(Text(kSection, "btnPadColorTooltip", "Select color for pad"));
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(Text(kSection, "strPadColorInfo", "Color")));
    colorRow->addWidget(colorText_);
    colorRow->addWidget(swatch_);
    colorRow->addWidget(chooseColor_);
    colorRow->addStretch();
    static_cast<QGridLayout*>(padBox->layout())->addLayout(colorRow, 3, 0, 1, 5);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cropBox);
    layout->addWidget(padBox);
    layout->addStretch();
    connect(crop_, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    connect(pad_, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    connect(chooseColor_, &QPushButton::clicked, this, [this] { ChooseColor(); });
    SetPadColor(padColor_);
    UpdateEnabling();
}

void CropPadOptionsPage::UpdateEnabling()
{
    for (QLineEdit* side : cropSides_)
        side->setEnabled(crop_->isChecked());
    for (QLineEdit* side : padSides_)
        side->setEnabled(pad_->isChecked());
    colorText_->setEnabled(pad_->isChecked());
    chooseColor_->setEnabled(pad_->isChecked());
}

void CropPadOptionsPage::SetPadColor(int32_t rgb)
{
    padColor_ = rgb & 0xFFFFFF;
    colorText_->setText(QString::fromStdString(PadColorText(padColor_)));
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(static_cast<QRgb>(padColor_)));
    swatch_->setPalette(palette);
}

void CropPadOptionsPage::ChooseColor()
{
    QColorDialog chooser(QColor::fromRgb(static_cast<QRgb>(padColor_)), this);
    chooser.setObjectName("padColorChooser");
    if (chooser.exec() == QDialog::Accepted)
        SetPadColor(static_cast<int32_t>(chooser.selectedColor().rgb() & 0xFFFFFF));
}

void CropPadOptionsPage::Load(const ProfileSettings& s)
{
    crop_->setChecked(s.bVideoEnableCrop != 0);
    const int32_t crop[4] = {s.nVideoCropLeft, s.nVideoCropRight, s.nVideoCropTop, s.nVideoCropBottom};
    const int32_t pad[4] = {s.nVideoPadLeft, s.nVideoPadRight, s.nVideoPadTop, s.nVideoPadBottom};
    for (int i = 0; i < 4; ++i) {
        cropSides_[i]->setText(QString::number(crop[i]));
        padSides_[i]->setText(QString::number(pad[i]));
    }
    pad_->setChecked(s.bVideoEnablePad != 0);
    SetPadColor(s.nVideoPadColor);
    UpdateEnabling();
}

void CropPadOptionsPage::Store(ProfileSettings& s) const
{
    s.bVideoEnableCrop = crop_->isChecked();
    s.nVideoCropLeft = FieldInt(cropSides_[0]);
    s.nVideoCropRight = FieldInt(cropSides_[1]);
    s.nVideoCropTop = FieldInt(cropSides_[2]);
    s.nVideoCropBottom = FieldInt(cropSides_[3]);
    s.bVideoEnablePad = pad_->isChecked();
    s.nVideoPadLeft = FieldInt(padSides_[0]);
    s.nVideoPadRight = FieldInt(padSides_[1]);
    s.nVideoPadTop = FieldInt(padSides_[2]);
    s.nVideoPadBottom = FieldInt(padSides_[3]);
    s.nVideoPadColor = padColor_;
}

} // namespace reelvane
