#pragma once
#include <QString>
#include <functional>

class QWidget;

// Runs slow work that touches no window or dataset (the archiver) on a
// thread of its own, while the window keeps painting and shows a busy
// indicator with the text; returns when the work has ended. A DbError of
// the work is thrown here, in the window's thread.
void RunWithBusyIndicator(QWidget *parent, const QString &text, const std::function<void()> &work);
