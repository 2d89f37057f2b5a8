#pragma once
#include <QStringList>

class Database;
class Query;
class QWidget;

// The own-unit profile (dwqk.dbf): the fifteen first-unit values that page 4
// can fill itself from. It is one row: a save rewrites the rows the table
// holds and makes the row only when the table is empty.
namespace OwnUnitProfile {

// The profile's columns, in the order of the values a save takes.
const QStringList &columns();

// Writes one value per column. The values are bound to the statement, never
// joined into its text. Throws DbError.
void store(Database &db, const QStringList &values);

// The profile read afresh for a window that fills itself from it. Without a
// unit name the user is told to set the profile first and the fill ends
// (Abort).
const Query &readForFill(Query &profile, QWidget *parent);

} // namespace OwnUnitProfile
