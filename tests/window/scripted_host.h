#pragma once
// A desktop that answers from a script and records what the window asked of it.

#include "reelvane/tasks/window_host.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace reelvane {

class ScriptedHost : public WindowHost {
public:
    bool AskYesNo(QWidget*, const QString& question) override
    {
        questions << question;
        if (onQuestion)
            onQuestion(question);
        if (answers.empty()) {
            unexpected << question;
            return false;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    QStringList ChooseFiles(QWidget*, const QString&, const QString& folder, const QString& filter) override
    {
        fileDialogFolder = folder;
        fileDialogFilter = filter;
        return std::exchange(files, {});
    }
    QString ChooseFolder(QWidget*, const QString&, const QString&) override { return std::exchange(folder, {}); }
    void OpenExternal(const QString& target) override { opened << target; }
    void StartProgram(const QString& program) override { started << program; }
    void ShowInFileManager(const QString& path) override { shown << path; }

    std::deque<bool> answers;
    // Runs before each answer, while the asker waits.
    std::function<void(const QString&)> onQuestion;
    QStringList files;
    QString folder;
    QStringList questions;
    QStringList unexpected;
    QStringList messages;
    QStringList opened;
    QStringList started;
    QStringList shown;
    QString fileDialogFolder;
    QString fileDialogFilter;
};

} // namespace reelvane
