#include "reelvane/tasks/queued_file_adder.h"

#include "reelvane/tasks/main_window.h"

#include <QTimer>

#include <algorithm>

namespace reelvane {
namespace {

// While a run goes the list takes no tasks; the queue waits for the run to end.
constexpr int kRunWaitMilliseconds = 250;

} // namespace

QueuedFileAdder& QueuedFileAdder::For(MainWindow& window)
{
    auto* adder = window.findChild<QueuedFileAdder*>(QString(), Qt::FindDirectChildrenOnly);
    return adder ? *adder : *new QueuedFileAdder(window);
}

QueuedFileAdder::QueuedFileAdder(MainWindow& window) : QObject(&window), window_(window)
{
}

void QueuedFileAdder::Add(const QStringList& paths)
{
    const bool idle = waiting_.isEmpty();
    for (const QString& path : paths)
        if (!path.isEmpty())
            waiting_ << path;
    if (idle && !waiting_.isEmpty())
        QTimer::singleShot(0, this, &QueuedFileAdder::AddNext);
}

void QueuedFileAdder::AddNext()
{
    if (waiting_.isEmpty())
        return;
    if (window_.converting()) {
        QTimer::singleShot(kRunWaitMilliseconds, this, &QueuedFileAdder::AddNext);
        return;
    }
    last_ = std::max(last_, window_.AddFile(waiting_.takeFirst()));
    if (!waiting_.isEmpty()) {
        QTimer::singleShot(0, this, &QueuedFileAdder::AddNext);
        return;
    }
    if (last_ >= 0)
        window_.SelectRow(last_);
    last_ = -1;
    window_.UpdateConvertControls();
    window_.RefreshStatus();
    emit finished();
}

} // namespace reelvane
