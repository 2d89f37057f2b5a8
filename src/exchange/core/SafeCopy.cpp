#include "SafeCopy.h"

#include "errors/DiskSpace.h"

#include "engine/DbError.h"
#include "engine/IoFaults.h"
#include "engine/StoredFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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
        QFile old(other);
        if (IoFaults::failHere() || !old.remove())
            throw DbError(QStringLiteral("无法删除文件“%1”：%2").arg(shown(other), old.errorString()));
    }
}

void requireFolderSynced(const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!FileSafety::syncFolder(folder)) {
        throw DbError(QStringLiteral("无法保存文件“%1”：无法把文件夹“%2”的更改写入磁盘")
                          .arg(shown(target), shown(folder)));
    }
}

} // namespace

void CopyFileReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(source), in.errorString()));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw DbError(QStringLiteral("无法建立文件“%1”：%2").arg(shown(target), out.errorString()));
    while (!in.atEnd()) {
        const QByteArray block = in.read(CopyBlock);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(source), in.errorString()));
        if (IoFaults::failHere())
            throw DbError(QStringLiteral("写入文件“%1”出错：%2").arg(shown(target), DiskSpace::writeFailure(out)));
        IoFaults::note(IoFaults::Step::Write, target);
        if (out.write(block) != block.size())
            throw DbError(QStringLiteral("写入文件“%1”出错：%2").arg(shown(target), DiskSpace::writeFailure(out)));
    }
    // The copy is on the disk before it takes the name, and the name after.
    if (!FileSafety::syncFile(out))
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(target), DiskSpace::writeFailure(out)));
    IoFaults::note(IoFaults::Step::Rename, target);
    if (!out.commit())
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(target), DiskSpace::writeFailure(out)));
    requireFolderSynced(target);
    removeOtherSpellings(target);
}

void MoveFileReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(shown(source), in.errorString()));
    // A rename kept on the disk must not name a file whose data is not.
    if (!FileSafety::syncFile(in))
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(target), DiskSpace::writeFailure(in)));
    in.close();
    std::error_code error;
    IoFaults::note(IoFaults::Step::Rename, source);
    std::filesystem::rename(source.toStdU16String(), target.toStdU16String(), error);
    if (error) {
        // Another disk, or a system that will not replace the name.
        CopyFileReplacing(source, target);
        return;
    }
    requireFolderSynced(target);
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
