#pragma once
// A small picture that shows one subtitle line drawn in a style, where the style puts it.

#include "adapters/quorla/subtitle_style.h"

#include <QWidget>

namespace quorla {

class StylePreview : public QWidget {
public:
    explicit StylePreview(const QString& sampleText, QWidget* parent = nullptr);
    void SetStyle(const SubtitleStyle& style);
    QSize sizeHint() const override { return {256, 192}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString sampleText_;
    SubtitleStyle style_;
};

} // namespace quorla
