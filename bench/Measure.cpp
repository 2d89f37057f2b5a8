#include "Measure.h"

#include <QtGlobal>
#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

namespace Measure {

qint64 peakMemory()
{
#if defined(Q_OS_UNIX)
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return -1;
#if defined(Q_OS_MACOS)
    return qint64(usage.ru_maxrss);
#else
    return qint64(usage.ru_maxrss) * 1024;  // kilobytes on Linux
#endif
#else
    return -1;
#endif
}

} // namespace Measure
