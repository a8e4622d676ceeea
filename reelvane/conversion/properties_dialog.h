#pragma once
// The Properties dialog of one task: file name, length, video and audio information.

#include "reelvane/tasks/conversion_task.h"

#include <QDialog>

namespace reelvane {

class PropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // `copyFitting`: the program setting, so that the dialog says which streams a run would copy.
    PropertiesDialog(const ConversionTask& task, QWidget* parent, bool copyFitting = true);

    // The texts shown, for the window and its tests.
    static QString LengthText(float seconds);
    static QString AudioText(const ConversionTask& task);
    // One line per chosen stream: "copy" or "encode" and why.
    static QString StreamPlanText(const ConversionTask& task, bool copyFitting);
};

} // namespace reelvane
