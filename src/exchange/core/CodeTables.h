#pragma once
#include <QString>

class Database;

// Replacing the rows of an option table of the data folder (the project
// source sub-classes, the library and subject classifications, the
// ministries), from a text file of the exchange format or from a ready
// table file. Either way the new table is made complete beside the old one
// and then takes its place, so that on any failure the table stays as it
// was. Every dataset on the table must be closed first. Failures throw
// DbError naming the file (and the line of a damaged text file).
namespace CodeTables {

// Whether the name of the file, without its folder, is `expected`, without
// regard to case.
bool isNamed(const QString &path, const QString &expected);

// The table's rows become the records of the text file. Returns the rows.
// A file without records is refused.
int replaceFromText(Database &db, const QString &tableFile, const QString &textPath);

// The table file becomes a copy of the chosen one, which must be another
// file than the table's own and a table with the same fields (names and
// types, in order). A missing optional classification table is compared
// with the other classification tables' layout.
void replaceFromTableFile(Database &db, const QString &tableFile, const QString &chosenPath);

} // namespace CodeTables
