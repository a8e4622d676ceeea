#include "reelvane/tasks/task_list_view.h"

#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_pictures.h"
#include "reelvane/tasks/task_source_delegate.h"
#include "reelvane/tasks/task_state_delegate.h"
#include "reelvane/tasks/task_table_model.h"
#include "reelvane/tasks/window_texts.h"
#include "reelvane/ui/pictures.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

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
    BuildMenus();
    connect(this, &QWidget::customContextMenuRequested, this, &TaskListView::ShowMenu);
    // A double click on a row's state shows its log; elsewhere its properties.
    connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == TaskTableModel::StateColumn)
            emit logRequested(index.row());
        else
            emit propertiesRequested(index.row());
    });
}

void TaskListView::SetTaskModel(TaskTableModel* model)
{
    tasks_ = model;
    setModel(model);
    setItemDelegateForColumn(TaskTableModel::StateColumn, new TaskStateDelegate(this));
    const int widths[] = {200, 100, 100, 100, 140, 110};
    static_assert(std::size(widths) == TaskTableModel::ColumnCount);
    for (int column = 0; column < TaskTableModel::ColumnCount; ++column)
        setColumnWidth(column, widths[column]);
    setMinimumSize(700, 250);
    pictures_ = new TaskPictures(*model, this);
    setItemDelegateForColumn(TaskTableModel::SourceColumn, new TaskSourceDelegate(*pictures_, this));
    connect(pictures_, &TaskPictures::pictureArrived, this,
            [this](int row) { update(tasks_->index(row, TaskTableModel::SourceColumn)); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { viewport()->update(); });
}

void TaskListView::BuildMenus()
{
    BuildContextMenu();
    addMenu_ = new QMenu(this);
    addMenu_->setObjectName("addMenu");
    addFilesMenuAction_ = addMenu_->addAction(QString(), this, &TaskListView::addFilesRequested);
    addFolderMenuAction_ = addMenu_->addAction(QString(), this, &TaskListView::addFolderRequested);
    removeMenu_ = new QMenu(this);
    removeMenu_->setObjectName("removeMenu");
    removeSelectedMenuAction_ = removeMenu_->addAction(QString(), this, &TaskListView::RemoveSelected);
    removeAllMenuAction_ = removeMenu_->addAction(QString(), this, &TaskListView::RemoveAll);
}

// Every row command is an entry here; ShowMenu enables them for the selection and the run.
void TaskListView::BuildContextMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName("contextMenu");
    addAction_ = menu_->addAction(QString(), this, &TaskListView::addFilesRequested);
    addFolderAction_ = menu_->addAction(QString(), this, &TaskListView::addFolderRequested);
    menu_->addSeparator();
    removeAction_ = menu_->addAction(QString(), this, &TaskListView::RemoveSelected);
    removeAllAction_ = menu_->addAction(QString(), this, &TaskListView::RemoveAll);
    menu_->addSeparator();
    convertAction_ = menu_->addAction(QString(), this, &TaskListView::convertRequested);
    profileAction_ = menu_->addAction(QString(), this, &TaskListView::optionsRequested);
    propertiesAction_ = menu_->addAction(QString(), this, [this] { emit propertiesRequested(SingleSelectedRow()); });
    trimAction_ = menu_->addAction(QString(), this, [this] { emit trimRequested(SingleSelectedRow()); });
    audioAction_ = menu_->addAction(QString(), this, [this] { emit audioTracksRequested(SingleSelectedRow()); });
    subtitleAction_ = menu_->addAction(QString(), this, [this] { emit subtitleRequested(SingleSelectedRow()); });
    logAction_ = menu_->addAction(QString(), this, [this] { emit logRequested(SingleSelectedRow()); });
}

void TaskListView::ApplyTexts()
{
    addFilesMenuAction_->setText(Main("strAddFileInfo", "Add file(s)..."));
    addFolderMenuAction_->setText(Main("strAddFolderInfo", "Add folder"));
    removeSelectedMenuAction_->setText(Main("strRemoveSelectedInfo", "Remove selected file"));
    removeAllMenuAction_->setText(Main("strRemoveAllInfo", "Clear Flash(swf) file list"));
    addAction_->setText(Main("strListAddInfo", "Add file(s)..."));
    addFolderAction_->setText(Main("strListAddFolderInfo", "Add folder..."));
    removeAction_->setText(Main("strListRemoveInfo", "Remove"));
    removeAllAction_->setText(Main("strListRemoveAllInfo", "Remove all"));
    convertAction_->setText(Main("strListConvertInfo", "Convert"));
    profileAction_->setText(Main("strListProfileInfo", "Profile settings"));
    propertiesAction_->setText(Main("strListFileInfo", "Properties"));
    trimAction_->setText(Main("strListTrimInfo", "Trim..."));
    audioAction_->setText(Main("strListAudioTrackInfo", "Audio track..."));
    subtitleAction_->setText(Main("strListSubtitleInfo", "Subtitle..."));
    logAction_->setText(Main("strListLogInfo", "Show log"));
}

void TaskListView::ShowMenu(const QPoint& position)
{
    const QList<int> rows = SelectedRows();
    if (rows.size() > 1)
        return;
    for (QAction* action : {addAction_, addFolderAction_})
        action->setEnabled(!converting_);
    const bool one = rows.size() == 1;
    for (QAction* action :
         {removeAction_, removeAllAction_, convertAction_, profileAction_, propertiesAction_, trimAction_})
        action->setEnabled(one && !converting_);
    for (QAction* action : {audioAction_, subtitleAction_})
        action->setEnabled(one);
    logAction_->setEnabled(one && !tasks_->tasks().Get(rows.first())->log.empty());
    menu_->popup(viewport()->mapToGlobal(position));
}

void TaskListView::PopupBelow(QMenu* menu, QWidget* button)
{
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

QList<int> TaskListView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TaskListView::SingleSelectedRow() const
{
    const QList<int> rows = SelectedRows();
    return rows.size() == 1 ? rows.first() : -1;
}

void TaskListView::SelectRow(int row)
{
    if (row < 0 || row >= model()->rowCount())
        return;
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

void TaskListView::RemoveSelected()
{
    QList<int> rows = SelectedRows();
    std::reverse(rows.begin(), rows.end());
    for (int row : rows)
        tasks_->RemoveTask(row);
    emit listChanged();
}

void TaskListView::RemoveAll()
{
    tasks_->RemoveAll();
    emit listChanged();
}

bool TaskListView::MoveSelected(int step)
{
    const int row = SingleSelectedRow();
    if (row < 0 || !tasks_->MoveTask(row, row + step))
        return false;
    SelectRow(row + step);
    emit listChanged();
    return true;
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
        if (!converting_)
            addMenu_->popup(event->globalPosition().toPoint());
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
    if (!files.isEmpty() && !converting_)
        emit filesDropped(files);
}

} // namespace reelvane
