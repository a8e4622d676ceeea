#include "reelvane/tasks/task_commands.h"

#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/task_list_view.h"
#include "reelvane/tasks/window_texts.h"

#include <QPushButton>

namespace reelvane {
TaskCommands::TaskCommands(TaskListView& view, QWidget* window) : QObject(window), view_(view)
{
    options_ = Button(window, "optionsButton");
    audio_ = Button(window, "audioButton");
    subtitle_ = Button(window, "subtitleButton");
    add_ = Button(window, "addButton");
    convert_ = Button(window, "convertButton");
    remove_ = Button(window, "removeButton");
    up_ = Button(window, "upButton");
    down_ = Button(window, "downButton");
    for (QPushButton* button : {add_, convert_})
        button->setMinimumWidth(110);

    connect(options_, &QPushButton::clicked, this, &TaskCommands::OptionsCommand);
    connect(audio_, &QPushButton::clicked, this, [this] { emit audioTracksRequested(view_.SingleSelectedRow()); });
    connect(subtitle_, &QPushButton::clicked, this, [this] { emit subtitleRequested(view_.SingleSelectedRow()); });
    connect(add_, &QPushButton::clicked, this, [this] { TaskListView::PopupBelow(view_.addMenu(), add_); });
    connect(convert_, &QPushButton::clicked, this, &TaskCommands::ConvertOrCancel);
    connect(remove_, &QPushButton::clicked, this, [this] { TaskListView::PopupBelow(view_.removeMenu(), remove_); });
    connect(up_, &QPushButton::clicked, this, [this] { view_.MoveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { view_.MoveSelected(1); });
    connect(&view_, &TaskListView::convertRequested, this, &TaskCommands::ConvertOrCancel);
    connect(&view_, &TaskListView::optionsRequested, this, &TaskCommands::OptionsCommand);
    connect(&view_, &TaskListView::audioTracksRequested, this, &TaskCommands::audioTracksRequested);
    connect(&view_, &TaskListView::subtitleRequested, this, &TaskCommands::subtitleRequested);
}

void TaskCommands::OptionsCommand()
{
    // One sheet edits one task; with several rows selected there is nothing to open.
    if (view_.SelectedRows().size() <= 1)
        emit optionsRequested(view_.SingleSelectedRow());
}

void TaskCommands::SetConverting(bool converting)
{
    converting_ = converting;
    cancelAsked_ = false;
    cancelAllowed_ = true;
    view_.SetConverting(converting);
    Update();
}

void TaskCommands::SetCancelAllowed(bool allowed)
{
    cancelAllowed_ = allowed;
    Update();
}

void TaskCommands::ConvertOrCancel()
{
    if (!converting_) {
        if (view_.model()->rowCount() > 0)
            emit convertRequested();
        return;
    }
    if (cancelAsked_ || !cancelAllowed_)
        return;
    cancelAsked_ = true;
    Update();
    emit cancelRequested();
}

void TaskCommands::Update()
{
    const QList<QPushButton*> rowCommands = {options_, audio_, subtitle_};
    add_->setEnabled(!converting_);
    if (converting_) {
        convert_->setText(Main("btnConvert2Info", "&Cancel"));
        convert_->setToolTip(Main("btnConvert2Tooltip", "Cancel"));
        convert_->setEnabled(!cancelAsked_ && cancelAllowed_);
        for (QPushButton* button : rowCommands + QList<QPushButton*>{remove_, up_, down_})
            button->setEnabled(false);
        return;
    }
    convert_->setText(Main("btnConvertInfo", "&Convert"));
    convert_->setToolTip(Main("btnConvertTooltip", "Start converting"));
    const int count = view_.model()->rowCount();
    convert_->setEnabled(count > 0);
    remove_->setEnabled(count > 0);
    const QList<int> rows = view_.SelectedRows();
    // With several rows selected the row commands keep the state they had.
    if (rows.size() > 1)
        return;
    for (QPushButton* button : rowCommands)
        button->setEnabled(rows.size() == 1);
    up_->setEnabled(rows.size() == 1 && rows.first() > 0);
    down_->setEnabled(rows.size() == 1 && rows.first() < count - 1);
}

} // namespace reelvane
