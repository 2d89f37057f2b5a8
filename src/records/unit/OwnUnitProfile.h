#pragma once
#include <QList>
#include <QString>
#include <utility>

class Database;
class Query;
class QWidget;

// The own-unit profile (dwqk.dbf): the fifteen first-unit values that page 4
// can fill itself from. It is one row: a save rewrites the rows the table
// holds and makes the row only when the table is empty.
namespace OwnUnitProfile {

// A column of the profile and the value a save writes into it.
using ColumnValues = QList<std::pair<QString, QString>>;

// Writes the values into their columns. The values are bound to the
// statement, never joined into its text. Throws DbError.
void store(Database &db, const ColumnValues &values);

// The profile read afresh for a window that fills itself from it. Without a
// unit name the user is told to set the profile first and the fill ends
// (Abort).
const Query &readForFill(Query &profile, QWidget *parent);

} // namespace OwnUnitProfile
