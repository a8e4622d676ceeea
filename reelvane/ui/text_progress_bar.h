#pragma once
// A progress bar with a status text drawn over it.

#include <QWidget>

namespace reelvane {

class TextProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TextProgressBar(QWidget* parent = nullptr);

    void SetValue(int percent); // clamped to 0..100
    void SetText(const QString& text);
    int value() const { return value_; }
    QString text() const { return text_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
    QString text_;
};

} // namespace reelvane
