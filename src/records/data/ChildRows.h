#pragma once
#include "records/data/Numbering.h"

#include <QString>
#include <memory>

class Database;
class Query;
class TDM;

// The child rows of one record (cooperating units, completing persons,
// evaluation committee, patents), read by the record's key: its number and
// its region, bound as values and compared exactly, never joined into a
// filter text where "*" would mean "begins with". Each read is a query of
// the caller's own: no window's dataset, filter or position is touched.
namespace ChildRows {

enum class Kind { Units, Persons, Committee, Patents };

// The table file of a kind and the serial field that orders its list.
QString tableOf(Kind kind);
QString serialOf(Kind kind);

// The record's rows of a kind in list order (serial, then as stored),
// open, with the kind's lookup fields; of the patents only those of
// `patentStatus` when one is given.
std::unique_ptr<Query> read(TDM &dm, Kind kind, const Numbering::RecordKey &key,
                            const QString &patentStatus = {});
// How many rows of a kind the record has.
int count(Database *db, Kind kind, const Numbering::RecordKey &key);
// Deletes the record's kjcg row with its rows of every kind as one change
// of the journal: a kill or a power cut at any instant leaves the record
// whole or gone with all its rows, never child rows that a later record of
// that number would inherit. Returns the rows deleted. Throws DbError
// (nothing deleted then, or the change stands and start-up completes it).
int deleteRecord(Database *db, const Numbering::RecordKey &key);

} // namespace ChildRows
