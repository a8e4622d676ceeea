#pragma once
// The extraction of a new task's subtitle tracks as the window shows it: the question, a
// modeless progress dialog over the disabled window, and the failure message.

#include "reelvane/conversion/subtitle_extraction.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;

namespace reelvane {

class ExtractProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit ExtractProgressDialog(QWidget* owner);
    void ShowProgress(int percent, const QString& text);

private:
    QLabel* line_;
    QLabel* percentText_;
    QProgressBar* bar_;
    int percent_ = -1;
};

class WindowExtractionUi : public ExtractionUi {
public:
    explicit WindowExtractionUi(QWidget* window) : window_(window) {}
    ~WindowExtractionUi() override;
    bool AskExtract(const std::string& question) override;
    void BeginProgress() override;
    void ShowProgress(int percent, const std::string& text) override;
    void EndProgress() override;
    void ShowFailure(const std::string& message) override;

private:
    QWidget* window_;
    std::unique_ptr<ExtractProgressDialog> progress_;
};

// The track preparation of a task just made by CreateTask: offers its subtitle tracks, extracts
// them into `outputFolder` (ending with "/") and attaches what was written. Returns the number of
// subtitle files attached.
int PrepareAddedTask(QWidget* window, ConversionTask& task, const TrakkelBinding& trakkel,
                     const std::string& outputFolder);

} // namespace reelvane
