#pragma once
#include <QElapsedTimer>
#include <QList>
#include <algorithm>
#include <functional>

namespace Measure {

inline constexpr int kRepetitions = 3;
// For operations of a second or less, whose figures a busy machine scatters.
inline constexpr int kQuickRepetitions = 5;
// For operations well under a millisecond: one cold cache or one busy moment
// is a large share of them, so many runs are needed for a steady median.
inline constexpr int kShortRepetitions = 31;

// Seconds taken by one call.
inline double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// The median of several runs; `prepare` runs untimed before each one.
inline double median(const std::function<void()> &work, const std::function<void()> &prepare = {},
                     int repetitions = kRepetitions)
{
    QList<double> times;
    for (int i = 0; i < repetitions; ++i) {
        if (prepare)
            prepare();
        times.append(seconds(work));
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// The highest resident memory of this process so far, in bytes; -1 where
// the system does not tell.
qint64 peakMemory();

} // namespace Measure
