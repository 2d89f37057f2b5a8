#pragma once
#include "EngineBench.h"

#include <QString>
#include <QStringList>

// The export window driven as the user drives it, on the offscreen
// platform: opening it (every row's export mark back to '0'), and the whole
// export of every record (selection, the seven files, the marks, the
// archive made by arj and put in the chosen folder).
namespace ExportBench {

// Operation names the child accepts; they need a QApplication.
inline const QStringList kOperations = { QStringLiteral("exportopen"), QStringLiteral("exportall") };

// The statement the reference runs for the opening.
inline const char *const kResetSql = "update kjcg set ITEM_SJDC='0'";
inline const char *const kMarkSql = "update kjcg set ITEM_SJDC='1'";

// The window opened after every row was marked exported. count: rows.
EngineBench::Figure openWindow(const QString &folder, const QString &scratchRoot);
// "全部" and "导出" into an empty folder. count: records exported.
EngineBench::Figure exportAll(const QString &folder, const QString &scratchRoot);

// The reference of the whole export: arj alone packing the seven files
// that the exchange writer makes of every record.
double arjPackSeconds(const QString &folder, const QString &scratchRoot);

} // namespace ExportBench
