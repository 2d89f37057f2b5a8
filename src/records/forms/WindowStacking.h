#pragma once

class QApplication;
class QWidget;

// Every window is made once at start-up as a child of the main window, so a
// window manager would keep each of them on top of the main window only: a
// dialog opened from a page would lift the main window over the page. Each
// window that is shown is therefore made transient for the window that
// opens it (the topmost modal window, else the active one), whoever made it,
// and opens again where it stood when it was closed.
namespace WindowStacking {

// From now on, for the whole program.
void stackOverOpeners(QApplication &app);

// The window a window being shown now stands in front of; null when it
// keeps its own parent.
QWidget *openerOf(const QWidget *window);

} // namespace WindowStacking
