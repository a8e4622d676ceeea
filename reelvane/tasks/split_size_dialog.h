#pragma once
// The custom split size in megabytes. Made once with the main window, so that it shows the last
// value; closing it accepts the number.

#include <QDialog>

class QLabel;
class QSpinBox;

namespace reelvane {

class SplitSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit SplitSizeDialog(QWidget* parent);

    int megabytes() const;
    void SetMegabytes(int value);
    void ApplyTexts();
    QSpinBox* field() const { return field_; }

private:
    QLabel* prompt_;
    QLabel* unit_;
    QSpinBox* field_;
};

} // namespace reelvane
