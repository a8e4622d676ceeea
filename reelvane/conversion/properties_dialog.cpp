#include "reelvane/conversion/properties_dialog.h"

#include "adapters/skivo/skivo.h"
#include "reelvane/conversion/stream_copy_rules.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_rules.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace reelvane {
namespace {

QString Text(const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText("FILEINFO_DLG", key, builtin));
}

QPlainTextEdit* ReadOnlyText(const QString& text, const QString& name, QWidget* parent)
{
    auto* edit = new QPlainTextEdit(text, parent);
    edit->setReadOnly(true);
    edit->setAccessibleName(name);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 4 + 12);
    return edit;
}

} // namespace

QString PropertiesDialog::LengthText(float seconds)
{
    const auto whole = static_cast<int>(seconds);
    return QString::asprintf("%02d:%02d:%02d", whole / 3600, whole / 60 % 60, whole % 60);
}

QString PropertiesDialog::AudioText(const ConversionTask& task)
{
    QString text;
    for (const AudioTrackEntry& track : task.probed.audioTracks)
        text += QString::asprintf("%d: ", track.position) + QString::fromUtf8(track.description) + "\n";
    return text;
}

QString PropertiesDialog::StreamPlanText(const ConversionTask& task, bool copyFitting)
{
    const PerFileTask input{task.settings,  task.probed,    task.sourcePath, task.destinationPath, task.subtitlePath,
                            task.fromStart, task.trimStart, task.toEnd,      task.trimEnd,         copyFitting};
    QString text;
    for (const StreamDecision& stream : PlanStreams(input, copyFitting).streams) {
        const QString kind =
            stream.kind == VEXEN_KIND_VIDEO ? Text("strPlanVideoInfo", "Video") : Text("strPlanAudioInfo", "Audio");
        const QString action =
            stream.action == StreamAction::Copy ? Text("strPlanCopyInfo", "copy") : Text("strPlanEncodeInfo", "encode");
        text +=
            QString("%1 %2: %3 (%4)\n").arg(kind).arg(stream.index).arg(action, QString::fromStdString(stream.reason));
    }
    return text;
}

PropertiesDialog::PropertiesDialog(const ConversionTask& task, QWidget* parent, bool copyFitting) : QDialog(parent)
{
    setWindowTitle(Text("strTitleInfo", "Properties"));
    setObjectName("PropertiesDialog");
    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

    auto* name = new QLineEdit(QString::fromStdString(FileNamePart(task.sourcePath)), this);
    name->setReadOnly(true);
    name->setObjectName("fileName");
    auto* length = new QLineEdit(LengthText(task.probed.duration), this);
    length->setReadOnly(true);
    length->setObjectName("length");
    auto* video = ReadOnlyText(QString::fromStdString(task.probed.videoText).trimmed(),
                               Text("strVideoInfo", "Video Infomation:"), this);
    video->setObjectName("video");
    auto* audio = ReadOnlyText(AudioText(task).trimmed(), Text("strAudioInfo", "Audio Infomation:"), this);
    audio->setObjectName("audio");
    auto* plan = ReadOnlyText(StreamPlanText(task, copyFitting).trimmed(), Text("strPlanInfo", "Conversion:"), this);
    plan->setObjectName("streamPlan");

    form->addRow(Text("strFileNameInfo", "File Name:"), name);
    form->addRow(Text("strLengthInfo", "Media Length:"), length);
    form->addRow(Text("strVideoInfo", "Video Infomation:"), video);
    form->addRow(Text("strAudioInfo", "Audio Infomation:"), audio);
    form->addRow(Text("strPlanInfo", "Conversion:"), plan);
    for (QWidget* field : {static_cast<QWidget*>(name), static_cast<QWidget*>(length)})
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(field)))
            field->setAccessibleName(label->text());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(Text("btnOkInfo", "OK"));
    ok->setToolTip(Text("btnOkTooltip", "OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    form->addRow(buttons);
    resize(480, sizeHint().height());
    QLM_AddFilterHook(this);
}

} // namespace reelvane
