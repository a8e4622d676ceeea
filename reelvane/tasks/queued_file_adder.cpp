#include "reelvane/tasks/queued_file_adder.h"

#include "reelvane/tasks/main_window.h"
#include "reelvane/tasks/task_rules.h"

#include <algorithm>

namespace reelvane {
namespace {

// Tasks probed within this time join the list together.
constexpr int kBatchMilliseconds = 150;
// While a run goes the list takes no tasks; the batch looks again this often.
constexpr int kRunWaitMilliseconds = 250;

} // namespace

QueuedFileAdder& QueuedFileAdder::For(MainWindow& window)
{
    auto* adder = window.findChild<QueuedFileAdder*>(QString(), Qt::FindDirectChildrenOnly);
    return adder ? *adder : *new QueuedFileAdder(window);
}

QueuedFileAdder::QueuedFileAdder(MainWindow& window) : QObject(&window), window_(window)
{
    worker_.setMaxThreadCount(1);
    flush_.setSingleShot(true);
    connect(&flush_, &QTimer::timeout, this, &QueuedFileAdder::Flush);
}

QueuedFileAdder::~QueuedFileAdder()
{
    // A probe in flight posts to this object: it must end first.
    worker_.waitForDone();
}

void QueuedFileAdder::Add(const QStringList& paths)
{
    for (const QString& path : paths)
        if (!path.isEmpty())
            waiting_ << path;
    if (!probing_)
        ProbeNext();
}

void QueuedFileAdder::ProbeNext()
{
    // A file that cannot be a source gets the window's own refusal, which reads nothing.
    while (!waiting_.isEmpty() && SourceFileProblem(waiting_.first().toStdString()))
        window_.AddFile(waiting_.takeFirst());
    if (waiting_.isEmpty()) {
        Flush();
        return;
    }
    probing_ = true;
    // The session as it is now: the user may pick another profile while the probe runs.
    auto session = std::make_shared<ConversionSession>(window_.session());
    worker_.start([this, session, source = waiting_.takeFirst().toStdString()] {
        auto task = std::make_shared<std::unique_ptr<ConversionTask>>(session->NewTask(source));
        QMetaObject::invokeMethod(
            this, [this, task] { Probed(task); }, Qt::QueuedConnection);
    });
}

void QueuedFileAdder::Probed(std::shared_ptr<std::unique_ptr<ConversionTask>> task)
{
    probing_ = false;
    if (*task)
        ready_.push_back(std::move(*task));
    ProbeNext();
    if (probing_ && !flush_.isActive())
        flush_.start(kBatchMilliseconds);
}

void QueuedFileAdder::Flush()
{
    flush_.stop();
    if (window_.converting()) {
        flush_.start(kRunWaitMilliseconds);
        return;
    }
    last_ = std::max(last_, window_.AddNewTasks(std::move(ready_)));
    ready_.clear();
    if (probing_ || !waiting_.isEmpty())
        return;
    if (last_ >= 0)
        window_.SelectRow(last_);
    last_ = -1;
    window_.UpdateConvertControls();
    window_.RefreshStatus();
    emit finished();
}

} // namespace reelvane
