#pragma once
// What the main window asks of the desktop: questions, messages, file and folder choices, and
// opening pages and programs. Tests put a scripted host in its place.

#include <QString>
#include <QStringList>

class QWidget;

namespace reelvane {

class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual bool AskYesNo(QWidget* parent, const QString& question) = 0;
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // Existing files, several at once; empty when cancelled.
    virtual QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& filter) = 0;
    // Empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
    // A page, folder or file with the desktop's handler.
    virtual void OpenExternal(const QString& target) = 0;
    // A program of the program folder, not waited for.
    virtual void StartProgram(const QString& program) = 0;
    // A finished output, selected in the desktop's file manager.
    virtual void ShowInFileManager(const QString& path) = 0;
};

// The real desktop: Qt dialogs and the platform's shell open and process runner.
class DesktopHost : public WindowHost {
public:
    bool AskYesNo(QWidget* parent, const QString& question) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
    QStringList ChooseFiles(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter) override;
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
    void OpenExternal(const QString& target) override;
    void StartProgram(const QString& program) override;
    void ShowInFileManager(const QString& path) override;
};

} // namespace reelvane
