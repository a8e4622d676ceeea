#include "reelvane/tasks/task_state_delegate.h"

#include "reelvane/tasks/task_table_model.h"

#include <QApplication>
#include <QPainter>

namespace reelvane {

void TaskStateDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto state = index.data(TaskTableModel::RawRole).value<TaskState>();
    if (state != TaskState::Converting) {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        // Failed rows stand out from the finished ones.
        if (state == TaskState::Failed)
            item.palette.setColor(QPalette::Text, QColor(200, 0, 0));
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &item, painter, option.widget);
        return;
    }
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(2, 2, -2, -2);
    bar.state = option.state | QStyle::State_Horizontal;
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = index.data(TaskTableModel::PercentRole).toInt();
    bar.text = index.data(Qt::DisplayRole).toString();
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.palette = option.palette;
    QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter, option.widget);
}

} // namespace reelvane
