#include "Database.h"

#include "DbError.h"
#include "DbfFile.h"
#include "SqlModule.h"
#include "SqlStatement.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

namespace {

// A statement of our own without rows; a refusal is an error like any other.
void runPlain(sqlite3 *sql, const char *statement)
{
    char *error = nullptr;
    if (sqlite3_exec(sql, statement, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(sql));
        sqlite3_free(error);
        throw DbError(QStringLiteral("SQL语句执行出错：%1\n%2").arg(message, QString::fromUtf8(statement)));
    }
}

} // namespace

struct Database::Private
{
    QString folder;
    // The open handles by lower-cased file name; a handle that anyone else
    // holds is in use.
    QHash<QString, std::shared_ptr<DbfFile>> files;
    sqlite3 *sql = nullptr;
    // Virtual tables made so far: lower-cased SQL name -> SQL name.
    QHash<QString, QString> sqlTables;
    QString refusal;   // why no table of the folder takes writes

    QString key(const QString &tableName) const { return tableFileName(tableName).toLower(); }

    // Drops the cached handle; refuses while a dataset or statement holds it.
    void forget(const QString &tableName, const QString &shownName)
    {
        const auto it = files.constFind(key(tableName));
        if (it == files.constEnd())
            return;
        if (it.value().use_count() > 1)
            throw DbError(QStringLiteral("表文件“%1”正在使用").arg(shownName));
        files.erase(it);
    }
};

Database::Database(const QString &folder)
    : d(std::make_unique<Private>())
{
    d->folder = QDir::cleanPath(folder);
}

Database::~Database()
{
    if (d->sql)
        sqlite3_close_v2(d->sql);
}

QString Database::folder() const
{
    return d->folder;
}

QString Database::resolvePath(const QString &fileName) const
{
    return resolveIn(d->folder, fileName);
}

QString Database::resolveIn(const QString &folder, const QString &fileName)
{
    const QDir dir(folder);
    const QString exact = dir.filePath(fileName);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return exact;
}

bool Database::fileExists(const QString &fileName) const
{
    return QFileInfo(resolvePath(fileName)).isFile();
}

QString Database::tableFileName(const QString &tableName)
{
    const QString name = tableName.trimmed();
    return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".dbf") : name;
}

std::shared_ptr<DbfFile> Database::file(const QString &tableName)
{
    const QString key = d->key(tableName);
    const auto it = d->files.constFind(key);
    if (it != d->files.constEnd())
        return it.value();
    auto handle = DbfFile::open(resolvePath(tableFileName(tableName)));
    if (!d->refusal.isEmpty() && handle->isWritable())
        handle->refuseWrites(d->refusal);
    d->files.insert(key, handle);
    return handle;
}

void Database::refuseWrites(const QString &reason)
{
    d->refusal = reason;
    for (const std::shared_ptr<DbfFile> &handle : std::as_const(d->files)) {
        if (handle->isWritable())
            handle->refuseWrites(reason);
    }
}

void Database::checkWritable() const
{
    if (!d->refusal.isEmpty())
        throw DbError(d->refusal);
}

// A handle open here and used by nobody answers whether there is anything
// to pack through its own view of the file; when there is nothing, it stays,
// and the datasets opened next read a view already in memory instead of
// mapping the file afresh.
void Database::pack(const QString &tableName)
{
    checkWritable();
    const QString path = resolvePath(tableFileName(tableName));
    const auto it = d->files.constFind(d->key(tableName));
    if (it != d->files.constEnd()) {
        it.value()->checkWritable();   // a table found unfit is not rewritten either
        if (it.value().use_count() == 1 && !it.value()->needsPacking())
            return;
    }
    d->forget(tableName, QFileInfo(path).fileName());
    DbfFile::pack(path);
}

// The SQL table goes too: a replacing file may have other columns.
void Database::release(const QString &tableName)
{
    const QString path = resolvePath(tableFileName(tableName));
    d->forget(tableName, QFileInfo(path).fileName());
    const QString sqlName = QFileInfo(path).completeBaseName();
    const QString sqlKey = sqlName.toLower();
    if (d->sql && d->sqlTables.contains(sqlKey)) {
        const QByteArray drop =
            QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(d->sqlTables.value(sqlKey)).toUtf8();
        runPlain(d->sql, drop.constData());
        d->sqlTables.remove(sqlKey);
    }
}

sqlite3 *Database::sqlite()
{
    if (d->sql)
        return d->sql;
    if (sqlite3_open_v2(":memory:", &d->sql, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(d->sql));
        sqlite3_close_v2(d->sql);
        d->sql = nullptr;
        throw DbError(QStringLiteral("无法建立SQL连接：%1").arg(message));
    }
    try {
        runPlain(d->sql, "PRAGMA case_sensitive_like = ON");
        SqlModule::install(d->sql, this);
    } catch (const DbError &) {
        sqlite3_close_v2(d->sql);
        d->sql = nullptr;
        throw;
    }
    const QStringList entries = QDir(d->folder).entryList(QDir::Files);
    for (const QString &entry : entries) {
        if (!entry.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
            continue;
        try {
            addSqlTable(entry);
        } catch (const DbError &) {
            // A damaged file is reported when a statement uses it.
        }
    }
    return d->sql;
}

bool Database::addSqlTable(const QString &tableName)
{
    const QString fileName = tableFileName(tableName);
    if (!fileExists(fileName))
        return false;
    const QFileInfo info(resolvePath(fileName));
    const QString sqlName = info.completeBaseName();
    if (sqlName.isEmpty() || d->sqlTables.contains(sqlName.toLower()))
        return false;
    sqlite3 *connection = sqlite();
    const QByteArray create = SqlModule::createStatement(sqlName, info.fileName()).toUtf8();
    char *error = nullptr;
    if (sqlite3_exec(connection, create.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(connection));
        sqlite3_free(error);
        throw DbError(QStringLiteral("表文件“%1”无法用于SQL：%2").arg(info.fileName(), message));
    }
    d->sqlTables.insert(sqlName.toLower(), sqlName);
    return true;
}

int Database::execute(const QString &sql, const QVariantMap &params)
{
    SqlStatement statement(this, sql, params);
    while (statement.next()) {
    }
    return sqlite3_changes(sqlite());
}

QString Database::escapeSql(const QString &text)
{
    return QString(text).replace(QLatin1Char('\''), QLatin1String("''"));
}
