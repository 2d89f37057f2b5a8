#include "SafeCopy.h"

#include "engine/DbError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr qint64 CopyBlock = qint64(1) << 20;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
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
        if (out.write(block) != block.size())
            throw DbError(QStringLiteral("写入文件“%1”出错：%2").arg(shown(target), out.errorString()));
    }
    if (!out.commit())
        throw DbError(QStringLiteral("无法保存文件“%1”：%2").arg(shown(target), out.errorString()));
}
