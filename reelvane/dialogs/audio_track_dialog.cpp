#include "reelvane/dialogs/audio_track_dialog.h"

#include "reelvane/dialogs/dialog_parts.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "AUDIO_DLG";

} // namespace

AudioTrackDialog::AudioTrackDialog(const ConversionTask& task, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(kSection, "strTitleInfo", "Audio track"));
    tracks_ = new QListWidget;
    tracks_->setObjectName("tracks");
    for (const AudioTrackEntry& entry : task.probed.audioTracks) {
        auto* line = new QListWidgetItem(
            QString::fromUtf8(entry.description, strnlen(entry.description, sizeof entry.description)));
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        line->setCheckState(entry.selected ? Qt::Checked : Qt::Unchecked);
        tracks_->addItem(line);
    }
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(Text(kSection, "btnOKInfo", "OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(kSection, "btnCancelInfo", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tracks_);
    layout->addWidget(buttons);
    resize(420, 240);
}

std::vector<bool> AudioTrackDialog::checked() const
{
    std::vector<bool> states;
    for (int i = 0; i < tracks_->count(); ++i)
        states.push_back(tracks_->item(i)->checkState() == Qt::Checked);
    return states;
}

void RunAudioTrackDialog(QWidget* parent, ConversionTask& task)
{
    AudioTrackDialog dialog(task, parent);
    dialog.exec();
    const std::vector<bool> states = dialog.checked();
    for (std::size_t i = 0; i < states.size() && i < task.probed.audioTracks.size(); ++i)
        task.probed.audioTracks[i].selected = states[i];
}

} // namespace reelvane
