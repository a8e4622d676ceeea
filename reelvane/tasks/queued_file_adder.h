#pragma once
// Adds a long list of files (a folder) one file per turn of the event loop, so that the window
// keeps answering while each source is probed. One queue per window; a list added while
// another is still going joins its end.

#include <QObject>
#include <QStringList>

namespace reelvane {

class MainWindow;

class QueuedFileAdder : public QObject {
    Q_OBJECT
public:
    // The window's queue, made on first use.
    static QueuedFileAdder& For(MainWindow& window);

    void Add(const QStringList& paths);
    bool busy() const { return !waiting_.isEmpty(); }

signals:
    // The queue ran empty: every file was added (or refused).
    void finished();

private:
    explicit QueuedFileAdder(MainWindow& window);
    void AddNext();

    MainWindow& window_;
    QStringList waiting_;
    int last_ = -1;
};

} // namespace reelvane
