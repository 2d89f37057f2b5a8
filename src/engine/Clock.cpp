#include "Clock.h"

#include <QMutex>

#include <chrono>

namespace {
QMutex clockLock;
QDateTime standing;

// The system's date costs a look at the time zone file each time: an
// import appending many thousand rows asks for it once a minute instead.
QDate systemToday()
{
    using Steady = std::chrono::steady_clock;
    thread_local QDate date;
    thread_local Steady::time_point checked;
    const Steady::time_point now = Steady::now();
    if (!date.isValid() || now - checked > std::chrono::minutes(1)) {
        date = QDate::currentDate();
        checked = now;
    }
    return date;
}

QDateTime standingMoment()
{
    const QMutexLocker locker(&clockLock);
    return standing;
}
} // namespace

namespace Clock {

QDateTime now()
{
    const QDateTime moment = standingMoment();
    return moment.isValid() ? moment : QDateTime::currentDateTime();
}

QDate today()
{
    const QDateTime moment = standingMoment();
    return moment.isValid() ? moment.date() : systemToday();
}

void standAt(const QDateTime &moment)
{
    const QMutexLocker locker(&clockLock);
    standing = moment;
}

void runFree()
{
    standAt(QDateTime());
}

} // namespace Clock
