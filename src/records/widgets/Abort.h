#pragma once
#include "engine/DbError.h"
#include "records/widgets/Messages.h"

#include <exception>

class QWidget;

// An input check has shown its warning: the handler that ran it ends here
// without another word and without storing anything.
struct Abort
{
};

namespace Guard {
// The text shown for an exception that is neither a check nor a database
// error: whatever it says, the program goes on.
QString unexpectedText(const char *what);
} // namespace Guard

// Runs a handler body so that no exception leaves a Qt slot: a check's
// Abort ends it silently, a database error is shown with its own text in a
// box captioned "提示", and so is any other exception. Returns false when the
// body did not complete.
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
    } catch (const std::exception &e) {
        Messages::ShowError(parent, Guard::unexpectedText(e.what()));
        return false;
    } catch (...) {
        Messages::ShowError(parent, Guard::unexpectedText(nullptr));
        return false;
    }
}
