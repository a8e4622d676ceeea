#pragma once
// The task list as the user sees it: the columns, full-row selection, a picture while empty,
// files dropped from a file manager, the list's menus (the row's right-click menu, Add and
// Remove) and the list's own commands (remove, move). Commands that need more than the list are
// asked for through signals.

#include <QStringList>
#include <QTreeView>

class QAction;
class QMenu;

namespace reelvane {

class TaskPictures;
class TaskTableModel;

class TaskListView : public QTreeView {
    Q_OBJECT
public:
    explicit TaskListView(QWidget* parent = nullptr);

    void SetTaskModel(TaskTableModel* model);
    // Paths of the local files among dropped URLs, in drop order.
    static QStringList LocalFiles(const QList<QUrl>& urls);

    // The selected rows, in order; the one selected row or -1.
    QList<int> SelectedRows() const;
    int SingleSelectedRow() const;
    void SelectRow(int row);

    // While a run goes the list keeps its rows: no adding, removing or moving.
    void SetConverting(bool converting) { converting_ = converting; }
    void ApplyTexts();
    // The row's right-click menu; every row command is an entry of it.
    QMenu* contextMenu() const { return menu_; }
    // The menus of the New Task and Delete buttons; the Add menu also opens on a click into the
    // empty list.
    QMenu* addMenu() const { return addMenu_; }
    QMenu* removeMenu() const { return removeMenu_; }
    // Opens a menu below a button.
    static void PopupBelow(QMenu* menu, QWidget* button);
    // The rows' pictures, made as tasks join the list.
    TaskPictures* pictures() const { return pictures_; }

    void RemoveSelected();
    void RemoveAll();
    // Moves the one selected row by `step`; false when it cannot move.
    bool MoveSelected(int step);

signals:
    // Files dropped while no run goes.
    void filesDropped(const QStringList& paths);
    void addFilesRequested();
    void addFolderRequested();
    void convertRequested();
    void optionsRequested();
    void propertiesRequested(int row);
    void trimRequested(int row);
    void audioTracksRequested(int row);
    void subtitleRequested(int row);
    void logRequested(int row);
    // Rows were removed or moved.
    void listChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildContextMenu();
    void ShowMenu(const QPoint& position);

    TaskTableModel* tasks_ = nullptr;
    TaskPictures* pictures_ = nullptr;
    bool converting_ = false;
    QMenu* menu_;
    QMenu* addMenu_;
    QMenu* removeMenu_;
    QAction* addFilesMenuAction_;
    QAction* addFolderMenuAction_;
    QAction* removeSelectedMenuAction_;
    QAction* removeAllMenuAction_;
    QAction* addAction_;
    QAction* addFolderAction_;
    QAction* removeAction_;
    QAction* removeAllAction_;
    QAction* convertAction_;
    QAction* profileAction_;
    QAction* propertiesAction_;
    QAction* trimAction_;
    QAction* audioAction_;
    QAction* subtitleAction_;
    QAction* logAction_;
};

} // namespace reelvane
