#pragma once
#include <QString>
#include <QVariant>
#include <QVariantMap>

struct sqlite3_stmt;
class Database;

// One prepared statement on the database's connection, with its named
// parameters bound as values. Table files that appeared in the folder after
// the connection opened are made known when the statement names them.
// Failures throw DbError carrying SQLite's message and the statement.
class SqlStatement
{
public:
    SqlStatement(Database *db, const QString &sql, const QVariantMap &params = {});
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // Runs to the next row; false when there is none.
    bool next();
    int columnCount() const;
    QString columnName(int column) const;
    // The table column the result column reads, when it reads one as is.
    QString originTable(int column) const;
    QString originColumn(int column) const;
    QVariant value(int column) const;
    qint64 integer(int column) const;

private:
    void prepare();
    void bindParameters(const QVariantMap &params);
    [[noreturn]] void fail(const QString &sqliteMessage) const;

    Database *m_db;
    QString m_sql;
    sqlite3_stmt *m_stmt = nullptr;
};
