#include "DataFolderLock.h"

#include "engine/Database.h"
#include "records/data/UnitDM.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString LockFile = QStringLiteral("dravik.lock");

#ifndef _WIN32
// The folder is shared by everyone who may write its tables, and the lock
// file is made by whoever starts first: it gets a mode of its own, not what
// that user's umask leaves, so that every later user can at least read it.
// A lock needs no more: flock takes a descriptor opened for reading.
int openLockFile(const QByteArray &path)
{
    constexpr mode_t Shared = 0644;
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, Shared);
    if (fd >= 0) {
        ::fchmod(fd, Shared);
        return fd;
    }
    fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    return fd;
}
#endif

} // namespace

DataFolderLock::DataFolderLock(const QString &dataPath)
    : m_folder(dataPath)
{
}

DataFolderLock::~DataFolderLock()
{
#ifdef _WIN32
    if (m_handle)
        CloseHandle(m_handle);
#else
    if (m_fd >= 0)
        ::close(m_fd);   // releases the lock
#endif
}

QString DataFolderLock::lockPath() const
{
    return QDir(m_folder).filePath(LockFile);
}

QString DataFolderLock::problem() const
{
    return m_problem;
}

DataFolderLock::Outcome DataFolderLock::readOnly(const QString &what)
{
    m_problem = QStringLiteral("数据文件夹“%1”%2，程序无法在其中保存数据。\n请把该文件夹及其中的数据表设为可以写入后，再启动程序。")
                    .arg(QDir::toNativeSeparators(m_folder), what);
    return Outcome::ReadOnly;
}

// Start-up packs every table by writing a new file beside it: a folder or
// a table that takes no writes would fail table after table.
bool DataFolderLock::folderTakesWrites()
{
    QTemporaryFile probe(QDir(m_folder).filePath(QStringLiteral(".dravik-XXXXXX")));
    if (!probe.open())
        return false;
    probe.close();
    return true;
}

DataFolderLock::Outcome DataFolderLock::acquire()
{
    if (!QFileInfo(m_folder).isDir())
        return Outcome::Acquired;
    if (!folderTakesWrites())
        return readOnly(QStringLiteral("是只读的"));
    for (const QString &table : TDM::packedFiles()) {
        QFile file(Database::resolveIn(m_folder, table));
        if (file.exists() && !file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            return readOnly(QStringLiteral("中的数据表 %1 是只读的").arg(table));
    }
    const QString path = QDir::toNativeSeparators(lockPath());
#ifdef _WIN32
    // Opened without sharing: a second copy cannot open it while we hold it.
    m_handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_handle = nullptr;
        if (GetLastError() == ERROR_SHARING_VIOLATION)
            return Outcome::HeldElsewhere;
        return readOnly(QStringLiteral("不能写入"));
    }
    return Outcome::Acquired;
#else
    m_fd = openLockFile(QFile::encodeName(path));
    if (m_fd < 0)
        return readOnly(QStringLiteral("中的锁文件 %1 不能打开").arg(LockFile));
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return Outcome::Acquired;
    const int error = errno;
    ::close(m_fd);
    m_fd = -1;
    if (error == EWOULDBLOCK)
        return Outcome::HeldElsewhere;
    return readOnly(QStringLiteral("不能加锁"));
#endif
}
