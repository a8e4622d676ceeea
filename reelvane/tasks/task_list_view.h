#pragma once
// The task list as the user sees it: the columns, full-row selection, a picture while empty,
// files dropped from a file manager, the right-click menu and the list's own commands
// (remove, move). Commands that need more than the list are asked for through signals.

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
    QMenu* contextMenu() const { return menu_; }
    // The rows' pictures, made as tasks join the list.
    TaskPictures* pictures() const { return pictures_; }

    void RemoveSelected();
    void RemoveAll();
    // Moves the one selected row by `step`; false when it cannot move.
    bool MoveSelected(int step);

signals:
    void filesDropped(const QStringList& paths);
    // A left click while the list is empty, at this global position.
    void emptyListClicked(const QPoint& globalPosition);
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
    void BuildMenu();
    void ShowMenu(const QPoint& position);

    TaskTableModel* tasks_ = nullptr;
    TaskPictures* pictures_ = nullptr;
    bool converting_ = false;
    QMenu* menu_;
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
