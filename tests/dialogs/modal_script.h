#pragma once
// Scripted answers to modal dialogs: the action runs once a modal widget of the wanted type
// (other than `notThis`) is shown.

#include <QApplication>
#include <QDialog>
#include <QtTest>
#include <QFocusEvent>
#include <QTimer>
#include <QWidget>

#include <QPointer>

#include <functional>
#include <memory>

template <typename T>
void WhenShown(std::function<void(T*)> action, QWidget* notThis = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto seen = std::make_shared<QPointer<T>>();
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis, seen] {
        auto* shown = qobject_cast<T*>(QApplication::activeModalWidget());
        // Seen on two ticks in a row: the dialog is in its own event loop, so closing it ends it.
        bool again = shown && *seen == shown;
        *seen = shown == notThis ? nullptr : shown;
        if (!again || !shown->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(shown);
        // A failed check inside the script must not leave the test waiting on an open dialog.
        if (QTest::currentTestFailed())
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                    dialog->reject();
    });
    timer->start();
}

// Sends the focus-in a click into the field would give.
inline void GiveFocus(QWidget* field)
{
    QFocusEvent event(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &event);
}
