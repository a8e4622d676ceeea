#pragma once
// The task list as the user sees it: five columns, full-row selection, a picture while empty,
// and files dropped from a file manager.

#include <QStringList>
#include <QTreeView>

namespace reelvane {

class TaskListView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskListView(QWidget* parent = nullptr);

    // Paths of the local files among dropped URLs, in drop order.
    static QStringList LocalFiles(const QList<QUrl>& urls);

signals:
    void filesDropped(const QStringList& paths);
    // A left click while the list is empty, at this global position.
    void emptyListClicked(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace reelvane
