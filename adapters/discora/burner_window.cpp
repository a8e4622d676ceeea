#include "adapters/discora/burner_window.h"

#include "adapters/discora/burn_pick.h"
#include "reelvane/frame/language_table.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <cstdio>

namespace discora {
namespace {

QString Text(const char* key, const char* builtin)
{
    return QString::fromStdString(reelvane::LookupText("DISCORA_DLG", key, builtin));
}

} // namespace

// The burn thread's side: steps are queued to the window, the save question waits for it.
class BurnerWindow::WindowUi : public BurnUi {
public:
    explicit WindowUi(BurnerWindow* window) : window_(window) {}
    void Report(const std::string& line) override
    {
        QLabel* message = window_->message_;
        const QString text = QString::fromStdString(line);
        QMetaObject::invokeMethod(
            message, [message, text] { message->setText(text); }, Qt::QueuedConnection);
    }
    std::optional<std::string> WhereToSave(const std::string& suggestion) override
    {
        std::optional<std::string> target;
        QMetaObject::invokeMethod(
            window_, [&] { target = window_->AskWhereToSave(suggestion); }, Qt::BlockingQueuedConnection);
        return target;
    }

private:
    BurnerWindow* window_;
};

BurnerWindow::BurnerWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName("BurnerWindow");
    setWindowTitle("Discora");
    picked_ = new QListWidget(this);
    picked_->setObjectName("picked");
    picked_->setMinimumSize(460, 140);
    imageButton_ = new QPushButton(Text("btnPickImageInfo", "&Image..."), this);
    filesButton_ = new QPushButton(Text("btnPickFilesInfo", "&Files..."), this);
    folderButton_ = new QPushButton(Text("btnPickFolderInfo", "F&older..."), this);
    burnType_ = new QComboBox(this);
    burnType_->setObjectName("burnType");
    for (const BurnTypeChoice& type : kBurnTypes)
        burnType_->addItem(Text(type.key, type.text), QString(type.id));
    auto* typeLabel = new QLabel(Text("strBurnTypeInfo", "Burn &type:"), this);
    typeLabel->setBuddy(burnType_);
    auto* pickedLabel = new QLabel(Text("strPickedInfo", "Image or files to burn:"), this);
    picked_->setAccessibleName(pickedLabel->text());
    message_ = new QLabel(Text("strPickFirstInfo", "Pick an image, files or a folder to burn."), this);
    message_->setObjectName("message");
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saveButton_ = new QPushButton(Text("btnSaveImageInfo", "&Save the image..."), this);
    burnButton_ = new QPushButton(Text("btnBurnInfo", "&Burn"), this);
    burnButton_->setObjectName("burnButton");
    burnButton_->setDefault(true);
    closeButton_ = new QPushButton(Text("btnCloseInfo", "&Close"), this);

    auto* picks = new QHBoxLayout;
    picks->addWidget(imageButton_);
    picks->addWidget(filesButton_);
    picks->addWidget(folderButton_);
    picks->addStretch(1);
    picks->addWidget(typeLabel);
    picks->addWidget(burnType_);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(saveButton_);
    actions->addWidget(burnButton_);
    actions->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pickedLabel);
    layout->addWidget(picked_, 1);
    layout->addLayout(picks);
    layout->addWidget(message_);
    layout->addLayout(actions);

    connect(imageButton_, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QString(imageButton_->text()).remove('&'), QString(),
                                                          Text("strImageFilterInfo", "Disc images") + " (*.iso *.img)");
        if (!path.isEmpty())
            PickImage(path);
    });
    connect(filesButton_, &QPushButton::clicked, this, [this] {
        const QStringList paths = QFileDialog::getOpenFileNames(this, QString(filesButton_->text()).remove('&'));
        if (!paths.isEmpty())
            PickFiles(paths);
    });
    connect(folderButton_, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(folderButton_->text()).remove('&'));
        if (!folder.isEmpty())
            PickFolder(folder);
    });
    connect(burnButton_, &QPushButton::clicked, this, &BurnerWindow::Burn);
    connect(saveButton_, &QPushButton::clicked, this, [this] {
        if (files_.empty())
            return ShowError(
                Text("strNothingPickedInfo", "Nothing is picked: pick an image, files or a folder first."));
        const QString path = QFileDialog::getSaveFileName(this, QString(saveButton_->text()).remove('&'), QString(),
                                                          Text("strImageFilterInfo", "Disc images") + " (*.iso)",
                                                          nullptr, QFileDialog::DontConfirmOverwrite);
        if (!path.isEmpty())
            SaveImage(path);
    });
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    UpdateControls();
}

BurnerWindow::~BurnerWindow()
{
    if (thread_)
        thread_->wait();
    delete thread_;
}

void BurnerWindow::PickImage(const QString& path)
{
    PickFiles({path});
}

void BurnerWindow::PickFiles(const QStringList& paths)
{
    files_.clear();
    picked_->clear();
    for (const QString& path : paths) {
        files_.push_back(path.toStdString());
        picked_->addItem(path);
    }
    image_ = BurnsAsImage(files_);
    ShowMessage({});
    UpdateControls();
}

void BurnerWindow::PickFolder(const QString& folder)
{
    QStringList paths;
    for (const std::string& file : FolderFiles(folder.toStdString()))
        paths << QString::fromStdString(file);
    if (paths.isEmpty())
        return ShowError(Text("strEmptyFolderInfo", "The folder %s holds no files.").replace("%s", folder));
    PickFiles(paths);
}

void BurnerWindow::Burn()
{
    Start({});
}

void BurnerWindow::SaveImage(const QString& path)
{
    Start(path.toStdString());
}

QString BurnerWindow::message() const
{
    return message_->text();
}

void BurnerWindow::Start(const std::string& imagePath)
{
    if (busy())
        return;
    if (files_.empty())
        return ShowError(Text("strNothingPickedInfo", "Nothing is picked: pick an image, files or a folder first."));
    Options options;
    options.files = files_;
    options.burnType = burnType_->currentData().toString().toStdString();
    options.imagePath = imagePath;
    ShowMessage(Text("strWorkingInfo", "Working..."));
    thread_ = QThread::create([this, options] {
        WindowUi ui(this);
        const BurnOutcome outcome = RunBurn(options, ui);
        QMetaObject::invokeMethod(
            this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
    });
    UpdateControls();
    thread_->start();
}

void BurnerWindow::Finish(const BurnOutcome& outcome)
{
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    UpdateControls();
    if (!outcome.error.empty())
        ShowError(QString::fromStdString(outcome.error));
    else if (outcome.status != 0)
        ShowMessage(Text("strNotBurnedInfo", "Nothing was burned."));
    else if (!outcome.saved.empty())
        ShowMessage(
            Text("strImageSavedInfo", "The image is saved as %s").replace("%s", QString::fromStdString(outcome.saved)));
    else
        ShowMessage(Text("strBurnedInfo", "The disc is burned."));
    emit burnEnded(outcome.status);
}

void BurnerWindow::ShowMessage(const QString& text)
{
    message_->setPalette(palette());
    message_->setText(text);
}

void BurnerWindow::ShowError(const QString& text)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(160, 0, 0));
    message_->setPalette(colours);
    message_->setText(text);
    std::fprintf(stderr, "discora: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void BurnerWindow::UpdateControls()
{
    for (QWidget* widget : std::initializer_list<QWidget*>{imageButton_, filesButton_, folderButton_, saveButton_,
                                                           burnButton_, closeButton_})
        widget->setEnabled(!busy());
    burnType_->setEnabled(!busy() && !image_);
}

std::optional<std::string> BurnerWindow::AskWhereToSave(const std::string& suggestion)
{
    if (QMessageBox::question(this, windowTitle(),
                              Text("strSaveInsteadInfo", "No writable optical drive was found.\n"
                                                         "Save the disc image instead?")) != QMessageBox::Yes)
        return std::nullopt;
    const QString path =
        QFileDialog::getSaveFileName(this, QString(saveButton_->text()).remove('&'), QString::fromStdString(suggestion),
                                     Text("strImageFilterInfo", "Disc images") + " (*.iso)", nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

void BurnerWindow::closeEvent(QCloseEvent* event)
{
    // A burn cannot be stopped half way; the window stays until it ends.
    if (busy())
        event->ignore();
    else
        event->accept();
}

} // namespace discora
