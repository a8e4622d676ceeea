#include "reelvane/cli/terminal_observer.h"

#include "reelvane/conversion/run_status.h"
#include "reelvane/tasks/task_rules.h"

#include "adapters/vexen/vexen.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <unistd.h>

namespace reelvane {
namespace {

void PrintJson(const QJsonObject& object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

// Puts `text` under `key`. Bytes that are not UTF-8 (a file name may hold any) would come out as
// U+FFFD, so the exact bytes go beside it in hexadecimal under `key` + "Bytes".
void Put(QJsonObject& object, const QString& key, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    object.insert(key, value);
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (value.toUtf8() != bytes)
        object.insert(key + "Bytes", QString::fromLatin1(bytes.toHex()));
}

QJsonObject WithText(QJsonObject object, const QString& key, const std::string& text)
{
    Put(object, key, text);
    return object;
}

const char* StateName(TaskState state)
{
    switch (state) {
    case TaskState::Finished: return "finished";
    case TaskState::Failed: return "failed";
    case TaskState::Cancelled: return "cancelled";
    case TaskState::NotStarted: return "not started";
    case TaskState::Waiting: return "waiting";
    case TaskState::Converting: return "converting";
    }
    return "";
}

} // namespace

TerminalObserver::TerminalObserver(bool json, bool burnAnswer, const std::atomic<bool>& interrupted)
    : json_(json), burnAnswer_(burnAnswer), terminal_(::isatty(STDOUT_FILENO) != 0), interrupted_(interrupted)
{
}

void TerminalObserver::EndBar()
{
    if (barShown_)
        std::printf("\n");
    barShown_ = false;
}

void TerminalObserver::ShowStatus(int, const std::string&)
{
}

void TerminalObserver::ShowMessage(const std::string&, const std::string& text)
{
    if (json_) {
        PrintJson(WithText({{"event", "message"}}, "text", text));
        return;
    }
    EndBar();
    std::fprintf(stderr, "reelvane: %s\n", text.c_str());
}

bool TerminalObserver::AskYesNo(const std::string&, const std::string& question)
{
    if (json_)
        PrintJson(WithText({{"event", "question"}, {"answer", burnAnswer_}}, "text", question));
    else {
        EndBar();
        std::printf("%s -> %s\n", question.c_str(), burnAnswer_ ? "yes (--burn)" : "no (no --burn)");
    }
    return burnAnswer_;
}

void TerminalObserver::ShowProgress(const RunProgress& p)
{
    if (json_) {
        PrintJson(WithText({{"event", "progress"},
                            {"task", p.taskIndex + 1},
                            {"tasks", p.taskCount},
                            {"percent", p.taskPercent},
                            {"secondsLeft", static_cast<qint64>(p.taskMillisecondsLeft / 1000)},
                            {"runPercent", p.runPercent},
                            {"runSecondsLeft", static_cast<qint64>(p.runMillisecondsLeft / 1000)}},
                           "output", p.output));
        return;
    }
    if (!terminal_)
        return;
    constexpr int kWidth = 24;
    std::string bar(static_cast<std::size_t>(p.taskPercent * kWidth / 100), '#');
    bar.resize(kWidth, '-');
    std::printf("\r%d/%d %s [%s] %3d%% left %s | run %3d%% left %s\033[K", p.taskIndex + 1, p.taskCount,
                FileNamePart(p.output).c_str(), bar.c_str(), p.taskPercent, FormatClock(p.taskMillisecondsLeft).c_str(),
                p.runPercent, FormatClock(p.runMillisecondsLeft).c_str());
    std::fflush(stdout);
    barShown_ = true;
}

void TerminalObserver::TaskFinished(const TaskReport& report)
{
    if (json_) {
        QJsonObject object{{"event", "task"}, {"task", report.taskIndex + 1}, {"state", StateName(report.state)}};
        Put(object, "source", report.source);
        if (!report.output.empty())
            Put(object, "output", report.output);
        if (!report.message.empty())
            Put(object, "message", report.message);
        QJsonArray streams;
        for (const StreamDecision& stream : report.streams)
            streams.append(QJsonObject{{"index", stream.index},
                                       {"kind", stream.kind == VEXEN_KIND_VIDEO ? "video" : "audio"},
                                       {"action", stream.action == StreamAction::Copy ? "copy" : "encode"},
                                       {"reason", QString::fromStdString(stream.reason)}});
        if (!streams.isEmpty())
            object.insert("streams", streams);
        PrintJson(object);
        return;
    }
    EndBar();
    if (report.state == TaskState::Finished)
        std::printf("%d: finished %s\n", report.taskIndex + 1, report.output.c_str());
    else
        std::printf("%d: %s %s\n", report.taskIndex + 1, StateName(report.state), report.source.c_str());
    std::fflush(stdout);
}

void TerminalObserver::ShowOutput(const std::string& path)
{
    if (!json_)
        std::printf("Output: %s\n", path.c_str());
}

void TerminalObserver::Finish(int exitCode, int finished, int failed, bool cancelled, const std::string& disc)
{
    if (json_) {
        QJsonObject object{{"event", "end"},
                           {"exitCode", exitCode},
                           {"finished", finished},
                           {"failed", failed},
                           {"cancelled", cancelled}};
        if (!disc.empty())
            Put(object, "disc", disc);
        PrintJson(object);
        return;
    }
    EndBar();
    if (!disc.empty())
        std::printf("Disc: %s\n", disc.c_str());
    std::printf("%d finished, %d failed%s\n", finished, failed, cancelled ? ", cancelled" : "");
}

} // namespace reelvane
