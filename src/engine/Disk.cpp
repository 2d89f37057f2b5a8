#include "Disk.h"

#include "DbError.h"
#include "IoFaults.h"
#include "errors/DiskSpace.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Disk {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Each step asks first whether a test wants it to fail here, then notes
// itself: the ledger holds what was tried, in the order tried.
bool proceed(IoFaults::Step step, const QString &path)
{
    if (IoFaults::failHere())
        return false;
    IoFaults::note(step, path);
    return true;
}

// A file written under a name of its own to replace another is noted by
// the name it is to take, from its first write to its rename.
bool writeNoted(QFileDevice &file, const char *bytes, qint64 length, const QString &noted,
                IoFaults::Step step = IoFaults::Step::Write)
{
    return proceed(step, noted) && file.write(bytes, length) == length;
}

bool syncNoted(QFileDevice &file, const QString &noted)
{
    if (!file.flush() || !proceed(IoFaults::Step::Sync, noted))
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

bool renameNoted(const QString &from, const QString &to, const QString &noted, QString *why)
{
    if (!proceed(IoFaults::Step::Rename, noted)) {
        *why = QStringLiteral("无法以“%1”替换“%2”").arg(shown(from), shown(to));
        return false;
    }
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            error);
    if (!error)
        return true;
    *why = QStringLiteral("无法以“%1”替换“%2”（%3）")
               .arg(shown(from), shown(to), QString::fromLocal8Bit(error.message()));
    return false;
}

// The rename that puts a complete file in place, then (for a file that is
// to last) the folder that now names it.
bool placeNoted(const QString &from, const QString &to, const QString &noted, Durable durable, QString *why)
{
    if (!renameNoted(from, to, noted, why))
        return false;
    if (durable == Durable::Yes)
        syncFolderOfFile(to);
    return true;
}

} // namespace

bool write(QFileDevice &file, const char *bytes, qint64 length)
{
    return writeNoted(file, bytes, length, file.fileName());
}

bool writeAhead(QFileDevice &file, const char *bytes, qint64 length)
{
    return writeNoted(file, bytes, length, file.fileName(), IoFaults::Step::WriteAhead);
}

bool writeAt(QFileDevice &file, qint64 offset, const char *bytes, qint64 length)
{
    return file.seek(offset) && write(file, bytes, length);
}

bool resize(QFileDevice &file, qint64 size)
{
    return proceed(IoFaults::Step::Write, file.fileName()) && file.resize(size);
}

bool syncFile(QFileDevice &file)
{
    return syncNoted(file, file.fileName());
}

bool syncData(QFileDevice &file)
{
#if defined(Q_OS_LINUX)
    if (!file.flush() || !proceed(IoFaults::Step::Sync, file.fileName()))
        return false;
    return ::fdatasync(file.handle()) == 0;
#else
    return syncFile(file);
#endif
}

void startWriteBack(const QFileDevice &file, qint64 offset, qint64 length)
{
#ifdef Q_OS_LINUX
    ::sync_file_range(file.handle(), offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(file);
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

void syncFolder(const QString &folder)
{
    bool synced = proceed(IoFaults::Step::SyncFolder, folder);
#ifndef Q_OS_WIN
    if (synced) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // A file system that cannot sync a folder keeps its renames by itself.
        synced = fd >= 0 && (::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP);
        if (fd >= 0)
            ::close(fd);
    }
#endif
    if (!synced)
        throw DbError(QStringLiteral("无法把文件夹“%1”的更改写入磁盘").arg(shown(folder)));
}

void syncFolderOfFile(const QString &path)
{
    syncFolder(QFileInfo(path).absolutePath());
}

bool tryRename(const QString &from, const QString &to, QString *why)
{
    return renameNoted(from, to, from, why);
}

void rename(const QString &from, const QString &to)
{
    QString why;
    if (!tryRename(from, to, &why))
        throw DbError(why);
}

void remove(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return;
    if (!proceed(IoFaults::Step::Remove, path) || !file.remove())
        throw DbError(QStringLiteral("无法删除文件“%1”：%2").arg(shown(path), file.errorString()));
}

void discard(const QString &path) noexcept
{
    try {
        if (QFile::exists(path) && proceed(IoFaults::Step::Remove, path))
            QFile::remove(path);
    } catch (...) {
        // A test's raised failure, as any other, leaves the file.
    }
}

void putInPlace(const QString &from, const QString &to, Durable durable)
{
    QString why;
    if (!placeNoted(from, to, from, durable, &why))
        throw DbError(why);
}

bool replace(const QString &from, const QString &to, Durable durable)
{
    if (durable == Durable::Yes) {
        QFile file(from);
        if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(from), file.errorString()));
        // A rename kept on the disk must not name a file whose data is not.
        if (!syncFile(file))
            throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(to), DiskSpace::writeFailure(file)));
    }
    QString why;
    return placeNoted(from, to, from, durable, &why);
}

// ---- a file written anew --------------------------------------------------------

namespace {
// Pieces are gathered up to this; a piece as large goes to the file as it is.
constexpr qint64 BufferSize = 4 << 20;
constexpr qint64 WrittenAsItIs = 1 << 20;
} // namespace

NewFile::NewFile(const QString &path, const QString &permissionsOf)
    : m_file(path), m_name(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw DbError(QStringLiteral("无法建立文件“%1”：%2").arg(shown(path), reason(m_file)));
    open(permissionsOf);
}

// A new name each try: another writer may have taken the one drawn.
NewFile::NewFile(Unique, const QString &target)
    : m_name(target)
{
    const QFileInfo info(target);
    for (int attempt = 0;; ++attempt) {
        const QString name = QStringLiteral(".%1.%2")
                                 .arg(info.fileName())
                                 .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
        m_file.setFileName(info.absoluteDir().filePath(name));
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (attempt >= 16 || !m_file.exists())
            throw DbError(QStringLiteral("无法建立文件“%1”：%2").arg(shown(target), reason(m_file)));
    }
    open(target);
}

std::unique_ptr<NewFile> NewFile::beside(const QString &target)
{
    return std::unique_ptr<NewFile>(new NewFile(Unique{}, target));
}

void NewFile::open(const QString &permissionsOf)
{
    m_buffer.reserve(BufferSize);
    if (!permissionsOf.isEmpty() && QFileInfo::exists(permissionsOf))
        takeAccessOf(m_file, permissionsOf);
}

NewFile::~NewFile()
{
    if (m_kept)
        return;
    m_file.close();
    discard(m_file.fileName());
}

void NewFile::write(const char *bytes, qint64 length)
{
    if (m_buffer.size() + length > BufferSize || length >= WrittenAsItIs)
        flush();
    if (length >= WrittenAsItIs) {
        writeThrough(bytes, length);
        return;
    }
    m_buffer.append(bytes, length);
}

void NewFile::writeAt(qint64 offset, const QByteArray &bytes)
{
    flush();
    const qint64 end = m_file.pos();
    if (!m_file.seek(offset) || !writeNoted(m_file, bytes.constData(), bytes.size(), m_name) || !m_file.seek(end))
        fail();
}

void NewFile::finish(Durable durable)
{
    flush();
    if (durable == Durable::Yes && !syncNoted(m_file, m_name))
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(m_name), DiskSpace::writeFailure(m_file)));
    m_file.close();
    m_kept = true;
}

void NewFile::replace(const QString &target, Durable durable)
{
    finish(durable);
    m_kept = false;   // removed again should the rename fail
    QString why;
    if (!placeNoted(path(), target, m_name, durable, &why))
        throw DbError(why);
    m_kept = true;
}

void NewFile::flush()
{
    writeThrough(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0);   // keeps the allocation
}

// The disk starts on each piece at once, so that the sync at the end has
// little left to wait for.
void NewFile::writeThrough(const char *bytes, qint64 length)
{
    if (length <= 0)
        return;
    if (!writeNoted(m_file, bytes, length, m_name))
        fail();
    startWriteBack(m_file, m_file.pos() - length, length);
}

void NewFile::fail() const
{
    throw DbError(QStringLiteral("写入文件“%1”出错：%2").arg(shown(m_name), DiskSpace::writeFailure(m_file)));
}

bool takeAccessOf(QFileDevice &file, const QString &like)
{
#ifndef Q_OS_WIN
    // Before the mode: a change of group may clear bits of it.
    struct stat wanted = {}, made = {};
    if (::stat(QFile::encodeName(like).constData(), &wanted) == 0 && ::fstat(file.handle(), &made) == 0
        && made.st_gid != wanted.st_gid) {
        // Only a member of that group may give it; anyone else's file keeps
        // the writer's group, which the mode then serves.
        [[maybe_unused]] const int given = ::fchown(file.handle(), uid_t(-1), wanted.st_gid);
    }
#endif
    return file.setPermissions(QFile::permissions(like));
}

QString reason(const QFileDevice &file)
{
    if (!QFileInfo::exists(file.fileName()))
        return QStringLiteral("文件不存在");
    const QString folder = QFileInfo(file.fileName()).absolutePath();
    if (DiskSpace::isFull(folder))
        return DiskSpace::fullText(folder);
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        return QStringLiteral("没有访问权限");
    case QFileDevice::ResourceError:
        return QStringLiteral("磁盘已满或系统资源不足");
    case QFileDevice::ReadError:
        return QStringLiteral("读取失败");
    case QFileDevice::WriteError:
        return QStringLiteral("写入失败");
    case QFileDevice::OpenError:
        // The system says so only in English: a file this user may not
        // read is the common case of a folder shared by several users.
        if (!QFileInfo(file.fileName()).isReadable())
            return QStringLiteral("没有访问权限");
        return QStringLiteral("文件正被占用或无法访问（%1）").arg(file.errorString());
    default:
        return QStringLiteral("文件无法访问（%1）").arg(file.errorString());
    }
}

} // namespace Disk
