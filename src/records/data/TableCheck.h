#pragma once
#include <QList>
#include <QString>

class Database;

// The table files of the data folder held against the fields the program
// expects of them (the layouts it ships, compiled in): a missing field, a
// field of another kind, or damage the engine finds in a file (a header
// that claims rows the file does not hold, a record length the fields do
// not make, a memo file's bad next-free pointer). A file found unfit is
// left readable, so that what it holds can still be exported, and every
// write to it is refused.
namespace TableCheck {

struct Problem
{
    QString fileName;   // as spelled in the folder
    QString what;       // Chinese, without the file name
};

// Checks every expected table file that the folder holds.
QList<Problem> check(Database &db);

// "表文件“kjcg.dbf”已损坏：…": the text a user is shown for a problem.
QString message(const Problem &problem);

} // namespace TableCheck
