#include "GuardedApplication.h"

#include "records/widgets/Abort.h"

GuardedApplication::GuardedApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    runGuarded(activeModalWidget() ? activeModalWidget() : activeWindow(),
               [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
