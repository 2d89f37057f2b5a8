#pragma once
#include <QDate>
#include <QDateTime>

// The date and time the program goes by: today's date for a new record's
// defaults, a file's date of last change, a document's time stamp. It is the
// system's clock unless it has been set to stand at a moment, so that what
// depends on the day can be tried on any day.
namespace Clock {

QDate today();
QDateTime now();

// The clock stands at `moment` from now on (an invalid moment: the system's
// clock again).
void standAt(const QDateTime &moment);
void runFree();

} // namespace Clock
