#include "BenchFiles.h"

#include "engine/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace BenchFiles {

const QStringList &packedTables()
{
    static const QStringList names = {
        QStringLiteral("kjcg.DBF"),        QStringLiteral("kjcgtemp.DBF"),   QStringLiteral("cgwcr.DBF"),
        QStringLiteral("cgwcrtemp.DBF"),   QStringLiteral("jdwyhmd.DBF"),    QStringLiteral("jdwyhmdtemp.DBF"),
        QStringLiteral("cgwcdw.DBF"),      QStringLiteral("cgwcdwtemp.DBF"), QStringLiteral("zlqk.DBF"),
        QStringLiteral("zlqktemp.DBF"),    QStringLiteral("cgwcrNew.dbf"),   QStringLiteral("ZTFLH.dbf"),
        QStringLiteral("XKFL.dbf"),        QStringLiteral("LSBW.dbf"),       QStringLiteral("DFJHZDXX.DBF"),
        QStringLiteral("unit.dbf"),        QStringLiteral("unitexpert.dbf"), QStringLiteral("gxjs.dbf"),
    };
    return names;
}

QString resolve(const QString &folder, const QString &fileName)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString &entry : entries)
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return QDir(folder).filePath(entry);
    return QDir(folder).filePath(fileName);
}

QStringList tableFiles(const QString &folder, const QString &tableFileName)
{
    QStringList paths{ resolve(folder, tableFileName) };
    const QString memo = resolve(folder, QFileInfo(tableFileName).completeBaseName() + QStringLiteral(".dbt"));
    if (QFileInfo::exists(memo))
        paths.append(memo);
    return paths;
}

QStringList packedFiles(const QString &folder)
{
    QStringList paths;
    for (const QString &name : packedTables())
        paths += tableFiles(folder, name);
    return paths;
}

QStringList allTableFiles(const QString &folder)
{
    QStringList paths;
    const QStringList entries = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &entry : entries) {
        const QString suffix = QFileInfo(entry).suffix().toLower();
        if (suffix == QLatin1String("dbf") || suffix == QLatin1String("dbt"))
            paths.append(QDir(folder).filePath(entry));
    }
    return paths;
}

qint64 totalSize(const QStringList &paths)
{
    qint64 bytes = 0;
    for (const QString &path : paths)
        bytes += QFileInfo(path).size();
    return bytes;
}

void copyInto(const QStringList &paths, const QString &folder)
{
    QDir().mkpath(folder);
    for (const QString &path : paths) {
        const std::filesystem::path target =
            std::filesystem::path(folder.toStdString()) / QFileInfo(path).fileName().toStdString();
        std::error_code error;
        std::filesystem::copy_file(path.toStdString(), target, std::filesystem::copy_options::overwrite_existing,
                                   error);
        if (error)
            throw DbError(QStringLiteral("复制文件%1失败：%2").arg(path, QString::fromStdString(error.message())));
    }
}

} // namespace BenchFiles
