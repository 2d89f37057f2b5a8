#include "DiskSpace.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>

namespace DiskSpace {

namespace {

// Less than this is no room: the next block of any table or document.
constexpr qint64 NoRoom = 64 * 1024;

} // namespace

bool isFull(const QString &folder)
{
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.isReady() && disk.bytesAvailable() < NoRoom;
}

QString fullText(const QString &folder)
{
    return QStringLiteral("文件夹“%1”所在的磁盘已满，请腾出磁盘空间后再试").arg(QDir::toNativeSeparators(folder));
}

QString writeFailure(const QFileDevice &file)
{
    const QString folder = QFileInfo(file.fileName()).absolutePath();
    if (isFull(folder))
        return fullText(folder);
    return file.errorString();
}

} // namespace DiskSpace
