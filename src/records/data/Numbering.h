#pragma once
#include <QString>
#include <QStringList>

class Database;
class DataSet;

// Registration numbers and the main items of an achievement record.
//
// A registration number `item_4` is the four-digit year followed by a
// six-digit serial that counts per year over the whole kjcg table, across
// the three categories. A new number is the largest of its year plus one;
// numbers are never reused, so a record that leaves a year leaves a gap.
// A record is found by its key, the number together with its region code
// `item_dqdm`; its child rows carry the same key.
namespace Numbering {

struct RecordKey
{
    QString item4;
    QString region;
    bool isEmpty() const { return item4.isEmpty(); }
    bool operator==(const RecordKey &other) const = default;
};

// The region code of every record this program numbers.
QString ownRegion();

// Four digits, 1900 to 2050.
bool isValidYear(const QString &year);
// What the user is told of a year that isValidYear refuses.
QString invalidYearText();

// The number that follows `largest`, the largest number of the year ("" when
// the year has none). Throws DbError when the year's serials are used up.
QString numberAfter(const QString &year, const QString &largest);
// Whether the text has the form of a registration number: ten digits.
bool isRegistrationNumber(const QString &number);
// The largest well-formed number (year and six digits) of the year in kjcg,
// or in another table of achievements (the import's staging table).
QString largestNumber(Database *db, const QString &year, const QString &table = QStringLiteral("kjcg"));
// The largest of the year over several tables (file names of the folder).
QString largestNumberOf(Database *db, const QString &year, const QStringList &tables);
// The number after the largest of the year in kjcg and in the child tables:
// child rows left behind by a delete that failed half way are never
// inherited by a new record. Throws DbError for a year that isValidYear
// refuses.
QString nextNumber(Database *db, const QString &year);

// Whether a record other than `own` carries the name (compared exactly, so
// the caller trims it). An empty `own` counts every record.
bool nameTaken(Database *db, const QString &name, const RecordKey &own = {});

// The tables whose rows belong to a record by its key, in the order they are
// re-keyed: cooperating units, patents, committee, completing persons.
const QStringList &childTables();
// Gives every child row of `from` the key `to`; returns the rows moved.
// Throws DbError; the rows moved until then keep the new key.
int rekeyChildren(Database *db, const RecordKey &from, const RecordKey &to);
// The same over the rows of the given table files.
int rekeyRows(Database *db, const QStringList &tables, const RecordKey &from, const RecordKey &to);

// What the new-record dialog asks for.
struct MainItems
{
    int categoryIndex = 0;  // 0 "应用技术", 1 "软科学", 2 "基础理论"
    QString year;
    QString name;           // trimmed
    QString firstUnit;      // trimmed
    QString managementNumber;
};

// The place a new record takes in the list of its category and year: after
// the records that list holds.
int newListPlace(Database *db, int categoryIndex, const QString &year);

// Appends a kjcg row with the next number of the year; the other fields stay
// empty. listPosition goes into `no`. Throws DbError (nothing is left behind).
RecordKey storeNewRecord(Database *db, const MainItems &items, int listPosition);

// Writes the main items into the record `old`. A new year gives the record
// the next number of that year and moves its child rows with it; the main row
// is posted first, and when its children cannot follow, the children already
// moved and the main row's number are put back before the DbError goes on.
// Returns the record's key afterwards.
RecordKey storeModifiedRecord(Database *db, const RecordKey &old, const MainItems &items);

// Empties the fields that only the other category group fills, and an
// evaluation form that the record's group does not offer.
void clearFieldsOfOtherCategories(DataSet &record, const QString &category);

} // namespace Numbering
