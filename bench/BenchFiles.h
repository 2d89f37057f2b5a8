#pragma once
#include <QString>
#include <QStringList>

// File chores of the benchmark: the table files with their memo files,
// sizes and plain copies.
namespace BenchFiles {

// The table file and, when present, its memo file (.dbt).
QStringList tableFiles(const QString &folder, const QString &tableFileName);
// The table and memo files of those the program packs at every start.
QStringList packedFiles(const QString &folder);
// Every table and memo file of the folder.
QStringList allTableFiles(const QString &folder);
qint64 totalSize(const QStringList &paths);
// Copies the files into the folder (made when missing); throws DbError.
void copyInto(const QStringList &paths, const QString &folder);

} // namespace BenchFiles
