#pragma once
// Paints the State column: a bar with its percentage while a task converts, its state's text
// otherwise.

#include <QStyledItemDelegate>

namespace reelvane {

class TaskStateDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace reelvane
