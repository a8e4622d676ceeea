#include "reelvane/dialogs/output_preview_pane.h"

#include "reelvane/conversion/engine_arguments.h"

#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace reelvane {

namespace {

constexpr int kPauseMs = 300;
constexpr int kSliderSteps = 10; // per second

} // namespace

// The picture scaled to fit, in the shape the output is shown in.
class PictureView : public QWidget {
public:
    PictureView()
    {
        setObjectName("previewPicture");
        setMinimumSize(288, 216);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void SetPicture(const QImage& image, double pixelAspect, const QString& message)
    {
        image_ = image;
        pixelAspect_ = pixelAspect;
        message_ = message;
        setToolTip(message);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (image_.isNull()) {
            // Why there is no picture, as far as it fits.
            painter.setPen(palette().color(QPalette::BrightText));
            painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, message_);
            return;
        }
        QSizeF shown(image_.width() * pixelAspect_, image_.height());
        shown.scale(size(), Qt::KeepAspectRatio);
        QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image_);
    }

private:
    QImage image_;
    double pixelAspect_ = 1.0;
    QString message_;
};

OutputPreviewPane::OutputPreviewPane(const ConversionTask& task, std::function<ProfileSettings()> settings,
                                     QWidget* parent)
    : QWidget(parent), task_(std::make_shared<const ConversionTask>(task)), settings_(std::move(settings))
{
    view_ = new PictureView;
    time_ = new QSlider(Qt::Horizontal);
    time_->setObjectName("previewTime");
    const int steps = std::max(0, static_cast<int>(std::floor(task.probed.duration * kSliderSteps)) - 1);
    time_->setRange(0, steps);
    time_->setValue(steps / 10); // a tenth into the source, where the task list takes its picture
    timeText_ = new QLabel;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addWidget(time_);
    layout->addWidget(timeText_);

    engine_.setMaxThreadCount(1);
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &OutputPreviewPane::Render);
    auto showTime = [this] {
        timeText_->setText(QString::fromStdString(FormatEngineTime(int64_t(time_->value()) * 1000000 / kSliderSteps)));
    };
    connect(time_, &QSlider::valueChanged, this, [this, showTime] {
        showTime();
        Refresh();
    });
    showTime();
    Refresh();
}

OutputPreviewPane::~OutputPreviewPane()
{
    closing_ = true;
    engine_.clear();
    engine_.waitForDone();
}

void OutputPreviewPane::Refresh()
{
    ++latest_; // a picture in the making is stopped: it is outdated
    pause_.start();
}

void OutputPreviewPane::Render()
{
    const int serial = latest_;
    const double seconds = double(time_->value()) / kSliderSteps;
    engine_.start([this, serial, seconds, task = task_, settings = settings_()] {
        if (serial != latest_ || closing_)
            return;
        PreviewPicture made =
            RenderPreview(*task, settings, seconds, [this, serial] { return serial != latest_ || closing_; });
        QMetaObject::invokeMethod(
            this, [this, serial, made = std::move(made)] { Show(serial, made); }, Qt::QueuedConnection);
    });
}

void OutputPreviewPane::Show(int serial, const PreviewPicture& made)
{
    if (serial != latest_)
        return; // a newer picture is on its way
    picture_ = QImage::fromData(made.png.data(), static_cast<int>(made.png.size()), "PNG");
    view_->SetPicture(picture_, made.pixelAspect, QString::fromStdString(made.message));
    emit pictureShown();
}

} // namespace reelvane
