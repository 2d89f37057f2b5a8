#pragma once
// A close as a window manager sends it (the title bar's close box, Alt+F4):
// a spontaneous close event from outside the program, which the window may
// refuse. An accepted one hides the window, as the window system does.

#include <QApplication>
#include <QCloseEvent>
#include <QSpontaneKeyEvent>
#include <QWidget>

inline bool closeFromWindowManager(QWidget *window)
{
    QCloseEvent event;
    // Delivered as the event loop delivers the window system's events
    // (sendEvent would make it the program's own).
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(window, &event);
    if (event.isAccepted() && window->isVisible())
        window->hide();
    return event.isAccepted();
}
