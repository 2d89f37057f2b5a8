#pragma once
#include <QHash>
#include <QString>
#include <QVariantMap>
#include <memory>

struct sqlite3;
class DbfFile;

// One data folder: the shared handles of its table files and one SQLite
// in-memory connection in which every table file of the folder is a virtual
// table of module "dbf" (rowid = record number).
//
// Table file names are resolved against the folder without regard to case;
// a new name keeps the spelling given.
class Database
{
public:
    explicit Database(const QString &folder);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString folder() const;
    // Full path of the file in the folder whose name equals fileName without
    // regard to case; folder + fileName as given when there is none.
    QString resolvePath(const QString &fileName) const;
    // The same in any folder, before a Database is made on it.
    static QString resolveIn(const QString &folder, const QString &fileName);
    bool fileExists(const QString &fileName) const;
    // ".dbf" is added to a table name that has no extension.
    static QString tableFileName(const QString &tableName);

    // The one open handle of that table file in this process. Throws DbError
    // when the file is missing or damaged.
    std::shared_ptr<DbfFile> file(const QString &tableName);
    // Packs the file (see DbfFile::pack: rows marked deleted removed, the
    // memo file compacted once a quarter of it is unused).
    // Throws DbError when a dataset still has the file open ("in use").
    void pack(const QString &tableName);
    // Forgets the cached handle (after a file was replaced on disk). Throws
    // DbError when a dataset still has it open.
    void release(const QString &tableName);

    // From now on every table of the folder, open or opened later, refuses
    // writes with this text, and so do a pack and a table replaced whole
    // (a table refused already keeps its own reason).
    void refuseWrites(const QString &reason);
    // Throws DbError with that text once writes are refused.
    void checkWritable() const;

    // The SQL connection; every statement of the program runs here.
    sqlite3 *sqlite();
    // Makes a table file of the folder known to SQL under its base name. Done
    // for every file when the connection opens, and for a file added later
    // when a statement names it. False when the folder holds no such file.
    bool addSqlTable(const QString &tableName);
    // Runs a statement that returns no rows, with named parameters (":name"
    // in the text, "name" as key) bound as values; returns the rows changed.
    int execute(const QString &sql, const QVariantMap &params = {});
    // A text made safe to stand inside single quotes in SQL.
    static QString escapeSql(const QString &text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
