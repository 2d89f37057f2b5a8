#pragma once
#include "engine/DbError.h"
#include "records/forms/Messages.h"

class QWidget;

// An input check has shown its warning: the handler that ran it ends here
// without another word and without storing anything.
struct Abort
{
};

// Runs a handler body so that no exception leaves a Qt slot: a check's
// Abort ends it silently, a database error is shown with its own text in a
// box captioned "提示". Returns false when the body did not complete.
template <class Body>
bool runGuarded(QWidget *parent, Body &&body)
{
    try {
        body();
        return true;
    } catch (const Abort &) {
        return false;
    } catch (const DbError &e) {
        Messages::ShowError(parent, e.message());
        return false;
    }
}
