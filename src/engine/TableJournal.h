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
// not at all, also when the program is killed or the power fails at any
// instant of it.
//
// A change appends rows, writes over rows and marks rows deleted. Before
// its first write the journal file in the data folder notes how many rows
// each table it appends to holds, and before each append the rows it is
// about to append; rows written over are noted with their bytes before
// they are written. Rows are marked deleted only once the change is
// committed: the rows are noted with a commit line, then marked. So a
// journal without its commit line is taken back (the rows it appended
// marked deleted, the rows written over restored: a row that another
// writer appended afterwards stays), and one with it is completed (its
// rows marked deleted again). Both are safe to repeat, should the program
// be killed while doing them.
//
// The notes of rows appended are not waited for: a killed program leaves
// them to the system, which writes them out. A power cut may lose them,
// so a journal from before the system last started takes back every row
// from the count noted first to the end (no copy of the program writes to
// a folder whose journal it could not settle: see recover()).
//
// The journal gets the permissions and group of a table of the change,
// not those the umask and main group of its user leave: whoever may write
// the tables can settle it.
//
// What reaches the disk, in this order (each step waits for the one
// before): the journal's notes (and the journal's entry in its folder)
// before the first row of the change is written; every table written,
// with its memo file, before the commit line; the commit line before a
// row is marked deleted; the marked tables before the journal is emptied
// or removed. A power cut at any instant thus finds on the disk either
// the notes to take the change back or the commit line to complete it.
//
// Several records may share one change (a savepoint each), so that what
// waits for the disk is paid per change, not per record.
//
// One change at a time per data folder; the program holds the folder alone.
class TableJournal
{
public:
    using Row = QPair<std::shared_ptr<DbfFile>, int>;
    // Rows of a file that a change appended: [first, first + rows).
    struct Appended
    {
        std::shared_ptr<DbfFile> file;
        int first = 0;
        int rows = 0;
    };
    // Where a change stood: rollbackTo() takes back what came after.
    struct Savepoint
    {
        qsizetype appended = 0;
        qsizetype kept = 0;
        qsizetype writtenOver = 0;
    };

    // Completes or takes back what an earlier journal left (see recover());
    // throws DbError when that cannot be done, so that nothing is written
    // over a change still open.
    explicit TableJournal(Database *db);
    // Removes the journal file once nothing is left open in it.
    ~TableJournal();
    TableJournal(const TableJournal &) = delete;
    TableJournal &operator=(const TableJournal &) = delete;

    // Starts a change that appends to these files and writes over or marks
    // rows of those (the journal takes the permissions and group of the
    // first of them all). Throws DbError when the journal cannot be
    // written or does not reach the disk (nothing written to the tables
    // then).
    void begin(const QList<std::shared_ptr<DbfFile>> &appendedTo = {},
               const QList<std::shared_ptr<DbfFile>> &writtenTo = {});
    Savepoint savepoint() const;
    // Takes back what the open change did since the savepoint; the change
    // stays open. Throws DbError when a row cannot be written.
    void rollbackTo(const Savepoint &point);
    // A row of an open change is to get these values: the row is composed
    // now (DbError for a value its field cannot take, nothing noted then)
    // and written over at commit, after its bytes were noted.
    void writeOver(const std::shared_ptr<DbfFile> &file, int recno, const QList<QPair<int, QVariant>> &values);
    // The change stands, with these rows to be marked deleted. Throws
    // DbError when the change cannot be brought to the disk or its commit
    // line cannot be written: take the change back then.
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
    // DbError naming the journal, or the table, and why, when it cannot
    // (the journal cannot be read, is damaged, a table cannot be written);
    // the journal is kept for the next try, and the caller keeps every
    // table from writes until then.
    static void recover(Database &db);
    static QString fileName();

private:
    struct WriteOver
    {
        Row row;
        QByteArray bytes;
    };
    Database *m_db;
    QFile m_file;
    bool m_created = false;   // its folder entry is on the disk
    QList<QPair<std::shared_ptr<DbfFile>, int>> m_counts;   // rows before the change
    QList<Appended> m_appended;
    QList<QPair<Row, QByteArray>> m_kept;                   // rows as they were
    QList<WriteOver> m_writtenOver;                         // waiting for the commit
    QList<Row> m_pendingDeletions;   // of a committed change not yet all marked
    bool m_open = false;

    QString path() const;
    [[noreturn]] void failWriting() const;
    void create(const QList<std::shared_ptr<DbfFile>> &tables);
    void write(const QByteArray &lines);
    void noteAppend(const std::shared_ptr<DbfFile> &file, int first, int rows);
    void watchAppends(bool on);
    void clear();
    void markDeleted();
    void keepAndWriteOver();
    QList<std::shared_ptr<DbfFile>> filesOfChange() const;
    static QString fileNameOf(const DbfFile &file);
};
