#pragma once
// The window's task commands: Options, Audio, Subtitle, New Task, Convert (Cancel while a run
// goes), Delete, Up and Down; which of them the selection and the run allow, and when a press
// on Cancel counts (once, and never while the disc libraries run). The window lays the buttons
// out and gives them their captions, except Convert's, which follows the run.

#include <QObject>

class QPushButton;
class QWidget;

namespace reelvane {

class TaskListView;

class TaskCommands : public QObject {
    Q_OBJECT
public:
    TaskCommands(TaskListView& view, QWidget* window);

    QPushButton* options() const { return options_; }
    QPushButton* audio() const { return audio_; }
    QPushButton* subtitle() const { return subtitle_; }
    QPushButton* add() const { return add_; }
    QPushButton* convert() const { return convert_; }
    QPushButton* remove() const { return remove_; }
    QPushButton* up() const { return up_; }
    QPushButton* down() const { return down_; }

    bool converting() const { return converting_; }
    void SetConverting(bool converting);
    // The disc libraries cannot be stopped: Cancel is off while they run.
    void SetCancelAllowed(bool allowed);
    // Convert, or Cancel while a run goes (the button, the list's menu and Escape).
    void ConvertOrCancel();
    // Enables the commands for the tasks, the selection and the run.
    void Update();

signals:
    void convertRequested();
    void cancelRequested();
    void optionsRequested(int row);
    void audioTracksRequested(int row);
    void subtitleRequested(int row);

private:
    void OptionsCommand();

    TaskListView& view_;
    bool converting_ = false;
    bool cancelAsked_ = false;
    bool cancelAllowed_ = true;

    QPushButton* options_;
    QPushButton* audio_;
    QPushButton* subtitle_;
    QPushButton* add_;
    QPushButton* convert_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
};

} // namespace reelvane
