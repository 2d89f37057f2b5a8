#include "BenchFiles.h"

#include "engine/Database.h"
#include "engine/DbError.h"
#include "records/data/UnitDM.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace BenchFiles {

QStringList tableFiles(const QString &folder, const QString &tableFileName)
{
    QStringList paths{ Database::resolveIn(folder, tableFileName) };
    const QString memo = Database::resolveIn(folder, QFileInfo(tableFileName).completeBaseName() + QStringLiteral(".dbt"));
    if (QFileInfo::exists(memo))
        paths.append(memo);
    return paths;
}

QStringList packedFiles(const QString &folder)
{
    QStringList paths;
    for (const QString &name : TDM::packedFiles())
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
