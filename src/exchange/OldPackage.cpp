#include "OldPackage.h"

#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/core/SafeCopy.h"
#include "exchange/core/WorkFolders.h"

#include "engine/Disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace OldPackage {

namespace {

// Older file name stem and the standard exchange name it stands for.
struct OldName
{
    QString stem;
    QString standard;
};

const QList<OldName> &oldNames()
{
    static const QList<OldName> names = {
        {QStringLiteral("KJCG"), ExchangeNames::Kjcg},     {QStringLiteral("CGDW"), ExchangeNames::Cgwcdw},
        {QStringLiteral("CGWCR"), ExchangeNames::Cgwcr},   {QStringLiteral("JDMD"), ExchangeNames::Jdwyhmd},
        {QStringLiteral("ZLQK"), ExchangeNames::Zlqk},
    };
    return names;
}

// Gives each record file its standard name; a file already named so stays.
void useStandardNames(const QString &folder, const QString &code)
{
    for (const OldName &name : oldNames()) {
        const QString standard = ExchangeNames::fileName(name.standard);
        if (!ExchangeNames::findFile(folder, standard).isEmpty())
            continue;
        const QString old = ExchangeNames::findFile(folder, name.stem + code + QStringLiteral(".TXT"));
        QString why;
        if (!old.isEmpty() && !Disk::tryRename(old, QDir(folder).filePath(standard), &why))
            throw DbError(QStringLiteral("无法把文件“%1”改名为%2。").arg(QDir::toNativeSeparators(old), standard));
    }
}

// What such a package may hold: the record files under either name.
QStringList packageFiles(const QString &code)
{
    QStringList names = ExchangeNames::recordFiles();
    for (const OldName &name : oldNames())
        names.append(name.stem + code + QStringLiteral(".TXT"));
    return names;
}

void requireRecordFiles(const QString &folder)
{
    for (const QString &file : ExchangeNames::recordFiles()) {
        if (ExchangeNames::findFile(folder, file).isEmpty())
            throw MissingMembers(QStringLiteral("包内文件不正确，可能有缺失!"));
    }
}

} // namespace

QString repack(Archiver &archiver, const QString &packagePath, const QString &code,
               const std::function<bool(const QString &existing)> &confirmReplace)
{
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    const QString unpacked = QDir(work.path()).filePath(QStringLiteral("in"));
    const QString packed = QDir(work.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(unpacked);
    QDir().mkpath(packed);
    archiver.unpack(packagePath, unpacked, {}, packageFiles(code));
    useStandardNames(unpacked, code);
    requireRecordFiles(unpacked);

    const QString folder = QFileInfo(packagePath).absolutePath();
    QString target = ExchangeNames::findFile(folder, ExchangeNames::ExportArchive);
    if (!target.isEmpty() && !(confirmReplace && confirmReplace(target)))
        return QString();
    if (target.isEmpty())
        target = QDir(folder).filePath(ExchangeNames::ExportArchive);

    for (const QString &file : ExchangeNames::recordFiles())
        PlaceInWorkFolder(ExchangeNames::findFile(unpacked, file), QDir(packed).filePath(file));
    archiver.pack(packed, ExchangeNames::ExportArchive, ExchangeNames::recordFiles());
    CopyFileReplacing(QDir(packed).filePath(ExchangeNames::ExportArchive), target);
    return target;
}

} // namespace OldPackage
