#pragma once
#include "EngineBench.h"

#include <QString>
#include <QStringList>

// The program's own start-up and list switch, driven as the user drives
// them but without a screen: the windows are made on the offscreen platform
// and never shown, and the five-second splash is left out. Each operation
// works on fresh copies of the folder's table files, because start-up packs
// them and every list load renumbers its rows.
namespace RecordsBench {

// Operation names the child accepts; they need a QApplication.
inline const QStringList kOperations = { QStringLiteral("startup"), QStringLiteral("switch"),
                                         QStringLiteral("query"), QStringLiteral("page"),
                                         QStringLiteral("person"), QStringLiteral("page3") };

// The list the switch shows: the first category of the year before the
// newest, so that it is a full year and differs from the list shown at
// start-up (the newest year).
inline constexpr int kSwitchCategory = 0;
QString switchYear();
// The SELECT of that list, as the main window runs it.
QString switchSql();

// Every window and the data module made as the program makes them (packing
// the 18 files, opening the datasets), then the main window filled as when
// it is first shown. count: rows of the first list.
EngineBench::Figure startUp(const QString &folder, const QString &scratchRoot);
// The category and year chosen (load, marks, renumbering, lock) on a main
// window already started. count: rows listed.
EngineBench::Figure switchList(const QString &folder, const QString &scratchRoot);

// The query builder's search on the list shown at start-up: a name that
// contains a common word, joined by "and" with a dictionary item.
QString queryCondition();
// The SELECT that search runs, as the main window runs it.
QString querySql();
// The condition built through the query panel's controls, then "查询"
// (search and renumbering of the result). count: rows listed.
EngineBench::Figure querySearch(const QString &folder, const QString &scratchRoot);

// Page 3 opened on the first record of the start-up list (filled from the
// record as its section button does, the window not shown), one field
// changed (评价单位) and "存储" (check, write, post). count: 1; detail: the
// record's registration number.
EngineBench::Figure page3Save(const QString &folder, const QString &scratchRoot);
// The text the run-th save writes.
QString page3SaveText(int run);
// Page 1 opened on the first record of the start-up list and saved
// unchanged (load, check, write, post), as "成果概况" and "储存" do. The
// detail starts with "build=SECONDS item4=NUMBER": building page 1's widgets
// once, and the record whose row the reference reads.
EngineBench::Figure pageSave(const QString &folder, const QString &scratchRoot);
// The reference's select of that record's row by its key: the engine finds
// the record by an index, so the reference is not held to a scan of the table.
QString pageRecordSql(qint64 rowid);
// Finding that key, untimed.
QString pageRowidSql(const QString &item4);

// A completing person added to the first record of the start-up list
// through page 8's dialog, as "新增" and "存储" do: the row stored, the
// record's persons renumbered, the register kept. count: the record's
// persons afterwards; detail "item4=NUMBER".
EngineBench::Figure personAdd(const QString &folder, const QString &scratchRoot);

// Boxes the program would have shown are answered and counted; a run that
// showed one is reported as failed.
void answerMessageBoxes();

} // namespace RecordsBench
