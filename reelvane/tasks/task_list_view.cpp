#include "reelvane/tasks/task_list_view.h"

#include "reelvane/ui/pictures.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

namespace reelvane {

TaskListView::TaskListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAcceptDrops(true);
    // Drops land on the viewport, the widget under the pointer.
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    // Pale blue rows with dark red text.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(0xD9, 0xEA, 0xFF));
    colours.setColor(QPalette::AlternateBase, QColor(0xCC, 0xE0, 0xFA));
    colours.setColor(QPalette::Text, QColor(125, 0, 0));
    setPalette(colours);
}

QStringList TaskListView::LocalFiles(const QList<QUrl>& urls)
{
    QStringList files;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isDir())
            files << url.toLocalFile();
    return files;
}

void TaskListView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (model() && model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    const int side = std::min({viewport()->width(), viewport()->height(), 240}) * 4 / 5;
    const QPixmap picture = EmptyListPicture(side * devicePixelRatio());
    const QRect target(QPoint(0, 0), QSize(side, side));
    painter.drawPixmap(target.translated(viewport()->rect().center() - target.center()), picture);
}

void TaskListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && model() && model()->rowCount() == 0) {
        emit emptyListClicked(event->globalPosition().toPoint());
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TaskListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TaskListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TaskListView::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData()->urls());
    event->acceptProposedAction();
    if (!files.isEmpty())
        emit filesDropped(files);
}

} // namespace reelvane
