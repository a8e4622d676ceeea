#include "adapters/quorla/style_dialog.h"

#include "adapters/quorla/style_preview.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorla {

// No signals or slots of its own: the library is unloaded after each use, so it registers
// nothing with Qt's meta-object system.
StyleDialog::StyleDialog(const SubtitleStyle& given, TextLookup text, QWidget* parent)
    : QDialog(parent), textColor_(given.textColor), outlineColor_(given.outlineColor)
{
    const SubtitleStyle style = Sanitized(given);
    setWindowTitle(text("strTitleInfo", "Subtitle style"));

    font_ = new QFontComboBox;
    font_->setCurrentFont(QFont(QString::fromStdString(style.fontName)));
    size_ = new QSpinBox;
    size_->setRange(kMinFontSize, kMaxFontSize);
    size_->setValue(style.fontSize);
    bold_ = new QCheckBox(text("btnBoldInfo", "Bold"));
    bold_->setChecked(style.bold);
    italic_ = new QCheckBox(text("btnItalicInfo", "Italic"));
    italic_->setChecked(style.italic);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(size_);
    sizeRow->addWidget(bold_);
    sizeRow->addWidget(italic_);
    sizeRow->addStretch();

    outlineWidth_ = new QSpinBox;
    outlineWidth_->setRange(0, kMaxOutlineWidth);
    outlineWidth_->setValue(style.outlineWidth);
    position_ = new QComboBox;
    position_->addItems({text("strBottomInfo", "Bottom"), text("strMiddleInfo", "Middle"), text("strTopInfo", "Top")});
    position_->setCurrentIndex(style.position);
    margin_ = new QSpinBox;
    margin_->setRange(0, kMaxMargin);
    margin_->setValue(style.margin);

    auto* form = new QFormLayout;
    form->addRow(text("strFontInfo", "Font"), font_);
    form->addRow(text("strSizeInfo", "Size"), sizeRow);
    form->addRow(text("strTextColorInfo", "Text color"), ColorRow(textColor_, textSwatch_, text));
    form->addRow(text("strOutlineColorInfo", "Outline color"), ColorRow(outlineColor_, outlineSwatch_, text));
    form->addRow(text("strOutlineWidthInfo", "Outline width"), outlineWidth_);
    form->addRow(text("strPositionInfo", "Position"), position_);
    form->addRow(text("strMarginInfo", "Margin"), margin_);

    preview_ = new StylePreview(text("strPreviewTextInfo", "Subtitle preview"));
    auto* previewBox = new QGroupBox(text("strPreviewInfo", "Preview"));
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(preview_, 0, Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(text("btnOKInfo", "OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(text("btnCancelInfo", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    auto* columns = new QHBoxLayout;
    columns->addLayout(form);
    columns->addWidget(previewBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    auto refresh = [this] { Refresh(); };
    connect(font_, &QFontComboBox::currentFontChanged, this, refresh);
    connect(size_, &QSpinBox::valueChanged, this, refresh);
    connect(bold_, &QCheckBox::toggled, this, refresh);
    connect(italic_, &QCheckBox::toggled, this, refresh);
    connect(outlineWidth_, &QSpinBox::valueChanged, this, refresh);
    connect(position_, &QComboBox::currentIndexChanged, this, refresh);
    connect(margin_, &QSpinBox::valueChanged, this, refresh);
    Refresh();
}

QWidget* StyleDialog::ColorRow(uint32_t& color, QLabel*& swatch, TextLookup text)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    swatch = new QLabel;
    swatch->setFixedSize(40, 20);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    ShowSwatch(swatch, color);
    auto* pick = new QPushButton(text("btnSelectColorInfo", "Select..."));
    QLabel* shown = swatch;
    connect(pick, &QPushButton::clicked, this, [this, &color, shown] { PickColor(color, shown); });
    layout->addWidget(swatch);
    layout->addWidget(pick);
    layout->addStretch();
    return row;
}

void StyleDialog::PickColor(uint32_t& color, QLabel* swatch)
{
    QColorDialog chooser(QColor::fromRgb(color), this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    color = chooser.selectedColor().rgb() & 0xFFFFFF;
    ShowSwatch(swatch, color);
    Refresh();
}

void StyleDialog::ShowSwatch(QLabel* swatch, uint32_t color)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(color));
    swatch->setPalette(palette);
}

void StyleDialog::Refresh()
{
    preview_->SetStyle(style());
}

SubtitleStyle StyleDialog::style() const
{
    SubtitleStyle style;
    style.fontName = font_->currentFont().family().toStdString();
    style.fontSize = size_->value();
    style.bold = bold_->isChecked();
    style.italic = italic_->isChecked();
    style.textColor = textColor_;
    style.outlineColor = outlineColor_;
    style.outlineWidth = outlineWidth_->value();
    style.position = position_->currentIndex();
    style.margin = margin_->value();
    return Sanitized(style);
}

} // namespace quorla
