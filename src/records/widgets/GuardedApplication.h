#pragma once
#include <QApplication>

// The program's application object. Every event, and with it every slot
// that a click, a key, a timer or a queued signal runs, passes through the
// one guard: an exception that a handler lets escape is shown in the
// program's box and the event loop goes on, instead of ending the program
// without a word.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
