#pragma once
// What the report pages are filled from: the current record, its child
// lists as the print preparation left them, the code lookups, and the print
// window's three in-memory tables that the list pages print.

#include "report/Report.h"

class CodeLookup;
class DataSet;

struct PrintData
{
    DataSet *record = nullptr;     // its current row is the record
    DataSet *units = nullptr;      // cooperating units, by serial
    DataSet *persons = nullptr;    // completing persons, by serial
    DataSet *committee = nullptr;  // evaluation committee, by serial
    DataSet *patents = nullptr;    // the record's patents, in table order
    const CodeLookup *codes = nullptr;

    // The rows the list pages print.
    report::DataTable *committeeRows = nullptr;  // ClientDataSet1
    report::DataTable *personRows = nullptr;     // ClientDataSet2
    report::DataTable *unitRows = nullptr;       // ClientDataSet3

    // A field of the record as text ("" without a record).
    QString field(const QString &name) const;
};
