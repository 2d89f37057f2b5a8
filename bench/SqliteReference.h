#pragma once
#include "EngineBench.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// The native reference: a plain SQLite table in a database FILE (so that its
// pages stay out of any process's peak memory) holding the same rows and
// columns as kjcg.dbf, memo texts included. It runs in SQLite's default
// journal mode and full synchronous mode: a change is on the disk when its
// statement or transaction ends, as the engine's are.
class SqliteReference
{
public:
    // Creates the database file and copies every row of the table file in.
    SqliteReference(const QString &databasePath, const QString &tablePath);
    ~SqliteReference();
    SqliteReference(const SqliteReference &) = delete;
    SqliteReference &operator=(const SqliteReference &) = delete;

    // The same statement the engine runs, stepping and counting the rows.
    EngineBench::Figure likeSearch();
    // Every column of every row read with sqlite3_column_text.
    EngineBench::Figure fullScan();
    // The same for the rows of a SELECT of the caller's.
    EngineBench::Figure readAll(const QString &sql);
    // The first column of the first row of a SELECT, or -1 when it finds none.
    qint64 firstInteger(const QString &sql);
    // The row of a registration number (found untimed) read fully by its
    // rowid, then one text column of it set to valueOf(run) (the run counts
    // from 1).
    EngineBench::Figure selectAndUpdate(const QString &item4, const QString &column,
                                        const std::function<QString(int)> &valueOf);
    // A statement that changes rows, run after `prepare` (untimed) each time.
    EngineBench::Figure update(const char *sql, const char *prepare);
    // Another table file copied in as the table `name`.
    void addTable(const QString &name, const QString &tablePath);
    // Rows (values in the table's column order) inserted into their tables
    // in one transaction; after each repetition they are taken out again,
    // untimed.
    using TableRows = QList<QPair<QString, QList<QList<QVariant>>>>;
    EngineBench::Figure insertRows(const TableRows &rows);
    qint64 rows() const { return m_rows; }

private:
    void exec(const char *sql);
    void load(const QString &name, const QString &tablePath);
    void insertAll(const QString &name, const QList<QList<QVariant>> &rows);
    sqlite3_stmt *prepareInsert(const QString &name, int columns);
    void step(sqlite3_stmt *insert);
    [[noreturn]] void fail(const char *what);

    sqlite3 *m_db = nullptr;
    qint64 m_rows = 0;
};
