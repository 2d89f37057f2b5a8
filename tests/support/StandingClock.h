#pragma once
// The program's clock stands at one moment while this object lives, so that
// a test gives the same result on any day it runs.
#include "engine/Clock.h"

class StandingClock
{
public:
    explicit StandingClock(const QDate &day, const QTime &time = QTime(10, 0))
    {
        Clock::standAt(QDateTime(day, time));
    }
    ~StandingClock() { Clock::runFree(); }
    StandingClock(const StandingClock &) = delete;
    StandingClock &operator=(const StandingClock &) = delete;
};
