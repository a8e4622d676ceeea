#pragma once
// Paints the Source column: the task's picture before its file name.

#include <QStyledItemDelegate>

namespace reelvane {

class TaskPictures;

class TaskSourceDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TaskSourceDelegate(const TaskPictures& pictures, QObject* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const TaskPictures& pictures_;
};

} // namespace reelvane
