#pragma once
#include <QString>

struct sqlite3;
class Database;

// The SQL face of the table files: the virtual table module "dbf" (one
// virtual table per table file, rowid = record number) and the collation
// "GBK" under which text columns compare as their GBK bytes.
namespace SqlModule {

// Registers the module and the collation on a new connection; throws
// DbError when SQLite refuses them.
void install(sqlite3 *db, Database *database);

// The statement that makes a table file known under the given SQL name.
QString createStatement(const QString &sqlName, const QString &fileName);

} // namespace SqlModule
