#pragma once
#include "DataSet.h"
#include "DbfFile.h"

#include <QHash>
#include <QPointer>

// A field as the dataset shows it: a column of its rows or a lookup.
struct DataSetField
{
    DbfField def;      // name, type, width and decimals
    int source = -1;   // file field index (live rows) or column (fixed rows)
    int lookup = -1;   // index into the lookups; -1 for an own field
};

struct LookupDefinition
{
    QString name;
    QString keyField;
    QPointer<DataSet> dataSet;
    QString matchField;
    QString resultField;
    // Result by key text, valid while the lookup dataset's rows and file
    // are those it was built from.
    QHash<QString, QVariant> cache;
    bool cached = false;
    quint64 cachedGeneration = 0;
    quint64 cachedResets = 0;
};

struct DataSet::Private
{
    Database *db = nullptr;
    bool open = false;
    State state = Inactive;

    // Live rows: a file and record numbers (negative ones are rows a
    // subclass holds back, such as cached appends).
    std::shared_ptr<DbfFile> file;
    QList<int> recnos;
    quint64 seenGeneration = 0;
    bool syncing = false;
    // Fixed rows: values by column.
    QList<QList<QVariant>> fixedRows;

    int current = -1;
    bool bof = true;
    bool eof = true;

    QList<DataSetField> fields;
    QHash<QString, int> fieldByName;  // lower-cased name -> index
    // The stored, lower-case and upper-case spelling of each name -> the
    // index fieldByName gives for it.
    QHash<QString, int> fieldBySpelling;

    // Kept across close and open.
    QHash<QString, QString> titles;  // lower-cased name -> title
    QHash<QString, TextFit> fits;
    QList<LookupDefinition> lookups;

    // The row being edited or inserted: changed values by field index.
    QHash<int, QVariant> buffer;
    bool modified = false;
    int editRecno = -1;  // the record an edit writes to

    quint64 resets = 0;  // counts rowsReset, so lookups notice new rows

    bool live() const { return file != nullptr; }
    int rowCount() const { return live() ? int(recnos.size()) : int(fixedRows.size()); }
};
