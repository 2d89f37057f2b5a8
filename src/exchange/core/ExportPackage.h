#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class Archiver;
class DataSet;
class Database;

// What an export writes, without windows: the seven text files of the
// package for chosen achievement records, the export marks, and putting a
// finished archive in its place. Every failure throws DbError.
namespace ExportPackage {

// Writes the seven text files into folder (a folder of our own; files of
// the same names are replaced): KJCG.TXT from the rows of `records` (a
// dataset over kjcg) at the given positions, in that order; the child files
// with exactly the rows of those records, matched on number and region, in
// their stored order; UNIT.TXT and EXPERT.TXT with every row of their
// tables. Returns the paths in the order of the package. A control
// character of a value goes as a blank; notes, when given, receives what
// the user is told of them (one line per file; empty when there were none).
QStringList writeFiles(Database &db, const DataSet &records, const QList<int> &rows, const QString &folder,
                       QString *notes = nullptr);

// ITEM_SJDC '1' on the rows at the given positions (edited and posted).
void markExported(DataSet &records, const QList<int> &rows);

// ITEM_SJDC '0' on every row of kjcg; rows that hold it already are not
// written again. Returns the rows written.
int resetMarks(Database &db);

// "cgsbqy.arj".
QString archiveName();
// The package archive in the folder (its name in any case); empty when none.
QString archiveIn(const QString &folder);
// Packs the seven text files of the folder into the archive there; returns
// its path.
QString pack(Archiver &archiver, const QString &folder);

// Puts the archive file into the folder under its own name, in place of a
// file of that name in any case; the old one stays until the new one is
// complete. The source, a file of the caller's work folder, may be gone
// afterwards (moved where the folder lies on the same disk).
void placeArchive(const QString &archivePath, const QString &folder);

} // namespace ExportPackage
