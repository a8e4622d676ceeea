#pragma once
// A small picture of each task's source, made on a thread pool as tasks join the list and kept
// by task, not by row: a task removed or moved before its picture arrives gets no wrong picture.

#include <QIcon>
#include <QObject>
#include <QThreadPool>

#include <cstdint>
#include <unordered_map>

namespace reelvane {

struct ConversionTask;
class TaskTableModel;

class TaskPictures : public QObject {
    Q_OBJECT
public:
    // The size a picture is shown at in its row.
    static constexpr QSize kShownSize{48, 27};

    explicit TaskPictures(TaskTableModel& model, QObject* parent = nullptr);
    ~TaskPictures() override;

    // The picture of the task at `row`: a frame from about a tenth into the source, the audio
    // picture for a source without moving pictures; null while it is made or when the source
    // cannot be read.
    QIcon Picture(int row) const;

signals:
    void pictureArrived(int row);

private:
    struct Entry {
        uint64_t ticket; // tells this task's order from a later task that reuses its address
        QIcon picture;
    };

    void Request(int first, int last);
    void Forget(int first, int last);
    void Arrive(const ConversionTask* task, uint64_t ticket, const QImage& frame, bool sound);

    TaskTableModel& model_;
    QThreadPool pool_;
    std::unordered_map<const ConversionTask*, Entry> pictures_;
    uint64_t nextTicket_ = 1;
};

} // namespace reelvane
