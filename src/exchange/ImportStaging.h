#pragma once
#include "engine/DbError.h"
#include "records/data/Numbering.h"

#include <QString>
#include <QStringList>
#include <functional>

class Database;
class DataSet;
class Table;

// The import's staging tables and what is done to a package while it waits
// there: loading its text files, the counts by category, removing and
// renaming staged records and moving one to another year. No windows.
//
// Each staging table has the columns of its main table in the same order
// ("KJCGtemp.dbf" for kjcg, ...); a staged record's child rows carry its key.
namespace ImportStaging {

// The staged achievements.
QString kjcgTable();
// The staging tables of the four child lists.
const QStringList &childTables();

// Whether the file is an exchange package by name: "CGSBQY.ARJ", the whole
// name, without regard to case.
bool isPackageName(const QString &path);
// Whether the file is a package of the older naming, "CGSB", a code of one
// to three characters and ".ARJ"; the code is given back.
bool isOldPackageName(const QString &path, QString *code = nullptr);

// What the user is told of an archive's members that are no file of a
// package and were not unpacked; empty when there were none.
QString skippedMembersNote(const QStringList &members);

// Empties every staging table, the unit's among them.
void clearAll(Database *db);

// What a load brought.
struct LoadResult
{
    int rows = 0;        // rows of all files
    int shortLines = 0;  // lines with fewer values than their table has columns
    int blankedControls = 0;  // control characters of values stored as blanks
    bool mainFileMissing = false;   // the package lacks KJCG.TXT
    // Per file: its rows that belong to no staged achievement (they are
    // never stored).
    QList<QPair<QString, int>> orphans;

    // What the user is told of the above, one line each; empty when all is
    // well.
    QString notes() const;
};

// Calls that keep a window informed while loading: the text that says which
// file is being read, and a call before each record.
struct LoadProgress
{
    std::function<void(const QString &text)> file;
    std::function<void()> record;
};

// The folder holds too few of the package's files to be one.
class NotAPackage : public DbError
{
public:
    using DbError::DbError;
};

// Loads the text files of an unpacked package in `folder` into the staging
// tables, after what is staged already, and numbers the staged list 1..N.
// Fewer than five of the six files KJCG, CGWCDW, CGWCR, JDWYHMD, ZLQK and
// UNIT: NotAPackage "文件的格式不正确". A file that cannot be read throws DbError
// naming the file and line, and the rows of this load are taken out again
// with their memo texts, their space given back: a package is staged whole
// or not at all.
LoadResult load(Database *db, const QString &folder, const LoadProgress &progress = {});

// Writes 1..N into `no` in the order of the rows.
void numberList(Table &staged);

struct CategoryCounts
{
    int total = 0;
    int applied = 0;  // '1' 应用技术
    int soft = 0;     // '2' 软科学
    int basic = 0;    // '3' 基础理论

    QString totalText() const;   // "记录条数:6条；"
    QString detailText() const;  // "其中：应用技术3条，基础理论2条，软科学1条。"
};
CategoryCounts countCategories(Database *db);

// The key of the staged record that is the current row.
Numbering::RecordKey keyOf(const DataSet &staged);

// Whether the main table holds a record of that title (trimmed).
bool titleInMain(Database *db, const QString &title);
// The first row at or after `from` whose title the main table holds; -1.
int nextDuplicate(Table &staged, int from);

// Removes the current staged record and its staged child rows, numbers the
// list again and makes the row that followed current.
void deleteCurrent(Table &staged);
// Gives the current staged record the title.
void renameCurrent(Table &staged, const QString &title);

// Moves the current staged record and its staged child rows to the next
// number of the year among the staged records (the main table numbers it
// again when it is stored). The year must be four digits from 1900 to 2050.
// Returns the new number. Throws DbError; on failure every row keeps its
// old number.
QString changeYear(Table &staged, const QString &year);

} // namespace ImportStaging
