#include "SqlStatement.h"

#include "Database.h"
#include "DbError.h"
#include "SqlText.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>

namespace {

// Returns SQLite's result: a value it refuses (too long, no memory) must not
// leave the parameter NULL and the statement run as if it were blank.
int bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::QDate: {
        const QByteArray iso = value.toDate().toString(Qt::ISODate).toUtf8();
        return sqlite3_bind_text(stmt, index, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

SqlStatement::SqlStatement(Database *db, const QString &sql, const QVariantMap &params)
    : m_db(db), m_sql(sql)
{
    prepare();
    try {
        bindParameters(params);
    } catch (...) {
        sqlite3_finalize(m_stmt);
        throw;
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

// A name SQLite does not know may be a table file added to the folder later.
void SqlStatement::prepare()
{
    sqlite3 *connection = m_db->sqlite();
    const QByteArray text = m_sql.toUtf8();
    QString lastMissing;
    for (;;) {
        const int rc = sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &m_stmt,
                                          nullptr);
        if (rc == SQLITE_OK && m_stmt)
            return;
        if (rc == SQLITE_OK)
            throw DbError(QStringLiteral("SQL语句为空。"));
        const QString message = fromUtf8(sqlite3_errmsg(connection));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        const QString missing = SqlText::missingTable(message);
        if (missing.isEmpty() || missing.compare(lastMissing, Qt::CaseInsensitive) == 0
            || !m_db->addSqlTable(missing))
            fail(message);
        lastMissing = missing;
    }
}

void SqlStatement::bindParameters(const QVariantMap &params)
{
    QHash<QString, QVariant> byName;
    for (auto it = params.begin(); it != params.end(); ++it)
        byName.insert(it.key().toLower(), it.value());
    const int count = sqlite3_bind_parameter_count(m_stmt);
    for (int i = 1; i <= count; ++i) {
        const QString name = fromUtf8(sqlite3_bind_parameter_name(m_stmt, i));
        const QString key = name.mid(1).toLower();
        if (name.isEmpty() || !byName.contains(key))
            throw DbError(QStringLiteral("SQL语句的参数“%1”没有赋值。\n%2").arg(name, m_sql));
        const int rc = bindValue(m_stmt, i, byName.value(key));
        if (rc != SQLITE_OK)
            throw DbError(QStringLiteral("SQL语句的参数“%1”无法赋值：%2\n%3")
                              .arg(name, fromUtf8(sqlite3_errstr(rc)), m_sql));
    }
}

bool SqlStatement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(fromUtf8(sqlite3_errmsg(m_db->sqlite())));
}

void SqlStatement::fail(const QString &sqliteMessage) const
{
    const QString missing = SqlText::missingTable(sqliteMessage);
    const QString what = missing.isEmpty()
                             ? sqliteMessage
                             : QStringLiteral("表文件“%1”不存在").arg(Database::tableFileName(missing));
    throw DbError(QStringLiteral("SQL语句执行出错：%1\n%2").arg(what, m_sql));
}

int SqlStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString SqlStatement::columnName(int column) const
{
    return fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString SqlStatement::originTable(int column) const
{
    return fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString SqlStatement::originColumn(int column) const
{
    return fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

QVariant SqlStatement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    case SQLITE_NULL:
        return {};
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
    }
    }
}

qint64 SqlStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}
