#pragma once
// The subtitle dialog: the task's candidate subtitle files to burn in, Add, the subtitle style,
// the source's text subtitle tracks to keep as tracks, and OK, which refuses a file that cannot
// be read.

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
    // The ticked text subtitle tracks, stream numbers in file order.
    std::vector<int> keptTracks() const;
    void Choose(const std::string& path);

    void accept() override;

private:
    void SelectLine(int row);
    void AddFile();
    void ChooseStyle();
    QWidget* TrackPart(const ConversionTask& task);

    std::vector<std::string> candidates_;
    std::string chosen_;
    std::vector<int> trackStreams_; // the source's text tracks, one line each
    std::vector<int> taskTracks_;   // the task's kept tracks when the dialog opened
    QListWidget* list_;
    QListWidget* tracks_ = nullptr;
    QLineEdit* chosenText_;
};

// On OK the task's subtitle path becomes the chosen file and its kept tracks the ticked ones;
// true then.
bool RunSubtitleDialog(QWidget* parent, ConversionTask& task);

} // namespace reelvane
