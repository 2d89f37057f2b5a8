#pragma once
#include <QString>
#include <QStringList>

// File chores of the benchmark: names resolved without regard to case, the
// table files with their memo files, sizes and plain copies.
namespace BenchFiles {

// The files the program packs at every start, in its order.
const QStringList &packedTables();

// Path of the file of that name in the folder, compared without regard to
// case; folder + name as given when there is none.
QString resolve(const QString &folder, const QString &fileName);
// The table file and, when present, its memo file (.dbt).
QStringList tableFiles(const QString &folder, const QString &tableFileName);
// The table and memo files of packedTables().
QStringList packedFiles(const QString &folder);
// Every table and memo file of the folder.
QStringList allTableFiles(const QString &folder);
qint64 totalSize(const QStringList &paths);
// Copies the files into the folder (made when missing); throws DbError.
void copyInto(const QStringList &paths, const QString &folder);

} // namespace BenchFiles
