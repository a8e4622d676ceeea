#include "reelvane/tasks/task_pictures.h"

#include "adapters/vexen/vexen.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/ui/pictures.h"
#include "reelvane/ui/source_frame.h"

#include <QPixmap>

namespace reelvane {

TaskPictures::TaskPictures(TaskTableModel& model, QObject* parent) : QObject(parent), model_(model)
{
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Request(first, last); });
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { Forget(first, last); });
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { pictures_.clear(); });
    Request(0, model.rowCount() - 1);
}

TaskPictures::~TaskPictures()
{
    // The jobs still queued are dropped; the running ones post to this object, so they must end first.
    pool_.clear();
    pool_.waitForDone();
}

QIcon TaskPictures::Picture(int row) const
{
    auto found = pictures_.find(model_.tasks().Get(row));
    return found == pictures_.end() ? QIcon() : found->second.picture;
}

void TaskPictures::Request(int first, int last)
{
    // Twice the shown size, so that the picture stays sharp on a high-density screen.
    const QSize box = kShownSize * 2;
    for (int row = first; row <= last; ++row) {
        const ConversionTask* task = model_.tasks().Get(row);
        if (!task)
            continue;
        const uint64_t ticket = nextTicket_++;
        pictures_[task] = {ticket, QIcon()};
        const std::string path = task->sourcePath;
        const double seconds = task->probed.duration / 10.0;
        pool_.start([this, task, ticket, path, seconds, box] {
            SourceFrame frame = GrabSourceFrame(path, seconds, box);
            QMetaObject::invokeMethod(
                this, [this, task, ticket, frame] { Arrive(task, ticket, frame.image, frame.noPicture); },
                Qt::QueuedConnection);
        });
    }
}

void TaskPictures::Forget(int first, int last)
{
    for (int row = first; row <= last; ++row)
        pictures_.erase(model_.tasks().Get(row));
}

void TaskPictures::Arrive(const ConversionTask* task, uint64_t ticket, const QImage& frame, bool sound)
{
    auto found = pictures_.find(task);
    if (found == pictures_.end() || found->second.ticket != ticket)
        return;
    found->second.picture = sound ? AudioPicture() : frame.isNull() ? QIcon() : QIcon(QPixmap::fromImage(frame));
    for (int row = 0; row < model_.rowCount(); ++row)
        if (model_.tasks().Get(row) == task) {
            emit pictureArrived(row);
            return;
        }
}

} // namespace reelvane
