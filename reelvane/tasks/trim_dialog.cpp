#include "reelvane/tasks/trim_dialog.h"

#include "adapters/skivo/skivo.h"
#include "reelvane/conversion/checked_format.h"
#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"
#include "reelvane/ui/pictures.h"
#include "reelvane/ui/source_frame.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace reelvane {
namespace {

constexpr QSize kPreviewSize{384, 216};

QString Trim(const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText("TRIM_DLG", key, builtin));
}

QString Message(const char* key, const char* builtin, const std::vector<std::string>& values)
{
    return QString::fromStdString(FillText(LookupText("TRIM_DLG", key, builtin), values));
}

QString TimeText(int64_t microseconds)
{
    return QString::fromStdString(FormatTrimTime(microseconds));
}

} // namespace

TrimDialog::TrimDialog(const ConversionTask& task, QWidget* parent)
    : QDialog(parent), task_(task), range_(TaskTrim(task))
{
    setObjectName("TrimDialog");
    setWindowTitle(Trim("strTitleInfo", "Trim") + " - " + QString::fromStdString(FileNamePart(task.sourcePath)));
    preview_ = new QLabel(this);
    preview_->setObjectName("trimPreview");
    preview_->setFixedSize(kPreviewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setStyleSheet("background: black;");
    const int length = static_cast<int>(SourceLength(task) / 1000);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("trimSlider");
    slider_->setRange(0, std::max(0, length));
    slider_->setEnabled(length > 0);
    time_ = new QLabel(this);
    time_->setAlignment(Qt::AlignCenter);
    auto* startLabel = new QLabel(Trim("strStartInfo", "Start"), this);
    auto* endLabel = new QLabel(Trim("strEndInfo", "End"), this);
    startField_ = new QLineEdit(TimeText(range_.start), this);
    endField_ = new QLineEdit(TimeText(range_.end), this);
    startField_->setObjectName("trimStart");
    endField_->setObjectName("trimEnd");
    startLabel->setBuddy(startField_);
    endLabel->setBuddy(endField_);
    startField_->setAccessibleName(startLabel->text());
    endField_->setAccessibleName(endLabel->text());
    setStart_ = new QPushButton(Trim("btnSetStartInfo", "Set start"), this);
    setEnd_ = new QPushButton(Trim("btnSetEndInfo", "Set end"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* fields = new QGridLayout;
    fields->addWidget(startLabel, 0, 0);
    fields->addWidget(startField_, 0, 1);
    fields->addWidget(setStart_, 0, 2);
    fields->addWidget(endLabel, 1, 0);
    fields->addWidget(endField_, 1, 1);
    fields->addWidget(setEnd_, 1, 2);
    fields->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);
    layout->addWidget(slider_);
    layout->addWidget(time_);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    // The preview opens at the start of the range.
    slider_->setValue(static_cast<int>(range_.start / 1000));
    connect(slider_, &QSlider::valueChanged, this, &TrimDialog::Want);
    connect(setStart_, &QPushButton::clicked, this,
            [this] { startField_->setText(TimeText(int64_t{slider_->value()} * 1000)); });
    connect(setEnd_, &QPushButton::clicked, this,
            [this] { endField_->setText(TimeText(int64_t{slider_->value()} * 1000)); });
    // A typed time moves the slider there, so that its frame can be seen.
    for (QLineEdit* field : {startField_, endField_})
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (auto time = ParseTrimTime(field->text().trimmed().toStdString()))
                slider_->setValue(static_cast<int>(std::min<int64_t>(*time / 1000, slider_->maximum())));
        });
    connect(buttons, &QDialogButtonBox::accepted, this, &TrimDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TrimDialog::reject);
    Want(slider_->value());
    QLM_AddFilterHook(this);
}

TrimDialog::~TrimDialog()
{
    // A frame being made posts to this dialog: it must end first.
    pool_.waitForDone();
}

void TrimDialog::Want(int milliseconds)
{
    time_->setText(TimeText(int64_t{milliseconds} * 1000) + " / " + TimeText(SourceLength(task_)));
    wanted_ = milliseconds;
    if (!grabbing_)
        StartGrab();
}

void TrimDialog::StartGrab()
{
    grabbing_ = true;
    const int milliseconds = std::exchange(wanted_, -1);
    const std::string path = task_.sourcePath;
    pool_.start([this, path, milliseconds] {
        const SourceFrame frame = GrabSourceFrame(path, milliseconds / 1000.0, kPreviewSize);
        QMetaObject::invokeMethod(
            this, [this, milliseconds, frame] { Arrive(milliseconds, frame.image, frame.noPicture); },
            Qt::QueuedConnection);
    });
}

void TrimDialog::Arrive(int milliseconds, const QImage& frame, bool sound)
{
    shown_ = frame;
    shownAt_ = milliseconds;
    if (sound)
        preview_->setPixmap(AudioPicture().pixmap(kPreviewSize.height() / 2));
    else
        preview_->setPixmap(QPixmap::fromImage(frame));
    grabbing_ = false;
    if (wanted_ >= 0)
        StartGrab();
}

void TrimDialog::accept()
{
    TrimRange typed;
    for (auto [field, time] : {std::pair{startField_, &typed.start}, std::pair{endField_, &typed.end}}) {
        auto parsed = ParseTrimTime(field->text().trimmed().toStdString());
        if (!parsed) {
            RefuseField(field, Message("strBadTimeInfo", "%s: type a time as hh:mm:ss.mmm, such as 00:01:30.500.",
                                       {field->accessibleName().toStdString()}));
            return;
        }
        *time = *parsed;
    }
    const std::string end = endField_->accessibleName().toStdString();
    if (auto fault = CheckTrim(task_, typed)) {
        if (*fault == TrimFault::EndNotAfterStart)
            RefuseField(endField_, Message("strEndBeforeStartInfo", "%s: the end must come after the start.", {end}));
        else
            RefuseField(endField_, Message("strEndBeyondInfo", "%s: the source is only %s long.",
                                           {end, FormatTrimTime(SourceLength(task_))}));
        return;
    }
    range_ = typed;
    QDialog::accept();
}

void RunTrimDialog(QWidget* parent, ConversionTask& task)
{
    TrimDialog dialog(task, parent);
    if (dialog.exec() == QDialog::Accepted)
        ApplyTrim(task, dialog.range());
}

} // namespace reelvane
