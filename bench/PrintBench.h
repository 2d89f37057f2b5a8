#pragma once
#include "EngineBench.h"

#include <QStringList>

// The printed persons list of a record with 45 persons: laid out by the
// report layer and drawn into a PDF, beside Qt's own rich-text document
// printing the same texts as a table into a PDF. Both need a GUI
// application (fonts), so both run in a child that makes one.
namespace PrintBench {

inline constexpr int kPersons = 45;
inline constexpr int kMembers = 59;
inline const QStringList kOperations = {QStringLiteral("print"), QStringLiteral("printref"),
                                        QStringLiteral("printall"), QStringLiteral("printallref")};

// count: pages written.
EngineBench::Figure personsList(const QString &folder, const QString &scratchRoot);
EngineBench::Figure personsReference(const QString &folder, const QString &scratchRoot);

// "全文" of an applied-technology record of the folder: every page of the
// set, the persons list with 45 persons and the committee with 59 members,
// drawn into one PDF; beside QTextDocument printing the same texts.
EngineBench::Figure wholeForm(const QString &folder, const QString &scratchRoot);
EngineBench::Figure wholeFormReference(const QString &folder, const QString &scratchRoot);

} // namespace PrintBench
