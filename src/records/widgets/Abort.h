#pragma once
#include "engine/DbError.h"
#include "records/widgets/Messages.h"

class QWidget;

// An input check has shown its warning: the handler that ran it ends here
// without another word and without storing anything.
struct Abort
{
};

// The one way an exception ends: whatever a handler, the event loop or
// start-up lets escape is told to the user in the program's words, and the
// program goes on.
namespace Guard {
// The text of the exception being handled: an error a user can act on
// speaks for itself, anything else says the operation was not done. Empty
// for an Abort, whose check has spoken already. Call only inside a catch.
QString currentText();
// Shows currentText() in a box captioned "提示" (nothing for an Abort).
// Never throws: when even the box fails, the failure is written to the
// error output instead.
void showCurrent(QWidget *parent);
// The text shown for an exception that is not one a user can act on.
QString unexpectedText(const char *what);
} // namespace Guard

// Runs a handler body so that no exception leaves a Qt slot: a check's
// Abort ends it silently; a database, document or report error is shown
// with its own text in a box captioned "提示", and so is any other
// exception, out of memory included. Returns false when the body did not
// complete.
template <class Body>
bool runGuarded(QWidget *parent, Body &&body)
{
    try {
        body();
        return true;
    } catch (...) {
        Guard::showCurrent(parent);
        return false;
    }
}
