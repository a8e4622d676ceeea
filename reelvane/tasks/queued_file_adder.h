#pragma once
// Adds a long list of files (a folder) without holding the window: the sources are probed on a
// worker thread one after the other, and join the list on the window's thread in the list's
// order, in batches, so that the list is saved once per batch. One queue per window; a list
// added while another is still going joins its end.

#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <memory>
#include <vector>

namespace reelvane {

class MainWindow;
struct ConversionTask;

class QueuedFileAdder : public QObject {
    Q_OBJECT
public:
    // The window's queue, made on first use.
    static QueuedFileAdder& For(MainWindow& window);
    ~QueuedFileAdder() override;

    void Add(const QStringList& paths);

signals:
    // The queue ran empty: every file was added (or refused).
    void finished();

private:
    explicit QueuedFileAdder(MainWindow& window);
    void ProbeNext();
    void Probed(std::shared_ptr<std::unique_ptr<ConversionTask>> task);
    void Flush();

    MainWindow& window_;
    QStringList waiting_;
    bool probing_ = false;
    std::vector<std::unique_ptr<ConversionTask>> ready_;
    QTimer flush_;
    int last_ = -1;
    QThreadPool worker_;
};

} // namespace reelvane
