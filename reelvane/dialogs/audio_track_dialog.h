#pragma once
// The audio track dialog: one check line per audio track of the task.

#include "reelvane/tasks/conversion_task.h"

#include <QDialog>

class QListWidget;

namespace reelvane {

class AudioTrackDialog : public QDialog {
    Q_OBJECT

public:
    AudioTrackDialog(const ConversionTask& task, QWidget* parent = nullptr);
    // The check state of every line, in track order.
    std::vector<bool> checked() const;

private:
    QListWidget* tracks_;
};

// Whichever button closes the dialog, every track's selected flag follows its line's check.
void RunAudioTrackDialog(QWidget* parent, ConversionTask& task);

} // namespace reelvane
