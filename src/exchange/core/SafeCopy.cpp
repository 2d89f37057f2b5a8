#include "SafeCopy.h"

#include "engine/DbError.h"
#include "engine/Disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <filesystem>
#include <system_error>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

constexpr qint64 CopyBlock = qint64(1) << 20;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// On a disk that ignores case another spelling names this very file.
bool sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    Q_UNUSED(a);
    Q_UNUSED(b);
    return true;
#else
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
#endif
}

void removeOtherSpellings(const QString &target)
{
    const QFileInfo written(target);
    const QDir folder = written.absoluteDir();
    for (const QString &entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString other = folder.filePath(entry);
        if (entry == written.fileName() || entry.compare(written.fileName(), Qt::CaseInsensitive) != 0
            || sameFile(other, target))
            continue;
        Disk::remove(other);
    }
}

} // namespace

void CopyFileReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(source), in.errorString()));
    const std::unique_ptr<Disk::NewFile> out = Disk::NewFile::beside(target);
    while (!in.atEnd()) {
        const QByteArray block = in.read(CopyBlock);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(source), in.errorString()));
        out->write(block);
    }
    out->replace(target);
    removeOtherSpellings(target);
}

void MoveFileReplacing(const QString &source, const QString &target)
{
    if (!Disk::replace(source, target)) {
        // Another disk, or a system that will not replace the name.
        CopyFileReplacing(source, target);
        return;
    }
    removeOtherSpellings(target);
}

void PlaceInWorkFolder(const QString &source, const QString &target)
{
    std::error_code error;
    std::filesystem::create_hard_link(source.toStdU16String(), target.toStdU16String(), error);
    if (error)
        CopyFileReplacing(source, target);
}

void RequireTemporaryFolder(const QTemporaryDir &folder)
{
    if (!folder.isValid())
        throw DbError(QStringLiteral("无法建立临时文件夹：%1").arg(folder.errorString()));
}
