#include "Measure.h"

#include <QFile>
#include <QtGlobal>
#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

namespace Measure {

namespace {

// VmHWM belongs to the process's own address space. ru_maxrss would not do
// for a child: Linux carries the parent's resident size over the fork.
qint64 highWaterMarkFromProc()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

} // namespace

qint64 peakMemory()
{
    const qint64 fromProc = highWaterMarkFromProc();
    if (fromProc >= 0)
        return fromProc;
#if defined(Q_OS_UNIX)
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return -1;
#if defined(Q_OS_MACOS)
    return qint64(usage.ru_maxrss);
#else
    return qint64(usage.ru_maxrss) * 1024;  // kilobytes
#endif
#else
    return -1;
#endif
}

} // namespace Measure
