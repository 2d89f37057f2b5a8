#include "SqliteReference.h"

#include "Measure.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"

#include <QDate>
#include <QHash>
#include <sqlite3.h>

namespace {

const char *columnType(const DbfField &field)
{
    switch (field.type) {
    case 'N':
    case 'F':
        return "REAL";
    case 'I':
    case 'L':
        return "INTEGER";
    default:
        return "TEXT";
    }
}

void bindValue(sqlite3_stmt *statement, int column, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(statement, column);
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, column, value.toDouble());
        break;
    case QMetaType::Int:
    case QMetaType::Bool:
        sqlite3_bind_int(statement, column, value.toInt());
        break;
    case QMetaType::QDate: {
        const QByteArray text = value.toDate().toString(Qt::ISODate).toUtf8();
        sqlite3_bind_text(statement, column, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        if (text.isEmpty())
            sqlite3_bind_null(statement, column);  // a blank field tests as NULL
        else
            sqlite3_bind_text(statement, column, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

// Runs a statement to its end; returns the rows stepped.
template<typename OnRow>
qint64 stepAll(sqlite3 *db, const char *sql, OnRow onRow)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    qint64 rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        onRow(statement);
        ++rows;
    }
    sqlite3_finalize(statement);
    return rows;
}

} // namespace

SqliteReference::SqliteReference(const QString &databasePath, const QString &tablePath)
{
    if (sqlite3_open(databasePath.toUtf8().constData(), &m_db) != SQLITE_OK)
        fail("open");
    // SQLite's defaults: a rollback journal and full sync at each commit,
    // as the engine syncs its journal and tables.
    exec("PRAGMA case_sensitive_like = ON");
    load(QStringLiteral("kjcg"), tablePath);
}

SqliteReference::~SqliteReference()
{
    sqlite3_close(m_db);
}

void SqliteReference::fail(const char *what)
{
    throw DbError(QStringLiteral("SQLite %1: %2").arg(QString::fromLatin1(what),
                                                      QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void SqliteReference::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(sql);
}

void SqliteReference::load(const QString &name, const QString &tablePath)
{
    const std::shared_ptr<DbfFile> file = DbfFile::open(tablePath, true);
    QStringList columns;
    for (const DbfField &field : file->fields())
        columns.append(QStringLiteral("\"%1\" %2").arg(field.name, QLatin1String(columnType(field))));
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, columns.join(u',')).toUtf8().constData());
    sqlite3_stmt *insert = prepareInsert(name, file->fieldCount());
    exec("BEGIN");
    qint64 rows = 0;
    for (int recno = 0; recno < file->recordCount(); ++recno) {
        if (file->isDeleted(recno))
            continue;
        for (int i = 0; i < file->fieldCount(); ++i)
            bindValue(insert, i + 1, file->value(recno, i));
        step(insert);
        ++rows;
    }
    sqlite3_finalize(insert);
    exec("COMMIT");
    if (name == QLatin1String("kjcg"))
        m_rows = rows;
}

sqlite3_stmt *SqliteReference::prepareInsert(const QString &name, int columns)
{
    QStringList marks;
    for (int i = 0; i < columns; ++i)
        marks.append(QStringLiteral("?"));
    sqlite3_stmt *insert = nullptr;
    const QByteArray sql = QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, marks.join(u',')).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &insert, nullptr) != SQLITE_OK)
        fail("prepare insert");
    return insert;
}

void SqliteReference::step(sqlite3_stmt *insert)
{
    if (sqlite3_step(insert) != SQLITE_DONE)
        fail("insert");
    sqlite3_reset(insert);
}

void SqliteReference::insertAll(const QString &name, const QList<QList<QVariant>> &rows)
{
    if (rows.isEmpty())
        return;
    sqlite3_stmt *insert = prepareInsert(name, int(rows.first().size()));
    for (const QList<QVariant> &row : rows) {
        for (int i = 0; i < row.size(); ++i)
            bindValue(insert, i + 1, row.at(i));
        step(insert);
    }
    sqlite3_finalize(insert);
}

void SqliteReference::addTable(const QString &name, const QString &tablePath)
{
    load(name, tablePath);
}

EngineBench::Figure SqliteReference::insertRows(const TableRows &rows)
{
    QHash<QString, qint64> before;
    for (const auto &[name, tableRows] : rows) {
        stepAll(m_db, QStringLiteral("select max(rowid) from %1").arg(name).toUtf8().constData(),
                [&](sqlite3_stmt *row) { before[name] = sqlite3_column_int64(row, 0); });
    }
    const auto restore = [&] {
        for (auto it = before.begin(); it != before.end(); ++it) {
            exec(QStringLiteral("DELETE FROM %1 WHERE rowid > %2").arg(it.key()).arg(it.value())
                     .toUtf8().constData());
        }
    };
    EngineBench::Figure figure;
    figure.seconds = Measure::median(
        [&] {
            exec("BEGIN");
            for (const auto &[name, tableRows] : rows)
                insertAll(name, tableRows);
            exec("COMMIT");
        },
        restore);
    // The rows read after this one must find the reference equal to the
    // generated folder again.
    restore();
    for (const auto &[name, tableRows] : rows)
        figure.count += tableRows.size();
    return figure;
}

EngineBench::Figure SqliteReference::likeSearch()
{
    EngineBench::Figure figure;
    figure.seconds = Measure::median([&] { figure.count = stepAll(m_db, EngineBench::kLikeSql, [](sqlite3_stmt *) {}); },
                                     {}, Measure::kQuickRepetitions);
    return figure;
}

EngineBench::Figure SqliteReference::update(const char *sql, const char *prepare)
{
    EngineBench::Figure figure;
    figure.seconds = Measure::median([&] { exec(sql); }, [&] { exec(prepare); });
    figure.count = sqlite3_changes(m_db);
    return figure;
}

EngineBench::Figure SqliteReference::fullScan()
{
    return readAll(QStringLiteral("select * from kjcg"));
}

qint64 SqliteReference::firstInteger(const QString &sql)
{
    qint64 value = -1;
    stepAll(m_db, sql.toUtf8().constData(), [&](sqlite3_stmt *row) {
        if (value < 0)
            value = sqlite3_column_int64(row, 0);
    });
    return value;
}

EngineBench::Figure SqliteReference::readAll(const QString &sql)
{
    const QByteArray statement = sql.toUtf8();
    EngineBench::Figure figure;
    qint64 bytes = 0;
    figure.seconds = Measure::median([&] {
        figure.count = stepAll(m_db, statement.constData(), [&](sqlite3_stmt *row) {
            const int columns = sqlite3_column_count(row);
            for (int c = 0; c < columns; ++c) {
                sqlite3_column_text(row, c);
                bytes += sqlite3_column_bytes(row, c);
            }
        });
    }, {}, Measure::kQuickRepetitions);
    return figure;
}

EngineBench::Figure SqliteReference::selectAndUpdate(const QString &item4, const QString &column,
                                                     const std::function<QString(int)> &valueOf)
{
    // The row is found once by its number, as the program has it at hand
    // as the list's current row; the timed work reaches it by its rowid.
    sqlite3_stmt *find = nullptr;
    sqlite3_stmt *select = nullptr;
    sqlite3_stmt *update = nullptr;
    const QByteArray updateSql = QStringLiteral("update kjcg set \"%1\" = ?1 where rowid = ?2").arg(column).toUtf8();
    if (sqlite3_prepare_v2(m_db, "select rowid from kjcg where ITEM_4 = ?1", -1, &find, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(m_db, "select * from kjcg where rowid = ?1", -1, &select, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(m_db, updateSql.constData(), -1, &update, nullptr) != SQLITE_OK)
        fail("prepare select and update");
    const QByteArray key = item4.toUtf8();
    sqlite3_bind_text(find, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
    const sqlite3_int64 rowid = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : -1;
    sqlite3_finalize(find);
    int run = 0;
    EngineBench::Figure figure;
    figure.seconds = Measure::median([&] {
        sqlite3_bind_int64(select, 1, rowid);
        figure.count = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(select); ++c)
                sqlite3_column_text(select, c);
            ++figure.count;
        }
        sqlite3_reset(select);
        const QByteArray value = valueOf(++run).toUtf8();
        sqlite3_bind_text(update, 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(update, 2, rowid);
        if (sqlite3_step(update) != SQLITE_DONE)
            fail("update");
        sqlite3_reset(update);
    }, {}, Measure::kShortRepetitions);
    sqlite3_finalize(select);
    sqlite3_finalize(update);
    return figure;
}
