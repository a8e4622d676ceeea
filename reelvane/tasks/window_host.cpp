#include "reelvane/tasks/window_host.h"

#include "platform/process_runner.h"
#include "platform/shell_open.h"
#include "reelvane/frame/program_info.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace reelvane {

bool DesktopHost::AskYesNo(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Information, kProductTitle, question, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void DesktopHost::ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, kProductTitle, text);
}

QStringList DesktopHost::ChooseFiles(QWidget* parent, const QString& title, const QString& folder,
                                     const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, folder, filter);
}

QString DesktopHost::ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

void DesktopHost::OpenExternal(const QString& target)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    platform::ShellOpen(target.toStdString());
    QApplication::restoreOverrideCursor();
}

void DesktopHost::StartProgram(const QString& program)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    platform::StartDetached(program.toStdString(), {});
    QApplication::restoreOverrideCursor();
}

void DesktopHost::ShowInFileManager(const QString& path)
{
    platform::ShowInFileManager(path.toStdString());
}

} // namespace reelvane
