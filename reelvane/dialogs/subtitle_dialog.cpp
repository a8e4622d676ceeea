#include "reelvane/dialogs/subtitle_dialog.h"

#include "adapters/quorla/quorla.h"
#include "platform/library_loader.h"
#include "reelvane/conversion/kept_tracks.h"
#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/tasks/task_rules.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace reelvane {
namespace {

constexpr char kSection[] = "SUBTITLE_DLG";

bool Readable(const std::string& path)
{
    // A folder opens for reading on this platform, yet is no subtitle file.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

QPushButton* Button(QDialogButtonBox* box, const char* key, const char* text, const char* tipKey, const char* tip,
                    QDialogButtonBox::ButtonRole role)
{
    QPushButton* button = box->addButton(Text(kSection, key, text), role);
    button->setToolTip(Text(kSection, tipKey, tip));
    return button;
}

} // namespace

SubtitleDialog::SubtitleDialog(const ConversionTask& task, QWidget* parent)
    : QDialog(parent), candidates_(task.subtitleCandidates), chosen_(task.subtitlePath),
      trackStreams_(TextSubtitleStreams(task.probed)), taskTracks_(task.subtitleTracks)
{
    setWindowTitle(Text(kSection, "strTitleInfo", "Subtitle"));
    list_ = new QListWidget;
    list_->setObjectName("candidates");
    for (const std::string& candidate : candidates_) {
        auto* line = new QListWidgetItem(QString::fromStdString(FileNamePart(candidate)));
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        line->setCheckState(candidate == chosen_ ? Qt::Checked : Qt::Unchecked);
        line->setToolTip(QString::fromStdString(candidate));
        list_->addItem(line);
    }
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { SelectLine(list_->row(item)); });
    // A selection, not the current row: the list makes its first line current when it gets the
    // focus, which is no choice of the user's.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!list_->selectedItems().isEmpty())
            SelectLine(list_->row(list_->selectedItems().first()));
    });
    chosenText_ = new QLineEdit(QString::fromStdString(chosen_));
    chosenText_->setObjectName("chosenPath");
    chosenText_->setReadOnly(true);

    auto* tools = new QDialogButtonBox(Qt::Horizontal);
    QPushButton* add = Button(tools, "btnAddSubtitleInfo", "Add", "btnAddSubtitleTooltip", "Add subtitle file",
                              QDialogButtonBox::ActionRole);
    add->setObjectName("add");
    QPushButton* style = Button(tools, "btnSubtitleStyleInfo", "Subtitle style", "btnSubtitleStyleTooltip",
                                "Subtitle style settings", QDialogButtonBox::ActionRole);
    style->setObjectName("style");
    connect(add, &QPushButton::clicked, this, [this] { AddFile(); });
    connect(style, &QPushButton::clicked, this, [this] { ChooseStyle(); });

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = Button(buttons, "btnOKInfo", "OK", "btnOKTooltip", "OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    Button(buttons, "btnCancelInfo", "Cancel", "btnCancelTooltip", "Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SubtitleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(chosenText_);
    if (!trackStreams_.empty())
        layout->addWidget(TrackPart(task));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(tools);
    bottom->addStretch();
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    resize(520, 300);
}

// One line per text track, numbered as the command line counts subtitle tracks; offered only
// where the output type holds such tracks.
QWidget* SubtitleDialog::TrackPart(const ConversionTask& task)
{
    auto* part = new QWidget;
    auto* layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    const bool carried = CarriesSubtitleTracks(task.settings);
    auto* label = new QLabel(carried ? Text(kSection, "strKeepTracksInfo", "Keep these subtitle tracks in the output:")
                                     : Text(kSection, "strNoTracksInfo", "The output type %s holds no subtitle tracks.")
                                           .replace("%s", QString::fromUtf8(task.settings.TargetType)));
    label->setObjectName("tracksLabel");
    label->setWordWrap(true);
    tracks_ = new QListWidget;
    tracks_->setObjectName("tracks");
    tracks_->setEnabled(carried);
    const std::vector<int> all = SubtitleStreams(task.probed);
    for (int stream : trackStreams_) {
        const StreamFacts& f = task.probed.facts[static_cast<std::size_t>(stream)];
        const auto number = std::find(all.begin(), all.end(), stream) - all.begin() + 1;
        QString text = QString("%1: %2").arg(number).arg(QString::fromUtf8(f.language[0] ? f.language : "-"));
        if (f.title[0])
            text += "  " + QString::fromUtf8(f.title);
        auto* line = new QListWidgetItem(text + QString(" (%1)").arg(QString::fromUtf8(f.codec)));
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        const bool kept = std::find(taskTracks_.begin(), taskTracks_.end(), stream) != taskTracks_.end();
        line->setCheckState(kept ? Qt::Checked : Qt::Unchecked);
        tracks_->addItem(line);
    }
    tracks_->setMaximumHeight(tracks_->sizeHintForRow(0) * std::min<int>(tracks_->count(), 4) + 4);
    layout->addWidget(label);
    layout->addWidget(tracks_);
    return part;
}

std::vector<int> SubtitleDialog::keptTracks() const
{
    if (!tracks_)
        return taskTracks_;
    std::vector<int> kept;
    for (int i = 0; i < tracks_->count(); ++i)
        if (tracks_->item(i)->checkState() == Qt::Checked)
            kept.push_back(trackStreams_[static_cast<std::size_t>(i)]);
    return kept;
}

void SubtitleDialog::SelectLine(int row)
{
    if (row < 0 || row >= static_cast<int>(candidates_.size()))
        return;
    for (int i = 0; i < list_->count(); ++i)
        list_->item(i)->setCheckState(i == row ? Qt::Checked : Qt::Unchecked);
    Choose(candidates_[row]);
}

void SubtitleDialog::Choose(const std::string& path)
{
    chosen_ = path;
    chosenText_->setText(QString::fromStdString(path));
}

void SubtitleDialog::AddFile()
{
    QFileDialog chooser(this);
    chooser.setObjectName("addSubtitle");
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({"Support files(.srt .sub .ssa .ass .smi .psb .txt .idx .usf .xss) "
                            "(*.srt *.sub *.ssa *.ass *smi *.psb *.txt *.idx *.usf *.xss)",
                            "All  files(*.*) (*)"});
    if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
        Choose(chooser.selectedFiles().first().toStdString());
}

void SubtitleDialog::ChooseStyle()
{
    // Loaded for this one use; a library that is missing or incomplete does nothing.
    platform::LibraryLoader quorla;
    if (!quorla.Load("quorla", {"ST_Init", "ST_Exit", "ST_GetSubtitleStyleDialog", "ST_SetIniSubtitleStyle"}))
        return;
    QuorlaStyle style{};
    quorla.Call<int32_t>(0, -1, int32_t(0));
    if (quorla.Call<int32_t>(2, -1, int32_t(0), &style, static_cast<void*>(this)) == 0 &&
        quorla.Call<int32_t>(3, -1, static_cast<const QuorlaStyle*>(&style)) != 0)
        QMessageBox::warning(this, windowTitle(),
                             Text(kSection, "strStyleSaveFailInfo", "The subtitle style could not be saved."));
    quorla.Call<int32_t>(1, -1);
}

void SubtitleDialog::accept()
{
    // With no file to burn in, OK stands for a changed choice of tracks alone.
    if (chosen_.empty()) {
        if (keptTracks() != taskTracks_)
            QDialog::accept();
        return;
    }
    if (!Readable(chosen_)) {
        QMessageBox::warning(this, windowTitle(), Text(kSection, "strCannotOpenInfo", "Cannot open subtitle file"));
        return;
    }
    QDialog::accept();
}

bool RunSubtitleDialog(QWidget* parent, ConversionTask& task)
{
    SubtitleDialog dialog(task, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    task.subtitlePath = dialog.chosenPath();
    task.subtitleTracks = dialog.keptTracks();
    return true;
}

} // namespace reelvane
