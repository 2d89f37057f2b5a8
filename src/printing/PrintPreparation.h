#pragma once
// What the main window's "打印" does before the print window opens: the
// record's intellectual-property forms get their ";", the record must be
// complete, its child lists are read again in their order, and a record
// with patents but no patent status or types gets both derived and stored.

#include <QString>
#include <functional>

class DataSet;
class QWidget;
class TDM;

namespace PrintPreparation {

// "1" → "1;"; a text that already holds a ";" stays as it is.
QString withSemicolon(const QString &item51);

struct PatentFields
{
    QString status;  // ITEM_51_1: "3" any granted, else "2" any applied, else "1"
    QString types;   // patent_ty: the types that occur, ascending, each with ";"
};
// From every row of the patents dataset, first to last.
PatentFields derivePatentFields(DataSet &patents);

// Runs the preparation on the data module's current record; true when the
// print window may open. recordComplete marks the sections and tells
// whether every required one is done. Errors while storing are shown in a
// box captioned "提示" and end the preparation.
bool prepare(TDM &dm, const std::function<bool()> &recordComplete, QWidget *parent);

} // namespace PrintPreparation
