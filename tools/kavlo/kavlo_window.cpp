#include "tools/kavlo/kavlo_window.h"

#include "platform/dir_listing.h"
#include "tools/kavlo/kavlo_messages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const char* const kTemplateHelp =
    "If this is no template file for your Kodak dc camera, please select a mov file that your dc shot, "
    "and click the button 'Create Template'";

} // namespace

KavloWindow::KavloWindow(MessageSink showMessage, QWidget* parent)
    : QWidget(parent), showMessage_(std::move(showMessage))
{
    setWindowTitle("kavlo");
    volumes_ = new QComboBox(this);
    volumes_->setObjectName("volumes");
    folderModel_ = new QFileSystemModel(this);
    folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_ = new QTreeView(this);
    folders_->setObjectName("folders");
    folders_->setModel(folderModel_);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folders_->hideColumn(column);
    folders_->setHeaderHidden(true);

    movFiles_ = new QListWidget(this);
    movFiles_->setObjectName("movFiles");
    templateFiles_ = new QListWidget(this);
    templateFiles_->setObjectName("templateFiles");
    movName_ = new QLineEdit(kavlo::kNoChoice, this);
    movName_->setObjectName("movName");
    movName_->setReadOnly(true);
    templateName_ = new QLineEdit(kavlo::kNoChoice, this);
    templateName_->setObjectName("templateName");
    templateName_->setReadOnly(true);
    createTemp_ = new QPushButton("Create Temp", this);
    createTemp_->setObjectName("createTemp");
    convertNow_ = new QPushButton("Convert Now", this);
    convertNow_->setObjectName("convertNow");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    auto help = new QLabel(kTemplateHelp, this);
    help->setWordWrap(true);

    auto browse = new QVBoxLayout;
    browse->addWidget(volumes_);
    browse->addWidget(folders_);
    auto lists = new QGridLayout;
    lists->addWidget(new QLabel("Please select", this), 0, 0);
    lists->addWidget(movFiles_, 1, 0);
    lists->addWidget(movName_, 2, 0);
    lists->addWidget(new QLabel("Template:", this), 0, 1);
    lists->addWidget(templateFiles_, 1, 1);
    lists->addWidget(templateName_, 2, 1);
    lists->addWidget(createTemp_, 3, 1);
    lists->addWidget(help, 4, 1);
    lists->addWidget(new QLabel("Modifying Mov File", this), 3, 0);
    lists->addWidget(progress_, 4, 0);
    lists->addWidget(convertNow_, 5, 0);
    auto main = new QHBoxLayout(this);
    main->addLayout(browse, 1);
    main->addLayout(lists, 2);

    connect(volumes_, &QComboBox::activated, this, [this](int) { SetFolder(volumes_->currentText()); });
    connect(folders_, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { SetFolder(folderModel_->filePath(index)); });
    connect(movFiles_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { movName_->setText(item->text()); });
    connect(templateFiles_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { templateName_->setText(item->text()); });
    connect(createTemp_, &QPushButton::clicked, this,
            [this] { Finish(kavlo::CreateTemp(folder_.toStdString(), movName_->text().toStdString(), *this)); });
    connect(convertNow_, &QPushButton::clicked, this, [this] {
        Finish(kavlo::ConvertChosen(folder_.toStdString(), movName_->text().toStdString(),
                                    templateName_->text().toStdString(), *this));
    });

    FillVolumes();
    // The user starts the tool where the clips are.
    SetFolder(QDir::currentPath());
}

void KavloWindow::FillVolumes()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            roots << volume.rootPath();
    roots.removeDuplicates();
    roots.sort();
    volumes_->addItems(roots);
}

void KavloWindow::SetFolder(const QString& folder)
{
    folder_ = QDir(folder).absolutePath();
    const QString volume = QStorageInfo(folder_).rootPath();
    volumes_->setCurrentIndex(volumes_->findText(volume));
    folders_->setRootIndex(folderModel_->setRootPath(volume));
    folders_->setCurrentIndex(folderModel_->index(folder_));
    FillFileLists();
}

void KavloWindow::FillFileLists()
{
    movFiles_->clear();
    templateFiles_->clear();
    const std::string folder = folder_.toStdString();
    for (const std::string& name : platform::ListFiles(folder, "*.mov"))
        movFiles_->addItem(QString::fromStdString(name));
    for (const std::string& name : platform::ListFiles(folder, std::string(kavlo::kTemplatePrefix) + "*.mov"))
        templateFiles_->addItem(QString::fromStdString(name));
}

void KavloWindow::ShowMessage(const std::string& text)
{
    const QString message = QString::fromStdString(text);
    if (showMessage_)
        showMessage_(message);
    else
        QMessageBox(QMessageBox::NoIcon, windowTitle(), message, QMessageBox::Ok, this).exec();
}

void KavloWindow::SetProgress(int percent)
{
    progress_->setValue(percent);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void KavloWindow::Finish(kavlo::Outcome outcome)
{
    if (outcome != kavlo::Outcome::StayOpen)
        close();
}
