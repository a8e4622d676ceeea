#include "adapters/quorla/style_preview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace quorla {
namespace {

// The renderer lays out subtitles on a picture 288 lines high.
constexpr double kScriptHeight = 288.0;

QColor Rgb(uint32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

StylePreview::StylePreview(const QString& sampleText, QWidget* parent) : QWidget(parent), sampleText_(sampleText)
{
    setMinimumSize(sizeHint());
}

void StylePreview::SetStyle(const SubtitleStyle& style)
{
    style_ = Sanitized(style);
    update();
}

void StylePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A mid-grey picture with a lighter band, so that text and outline both show.
    painter.fillRect(rect(), QColor(70, 90, 110));
    painter.fillRect(QRect(0, height() / 3, width(), height() / 3), QColor(140, 160, 170));

    const double scale = height() / kScriptHeight;
    QFont font(QString::fromStdString(style_.fontName));
    font.setPixelSize(std::max(1, static_cast<int>(style_.fontSize * scale + 0.5)));
    font.setBold(style_.bold);
    font.setItalic(style_.italic);
    QFontMetricsF metrics(font);
    const double textWidth = metrics.horizontalAdvance(sampleText_);
    const double x = (width() - textWidth) / 2;
    const double margin = style_.margin * scale;
    double baseline;
    if (style_.position == 2)
        baseline = margin + metrics.ascent();
    else if (style_.position == 1)
        baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    else
        baseline = height() - margin - metrics.descent();

    QPainterPath path;
    path.addText(QPointF(x, baseline), font, sampleText_);
    if (style_.outlineWidth > 0) {
        QPen pen(Rgb(style_.outlineColor), 2 * style_.outlineWidth * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.strokePath(path, pen);
    }
    painter.fillPath(path, Rgb(style_.textColor));
}

} // namespace quorla
