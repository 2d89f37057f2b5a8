#include "WorkFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace WorkFolders {

namespace {

const QString Prefix = QStringLiteral("dravik-work-");

bool isRunning(qint64 pid)
{
    if (pid <= 0)
        return true;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    // A process of another user answers EPERM: it runs.
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

bool isOurs(const QFileInfo &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return true;   // the temporary folder is the user's own
#else
    return folder.ownerId() == ::getuid();
#endif
}

} // namespace

QString nameTemplate()
{
    return QDir(QDir::tempPath()).filePath(Prefix + QString::number(QCoreApplication::applicationPid())
                                           + QStringLiteral("-XXXXXX"));
}

int removeStale()
{
    static const QRegularExpression name(QStringLiteral("^dravik-work-(\\d+)-[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QFileInfoList folders = QDir(QDir::tempPath())
                                      .entryInfoList({Prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &folder : folders) {
        const QRegularExpressionMatch match = name.match(folder.fileName());
        if (!match.hasMatch() || folder.isSymLink() || !isOurs(folder) || isRunning(match.captured(1).toLongLong()))
            continue;
        if (QDir(folder.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

} // namespace WorkFolders
