#pragma once
// The subtitle dialog: the task's candidate subtitle files, Add, the subtitle style and OK,
// which refuses a file that cannot be read.

#include "reelvane/tasks/conversion_task.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace reelvane {

class SubtitleDialog : public QDialog {
    Q_OBJECT

public:
    SubtitleDialog(const ConversionTask& task, QWidget* parent = nullptr);
    const std::string& chosenPath() const { return chosen_; }
    void Choose(const std::string& path);

    void accept() override;

private:
    void SelectLine(int row);
    void AddFile();
    void ChooseStyle();

    std::vector<std::string> candidates_;
    std::string chosen_;
    QListWidget* list_;
    QLineEdit* chosenText_;
};

// On OK the task's subtitle path becomes the chosen file; true then.
bool RunSubtitleDialog(QWidget* parent, ConversionTask& task);

} // namespace reelvane
