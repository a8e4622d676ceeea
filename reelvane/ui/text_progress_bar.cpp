#include "reelvane/ui/text_progress_bar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace reelvane {

TextProgressBar::TextProgressBar(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName("Progress");
}

void TextProgressBar::SetValue(int percent)
{
    value_ = std::clamp(percent, 0, 100);
    update();
}

void TextProgressBar::SetText(const QString& text)
{
    text_ = text;
    setToolTip(text);
    setAccessibleDescription(text);
    update();
}

QSize TextProgressBar::sizeHint() const
{
    return {300, fontMetrics().height() + 10};
}

void TextProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(frame, 3, 3);
    painter.fillPath(outline, QColor(0xD9, 0xEA, 0xFF));

    QRectF filled = frame;
    filled.setWidth(frame.width() * value_ / 100.0);
    QLinearGradient gradient(filled.topLeft(), filled.bottomLeft());
    gradient.setColorAt(0, QColor(0x86, 0xAA, 0xEE));
    gradient.setColorAt(1, QColor(0x3A, 0x5D, 0x9E));
    painter.save();
    painter.setClipRect(filled);
    painter.fillPath(outline, gradient);
    painter.restore();
    painter.setPen(QColor(0x3A, 0x5D, 0x9E));
    painter.drawPath(outline);

    // White text reads on the fill only; the empty part gets the dark blue of the frame.
    const QRect textArea = rect().adjusted(6, 0, -6, 0);
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideMiddle, textArea.width());
    painter.setClipRect(filled);
    painter.setPen(Qt::white);
    painter.drawText(textArea, Qt::AlignCenter, shown);
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(filled.toAlignedRect())));
    painter.setPen(QColor(0x1E, 0x33, 0x5C));
    painter.drawText(textArea, Qt::AlignCenter, shown);
}

} // namespace reelvane
