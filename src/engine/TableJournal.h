#pragma once
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>

class Database;
class DbfFile;

// A change of several table files of one data folder that stands whole or
// not at all, also when the program is killed at any instant of it.
//
// A change appends rows, writes over rows and marks rows deleted. Before
// its first write the journal file in the data folder notes how many rows
// each table it appends to holds; before a row is written over, its bytes.
// Rows are marked deleted only once the change is committed: the rows are
// noted with a commit line, then marked. So a journal without its commit
// line is taken back (the rows appended since marked deleted, the rows
// written over restored), and one with it is completed (its rows marked
// deleted again). Both are safe to repeat, should the program be killed
// while doing them.
//
// One change at a time per data folder; the program holds the folder alone.
class TableJournal
{
public:
    using Row = QPair<std::shared_ptr<DbfFile>, int>;

    // Completes or takes back what an earlier journal left (see recover());
    // throws DbError when that cannot be done, so that nothing is written
    // over a change still open.
    explicit TableJournal(Database *db);
    // Removes the journal file once nothing is left open in it.
    ~TableJournal();
    TableJournal(const TableJournal &) = delete;
    TableJournal &operator=(const TableJournal &) = delete;

    // Starts a change that appends to these files. Throws DbError when the
    // journal cannot be written (nothing written then).
    void begin(const QList<std::shared_ptr<DbfFile>> &appendedTo);
    // Before a row of an open change is written over.
    void keepRow(const std::shared_ptr<DbfFile> &file, int recno);
    // The change stands, with these rows to be marked deleted. Throws
    // DbError when the commit line cannot be written: take the change back
    // then.
    void commit(const QList<Row> &deletions);
    // Marks the rows of the committed change and empties the journal.
    // Throws DbError when a row cannot be marked: the change stands, and
    // the next begin(), the destructor or start-up marks the rest.
    void complete();
    // Takes the open change back. Throws DbError when a row cannot be
    // written; start-up tries again.
    void rollback();

    // At start-up, before anything else writes: completes or takes back the
    // change that a killed program left in the folder's journal. Throws
    // DbError naming the journal and the table when it cannot; the journal
    // is kept for the next try.
    static void recover(Database &db);
    static QString fileName();

private:
    Database *m_db;
    QFile m_file;
    QList<QPair<std::shared_ptr<DbfFile>, int>> m_counts;   // rows before the change
    QList<QPair<Row, QByteArray>> m_kept;                   // rows as they were
    QList<Row> m_pendingDeletions;   // of a committed change not yet all marked
    bool m_open = false;

    QString path() const;
    [[noreturn]] void failWriting() const;
    void write(const QByteArray &lines);
    void clear();
    void markDeleted();
    static QString fileNameOf(const DbfFile &file);
};
