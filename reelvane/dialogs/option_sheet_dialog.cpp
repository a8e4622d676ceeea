#include "reelvane/dialogs/option_sheet_dialog.h"

#include "reelvane/dialogs/audio_options_page.h"
#include "reelvane/dialogs/crop_pad_options_page.h"
#include "reelvane/dialogs/dialog_parts.h"
#include "reelvane/dialogs/new_profile_dialog.h"
#include "reelvane/dialogs/output_preview_pane.h"
#include "reelvane/dialogs/resize_options_page.h"
#include "reelvane/dialogs/video_options_page.h"
#include "reelvane/conversion/output_frame_check.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace reelvane {
namespace {

constexpr char kSection[] = "OPTION_DLG";

class SheetSaveUi : public OptionSaveUi {
public:
    explicit SheetSaveUi(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> AskProfileName(const std::string& initialName) override
    {
        return reelvane::AskProfileName(parent_, initialName);
    }
    void ShowMessage(const std::string& text) override
    {
        QMessageBox::warning(parent_, QString(), QString::fromStdString(text));
    }

private:
    QWidget* parent_;
};

} // namespace

OptionSheetDialog::OptionSheetDialog(const ProfileSettings& settings, QWidget* parent, const ConversionTask* task)
    : QDialog(parent), loaded_(settings)
{
    setWindowTitle(QString::fromUtf8(settings.profileName) + " - Options");
    QFont sheetFont = font();
    sheetFont.setPixelSize(13);
    setFont(sheetFont);

    // The Resize page first: the Video page's default bit rate reads its frame.
    resize_ = new ResizeOptionsPage;
    audio_ = new AudioOptionsPage;
    video_ = new VideoOptionsPage([this] { return resize_->ChosenFrame(); });
    cropPad_ = new CropPadOptionsPage;
    tabs_ = new QTabWidget;
    // Tab titles carry no mnemonics: an "&" in them is shown as it is.
    auto tabTitle = [](const char* key, const char* builtin) {
        return Text(kSection, key, builtin).replace("&", "&&");
    };
    tabs_->addTab(audio_, tabTitle("tabAudioPageInfo", "Audio"));
    tabs_->addTab(video_, tabTitle("tabVideoPageInfo", "Video"));
    tabs_->addTab(resize_, tabTitle("tabResizePageInfo", "Resize"));
    tabs_->addTab(cropPad_, tabTitle("tabCropPadPageInfo", "Crop & Pad"));

    // OK, Cancel, then Save&Apply where Apply would be and Default where Help would be.
    auto* ok = new QPushButton(Text(kSection, "btnOKInfo", "OK"));
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* cancel = new QPushButton(Text(kSection, "btnCancelInfo", "Cancel"));
    auto* saveApply = new QPushButton(Text(kSection, "btnSaveApplyInfo", "Save&&Apply"));
    saveApply->setObjectName("saveApply");
    auto* menu = new QMenu(saveApply);
    QAction* save = menu->addAction(Text(kSection, "strSaveInfo", "Save and Apply"));
    save->setObjectName("save");
    QAction* saveAs = menu->addAction(Text(kSection, "strSaveAsInfo", "Save as and Apply"));
    saveAs->setObjectName("saveAs");
    saveApply->setMenu(menu);
    auto* defaults = new QPushButton(Text(kSection, "btnDefaultInfo", "Default"));
    defaults->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {ok, cancel, saveApply, defaults})
        buttons->addWidget(button);
    connect(ok, &QPushButton::clicked, this, &OptionSheetDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QAction::triggered, this, [this] { Confirm(SaveChoice::Save); });
    connect(saveAs, &QAction::triggered, this, [this] { Confirm(SaveChoice::SaveAsNew); });

    auto* pages = new QHBoxLayout;
    pages->addWidget(tabs_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pages);
    layout->addLayout(buttons);

    resize_->Load(settings);
    audio_->Load(settings);
    video_->Load(settings);
    cropPad_->Load(settings);

    if (!task || task->probed.mediaInfo.videoIndex < 0)
        return;
    preview_ = new OutputPreviewPane(*task, [this] { return Edited(); });
    pages->addWidget(preview_, 1);
    // Any change of a field that shapes the picture makes a new one.
    for (QWidget* page : std::initializer_list<QWidget*>{video_, resize_, cropPad_}) {
        for (QLineEdit* field : page->findChildren<QLineEdit*>())
            connect(field, &QLineEdit::textChanged, preview_, &OutputPreviewPane::Refresh);
        for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
            connect(button, &QAbstractButton::toggled, preview_, &OutputPreviewPane::Refresh);
        for (QComboBox* choice : page->findChildren<QComboBox*>())
            connect(choice, &QComboBox::currentIndexChanged, preview_, &OutputPreviewPane::Refresh);
    }
}

ProfileSettings OptionSheetDialog::Edited() const
{
    ProfileSettings edited = loaded_;
    Store(edited);
    return edited;
}

void OptionSheetDialog::Store(ProfileSettings& settings) const
{
    audio_->Store(settings);
    video_->Store(settings);
    resize_->Store(settings);
    cropPad_->Store(settings);
}

void OptionSheetDialog::accept()
{
    Confirm(SaveChoice::None);
}

void OptionSheetDialog::Confirm(SaveChoice choice)
{
    // A refused field keeps the sheet open.
    if (!audio_->Validate() || !video_->Validate() || !ValidateFrame())
        return;
    saveChoice_ = choice;
    QDialog::accept();
}

bool OptionSheetDialog::ValidateFrame()
{
    std::optional<FrameRefusal> refusal = RefuseOutputFrame(Edited());
    if (!refusal)
        return true;
    QWidget* field = refusal->field == FrameField::Size
                         ? resize_->SizeField()
                         : cropPad_->SideField(refusal->field == FrameField::Crop, refusal->side);
    RefuseField(field, QString::fromStdString(refusal->message));
    return false;
}

bool RunOptionSheet(QWidget* parent, ConversionTask* task, ProfileSettings& current)
{
    if (!task) {
        QMessageBox::information(parent, QString(),
                                 Text("MAIN_DLG", "strNoItemSelectedInfo", "No items were selected!"));
        return false;
    }
    current.nSourceWidth = task->settings.nSourceWidth;
    current.nSourceHeight = task->settings.nSourceHeight;
    OptionSheetDialog sheet(current, parent, task);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    sheet.Store(current);
    SheetSaveUi ui(parent);
    ConfirmOptions(*task, current, sheet.saveChoice(), UserProfileFolders(), ui);
    return true;
}

} // namespace reelvane
