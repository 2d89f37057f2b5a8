#pragma once
#include <QStringList>

class Database;

// The own-unit profile (dwqk.dbf): the fifteen first-unit values that page 4
// can fill itself from. It is one row: a save rewrites the rows the table
// holds and makes the row only when the table is empty.
namespace OwnUnitProfile {

// The profile's columns, in the order of the values a save takes.
const QStringList &columns();

// Writes one value per column. The values are bound to the statement, never
// joined into its text. Throws DbError.
void store(Database &db, const QStringList &values);

} // namespace OwnUnitProfile
