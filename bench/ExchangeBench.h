#pragma once
#include "EngineBench.h"

#include <QString>
#include <QStringList>

class Database;

// The exchange files of a full export: every record of the folder with its
// children, and the unit's two files.
namespace ExchangeBench {

// Writes the seven files into outDir (made when missing); returns the paths.
QStringList writeFiles(Database &db, const QString &outDir, qint64 *rows = nullptr);
// The five files that carry records, among paths.
QStringList recordFiles(const QStringList &paths);

// Writing the seven files from the folder's tables.
EngineBench::Figure exportFiles(const QString &folder, const QString &scratchRoot);
// Reading the five record files into empty staging tables, as an import does.
EngineBench::Figure importFiles(const QString &folder, const QString &scratchRoot);

} // namespace ExchangeBench
