#pragma once
// Sets a task's trim by eye: the frame at the slider's time, the slider, the start and end as
// typed times, and buttons that take the slider's time. OK refuses a range that cannot be a trim
// with a message naming the field.

#include "reelvane/tasks/task_trim.h"

#include <QDialog>
#include <QImage>
#include <QThreadPool>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace reelvane {

class TrimDialog : public QDialog {
    Q_OBJECT
public:
    TrimDialog(const ConversionTask& task, QWidget* parent = nullptr);
    ~TrimDialog() override;

    // The range OK accepted.
    TrimRange range() const { return range_; }
    QSlider* slider() const { return slider_; }
    QLineEdit* startField() const { return startField_; }
    QLineEdit* endField() const { return endField_; }
    QPushButton* setStartButton() const { return setStart_; }
    QPushButton* setEndButton() const { return setEnd_; }
    // The frame the preview shows and the slider time it was made for (-1 before the first).
    const QImage& shownFrame() const { return shown_; }
    int shownMilliseconds() const { return shownAt_; }

    void accept() override;

private:
    void Want(int milliseconds);
    void StartGrab();
    void Arrive(int milliseconds, const QImage& frame, bool sound);

    const ConversionTask& task_;
    TrimRange range_;
    QLabel* preview_;
    QSlider* slider_;
    QLabel* time_;
    QLineEdit* startField_;
    QLineEdit* endField_;
    QPushButton* setStart_;
    QPushButton* setEnd_;
    QImage shown_;
    int shownAt_ = -1;
    // One frame is made at a time; a slider moved meanwhile asks for its latest time only.
    int wanted_ = -1;
    bool grabbing_ = false;
    QThreadPool pool_;
};

// Opens the dialog on the task; OK writes the trim into it.
void RunTrimDialog(QWidget* parent, ConversionTask& task);

} // namespace reelvane
