#pragma once
// The option sheet's preview: one frame of the task's output as the sheet's current values make
// it, with a slider for the frame's time. The engine makes it off the window's thread; a picture
// is asked for shortly after the last change, and a late older one never replaces a newer one.

#include "reelvane/conversion/output_preview.h"

#include <QImage>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QSlider;

namespace reelvane {

class PictureView;

class OutputPreviewPane : public QWidget {
    Q_OBJECT

public:
    // `settings` answers the sheet's current values whenever a picture is made.
    OutputPreviewPane(const ConversionTask& task, std::function<ProfileSettings()> settings, QWidget* parent = nullptr);
    // Stops a picture in the making and waits for its engine call to end.
    ~OutputPreviewPane() override;

    // Asks for a new picture after a short pause.
    void Refresh();
    // The frame as the engine made it; null when none is shown.
    const QImage& picture() const { return picture_; }

signals:
    // A new picture (or none, with its reason) is shown.
    void pictureShown();

private:
    void Render();
    void Show(int serial, const PreviewPicture& made);

    std::shared_ptr<const ConversionTask> task_;
    std::function<ProfileSettings()> settings_;
    PictureView* view_;
    QSlider* time_;
    QLabel* timeText_;
    QTimer pause_;
    QThreadPool engine_;
    std::atomic<int> latest_{0};
    std::atomic<bool> closing_{false};
    QImage picture_;
};

} // namespace reelvane
