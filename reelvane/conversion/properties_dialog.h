#pragma once
// The Properties dialog of one task: file name, length, video and audio information.

#include "reelvane/tasks/conversion_task.h"

#include <QDialog>

namespace reelvane {

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    PropertiesDialog(const ConversionTask& task, QWidget* parent);

    // The texts shown, for the window and its tests.
    static QString LengthText(float seconds);
    static QString AudioText(const ConversionTask& task);
};

} // namespace reelvane
