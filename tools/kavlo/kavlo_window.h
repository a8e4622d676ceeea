#pragma once
// The tool's window: a volume list and folder tree to find the files, the MOV and template
// lists, the two chosen names, "Create Temp", "Convert Now" and the progress bar.

#include "tools/kavlo/kavlo_actions.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeView;

class KavloWindow : public QWidget, private kavlo::KavloUi {
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString&)>;

    // Messages go to message boxes unless `showMessage` takes them.
    explicit KavloWindow(MessageSink showMessage = {}, QWidget* parent = nullptr);

    // Moves the folder tree and both file lists to `folder`.
    void SetFolder(const QString& folder);
    QString folder() const { return folder_; }

private:
    void ShowMessage(const std::string& text) override;
    void SetProgress(int percent) override;

    void FillVolumes();
    void FillFileLists();
    void Finish(kavlo::Outcome outcome);

    MessageSink showMessage_;
    QString folder_;
    QComboBox* volumes_;
    QTreeView* folders_;
    QFileSystemModel* folderModel_;
    QListWidget* movFiles_;
    QListWidget* templateFiles_;
    QLineEdit* movName_;
    QLineEdit* templateName_;
    QPushButton* createTemp_;
    QPushButton* convertNow_;
    QProgressBar* progress_;
};
