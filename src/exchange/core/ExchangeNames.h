#pragma once
#include <QString>
#include <QStringList>

// Names of the exchange package: the seven text files (one per table) and
// the archives that carry them. File names are written upper case and found
// without regard to case.
namespace ExchangeNames {

inline const QString Kjcg = QStringLiteral("KJCG");
inline const QString Cgwcdw = QStringLiteral("CGWCDW");
inline const QString Cgwcr = QStringLiteral("CGWCR");
inline const QString Jdwyhmd = QStringLiteral("JDWYHMD");
inline const QString Zlqk = QStringLiteral("ZLQK");
inline const QString Unit = QStringLiteral("UNIT");
inline const QString Expert = QStringLiteral("EXPERT");

// The archive the export writes and the one the import asks for.
inline const QString ExportArchive = QStringLiteral("cgsbqy.arj");
inline const QString ImportArchive = QStringLiteral("CGSBQY.ARJ");

// The seven names in the order of the package.
QStringList all();
// The five that carry achievement records (KJCG to ZLQK).
QStringList records();
// The seven text files ("KJCG.TXT" ...), in the order of the package.
QStringList allFiles();
// The five text files of achievement records.
QStringList recordFiles();

// "KJCG" -> "KJCG.TXT"
QString fileName(const QString &name);
// "KJCG" -> "KJCGtemp.dbf"
QString stagingTable(const QString &name);

// Full path of the file in the folder whose name equals fileName without
// regard to case; empty when there is none.
QString findFile(const QString &folder, const QString &fileName);

} // namespace ExchangeNames
