#pragma once
// The subtitle style dialog: font, size, bold and italic, text and outline colours, outline
// width, position and margin, with a live preview.

#include "adapters/quorla/subtitle_style.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QSpinBox;

namespace quorla {

class StylePreview;

// Texts of the dialog, looked up by the caller in its language pack.
using TextLookup = QString (*)(const char* key, const char* builtin);

class StyleDialog : public QDialog {
public:
    StyleDialog(const SubtitleStyle& style, TextLookup text, QWidget* parent = nullptr);
    SubtitleStyle style() const;

private:
    QWidget* ColorRow(uint32_t& color, QLabel*& swatch, TextLookup text);
    void PickColor(uint32_t& color, QLabel* swatch);
    void ShowSwatch(QLabel* swatch, uint32_t color);
    void Refresh();

    QFontComboBox* font_;
    QSpinBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    uint32_t textColor_;
    uint32_t outlineColor_;
    QLabel* textSwatch_ = nullptr;
    QLabel* outlineSwatch_ = nullptr;
    QSpinBox* outlineWidth_;
    QComboBox* position_;
    QSpinBox* margin_;
    StylePreview* preview_;
};

} // namespace quorla
