#include "reelvane/tasks/task_source_delegate.h"

#include "reelvane/tasks/task_pictures.h"

namespace reelvane {

TaskSourceDelegate::TaskSourceDelegate(const TaskPictures& pictures, QObject* parent)
    : QStyledItemDelegate(parent), pictures_(pictures)
{
}

void TaskSourceDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Room for the picture in every row, so that rows keep one height while pictures arrive.
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = TaskPictures::kShownSize;
    option->icon = pictures_.Picture(index.row());
}

} // namespace reelvane
