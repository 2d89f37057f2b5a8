#pragma once
#include "EngineBench.h"
#include "SqliteReference.h"

#include <QString>

// Storing staged records: a tenth of the folder's achievements (2,000 of
// 20,000) with their child rows staged as an import leaves them, then
// stored into the folder's main tables, beside native SQLite inserting the
// same rows into the reference tables in one transaction.
namespace ImportBench {

// The engine's side (child operation "store"), on fresh copies of the main
// tables for each repetition. count: rows written.
EngineBench::Figure storeStaged(const QString &folder, const QString &scratchRoot);
// The same staged records stored by "同名覆盖" (child operation
// "overwrite"): each has the title of the main record it was sampled from,
// which it replaces. count: records replaced.
EngineBench::Figure overwriteStaged(const QString &folder, const QString &scratchRoot);

// The reference's side: the child tables are copied into the reference
// first (untimed), then the staged rows are inserted.
EngineBench::Figure nativeInserts(const QString &folder, SqliteReference &reference);

} // namespace ImportBench
