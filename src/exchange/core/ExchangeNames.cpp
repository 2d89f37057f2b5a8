#include "ExchangeNames.h"

#include <QDir>
#include <QFileInfo>

namespace ExchangeNames {

QStringList all()
{
    return {Kjcg, Cgwcdw, Cgwcr, Jdwyhmd, Zlqk, Unit, Expert};
}

QStringList records()
{
    return {Kjcg, Cgwcdw, Cgwcr, Jdwyhmd, Zlqk};
}

namespace {

QStringList filesOf(const QStringList &names)
{
    QStringList files;
    for (const QString &name : names)
        files.append(fileName(name));
    return files;
}

} // namespace

QStringList allFiles()
{
    return filesOf(all());
}

QStringList recordFiles()
{
    return filesOf(records());
}

QString fileName(const QString &name)
{
    return name + QStringLiteral(".TXT");
}

QString stagingTable(const QString &name)
{
    return name + QStringLiteral("temp.dbf");
}

QString findFile(const QString &folder, const QString &fileName)
{
    const QDir dir(folder);
    const QString exact = dir.filePath(fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

} // namespace ExchangeNames
