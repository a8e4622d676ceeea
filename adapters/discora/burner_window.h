#pragma once
// The burner's own window: the user picks an image, files or a folder and a burn type, then
// burns or saves the image. The burn runs on its own thread; its steps, its outcome and every
// error are shown here and errors also go to standard error.

#include "adapters/discora/burn_job.h"

#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QThread;

namespace discora {

class BurnerWindow : public QWidget {
    Q_OBJECT
public:
    explicit BurnerWindow(QWidget* parent = nullptr);
    ~BurnerWindow() override;

    // What the pick buttons do after their dialogs.
    void PickImage(const QString& path);
    void PickFiles(const QStringList& paths);
    void PickFolder(const QString& folder);
    void Burn();
    void SaveImage(const QString& path);

    bool busy() const { return thread_ != nullptr; }
    // The last step, outcome or error shown.
    QString message() const;

signals:
    void burnEnded(int status);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class WindowUi;

    void Start(const std::string& imagePath);
    void Finish(const BurnOutcome& outcome);
    void ShowMessage(const QString& text);
    // In the window, marked as an error, and on standard error.
    void ShowError(const QString& text);
    void UpdateControls();
    std::optional<std::string> AskWhereToSave(const std::string& suggestion);

    std::vector<std::string> files_;
    bool image_ = false;
    QThread* thread_ = nullptr;

    QListWidget* picked_;
    QPushButton* imageButton_;
    QPushButton* filesButton_;
    QPushButton* folderButton_;
    QComboBox* burnType_;
    QLabel* message_;
    QPushButton* saveButton_;
    QPushButton* burnButton_;
    QPushButton* closeButton_;
};

} // namespace discora
