#pragma once
#include <QString>
#include <QStringList>

// Reading SQL texts just far enough to know what they do: whether a select
// gives rows of one table that can be written back, and how to ask SQLite
// for those rows' record numbers.
namespace SqlText {

// The first keyword of the statement, lower case ("select", "delete", ...).
QString firstKeyword(const QString &sql);

// A select whose rows are rows of one table file.
struct LiveSelect
{
    bool live = false;
    QString table;         // as written after FROM
    QStringList columns;   // named columns in order; empty for "*"
    QString recnoSql;      // the statement giving only the record numbers
    bool wholeTable = false;   // nothing after the table: every live row, in file order
};

// The name of the rowid column that recnoSql selects.
inline constexpr const char *RecnoColumn = "__recno__";

// Live when the statement selects "*" or plain column names from exactly one
// table, with no DISTINCT, GROUP BY, aggregate or other function in the
// column list, no join and no compound select.
LiveSelect analyseSelect(const QString &sql);

// The table named by an SQLite "no such table: X" message, else empty.
QString missingTable(const QString &sqliteMessage);

} // namespace SqlText
