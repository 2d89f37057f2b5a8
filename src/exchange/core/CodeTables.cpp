#include "CodeTables.h"

#include "ExchangeFile.h"
#include "SafeCopy.h"
#include "WorkFolders.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace CodeTables {

namespace {

// The classification trees share one layout: level, code, name.
const QString ClassificationLayout = QStringLiteral("gxjs.dbf");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString targetPath(Database &db, const QString &tableFile)
{
    return db.resolvePath(Database::tableFileName(tableFile));
}

bool isClassification(const QString &tableFile)
{
    const QString base = QFileInfo(tableFile).completeBaseName();
    return base.compare(QLatin1String("xkfl"), Qt::CaseInsensitive) == 0
           || base.compare(QLatin1String("ztflh"), Qt::CaseInsensitive) == 0;
}

// The fields a replacement must have: those of the table, or for a missing
// optional classification those of the classification trees.
QList<DbfField> referenceFields(Database &db, const QString &tableFile)
{
    if (db.fileExists(Database::tableFileName(tableFile)))
        return DbfFile::open(targetPath(db, tableFile), true)->fields();
    if (isClassification(tableFile) && db.fileExists(ClassificationLayout))
        return DbfFile::open(targetPath(db, ClassificationLayout), true)->fields();
    throw DbError(QStringLiteral("数据文件夹中没有数据表“%1”。").arg(tableFile));
}

bool sameFields(const QList<DbfField> &a, const QList<DbfField> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].type != b[i].type || a[i].name.compare(b[i].name, Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// The complete new file takes the old one's place in one rename.
void install(Database &db, const QString &tableFile, const QString &source)
{
    const QString target = targetPath(db, tableFile);
    db.checkWritable();
    db.release(Database::tableFileName(tableFile));
    CopyFileReplacing(source, target);
}

} // namespace

bool isNamed(const QString &path, const QString &expected)
{
    return QFileInfo(path.trimmed()).fileName().compare(expected, Qt::CaseInsensitive) == 0;
}

int replaceFromText(Database &db, const QString &tableFile, const QString &textPath)
{
    const QList<DbfField> fields = referenceFields(db, tableFile);
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    const QString name = QFileInfo(targetPath(db, tableFile)).fileName();
    const QString made = QDir(work.path()).filePath(name);
    DbfFile::create(made, fields);
    int rows = 0;
    {
        Database staging(work.path());
        Table table(&staging, name);
        rows = LoadExchangeFile(table, textPath, SplitterVariant::CodeTable);
    }
    if (rows == 0)
        throw DbError(QStringLiteral("文件“%1”中没有记录，数据表没有更新。").arg(shown(textPath)));
    install(db, tableFile, made);
    return rows;
}

// The chosen file is copied first and the copy checked and installed, so
// that what takes the table's place is what was checked.
void replaceFromTableFile(Database &db, const QString &tableFile, const QString &chosenPath)
{
    const QString target = targetPath(db, tableFile);
    const QFileInfo chosen(chosenPath);
    if (QFileInfo::exists(target) && chosen.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        throw DbError(QStringLiteral("所选的文件“%1”就是数据文件夹中正在使用的文件，请选择别处的文件！")
                          .arg(shown(chosenPath)));
    QTemporaryDir work(WorkFolders::nameTemplate());
    RequireTemporaryFolder(work);
    const QString copy = QDir(work.path()).filePath(QFileInfo(target).fileName());
    CopyFileReplacing(chosenPath, copy);
    std::shared_ptr<DbfFile> file;
    try {
        file = DbfFile::open(copy, true);
    } catch (const DbError &error) {
        throw DbError(QStringLiteral("文件“%1”不是可用的数据表：%2").arg(shown(chosenPath), error.message()));
    }
    if (!file->damage().isEmpty())
        throw DbError(QStringLiteral("文件“%1”已损坏：%2。不能用它更新！").arg(shown(chosenPath), file->damage()));
    if (!sameFields(file->fields(), referenceFields(db, tableFile)))
        throw DbError(QStringLiteral("文件“%1”的字段与数据表“%2”不符，不能用它更新！")
                          .arg(shown(chosenPath), QFileInfo(target).fileName()));
    file.reset();
    install(db, tableFile, copy);
}

} // namespace CodeTables
