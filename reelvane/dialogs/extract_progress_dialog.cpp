#include "reelvane/dialogs/extract_progress_dialog.h"

#include "reelvane/dialogs/dialog_parts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>

namespace reelvane {

ExtractProgressDialog::ExtractProgressDialog(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(Text("EXTRACT_DLG", "strTitleInfo", "Extracting subtitle tracks"));
    setModal(false);
    line_ = new QLabel;
    line_->setObjectName("line");
    percentText_ = new QLabel;
    percentText_->setObjectName("percent");
    bar_ = new QProgressBar;
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line_);
    layout->addWidget(percentText_);
    layout->addWidget(bar_);
    setMinimumWidth(360);
    ShowProgress(0, QString());
}

void ExtractProgressDialog::ShowProgress(int percent, const QString& text)
{
    if (percent != percent_) {
        percent_ = percent;
        bar_->setValue(percent);
        percentText_->setText(QString("%1 %").arg(percent));
    }
    line_->setText(text);
}

WindowExtractionUi::~WindowExtractionUi()
{
    EndProgress();
}

bool WindowExtractionUi::AskExtract(const std::string& question)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No, window_);
    return box.exec() == QMessageBox::Yes;
}

void WindowExtractionUi::BeginProgress()
{
    if (progress_)
        return;
    progress_ = std::make_unique<ExtractProgressDialog>(window_);
    if (window_) {
        window_->setEnabled(false);
        progress_->setEnabled(true);
        progress_->adjustSize();
        progress_->move(window_->geometry().center() - progress_->rect().center());
    }
    progress_->show();
    QApplication::processEvents();
}

void WindowExtractionUi::ShowProgress(int percent, const std::string& text)
{
    if (progress_)
        progress_->ShowProgress(percent, QString::fromStdString(text));
    QApplication::processEvents();
}

void WindowExtractionUi::EndProgress()
{
    if (!progress_)
        return;
    progress_->close();
    progress_.reset();
    if (window_)
        window_->setEnabled(true);
}

void WindowExtractionUi::ShowFailure(const std::string& message)
{
    QMessageBox::warning(window_, QApplication::applicationName(), QString::fromStdString(message));
}

int PrepareAddedTask(QWidget* window, ConversionTask& task, const TrakkelBinding& trakkel,
                     const std::string& outputFolder)
{
    WindowExtractionUi ui(window);
    return PrepareSubtitleTracks(task, trakkel, outputFolder, ui);
}

} // namespace reelvane
