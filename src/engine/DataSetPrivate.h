#pragma once
#include <array>
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

// The row being edited or inserted: changed values by field index. A slot
// per field rather than a map: a loader sets every field of many rows.
class RowBuffer
{
public:
    bool contains(int field) const { return field < m_set.size() && m_set[field]; }
    QVariant value(int field) const { return contains(field) ? m_values[field] : QVariant(); }
    void insert(int field, QVariant value)
    {
        if (field >= m_set.size()) {
            m_set.resize(field + 1, false);
            m_values.resize(field + 1);
        }
        if (!m_set[field])
            m_changed.append(field);
        m_set[field] = true;
        m_values[field] = std::move(value);
    }
    // Keeps the slots for the next row.
    void clear()
    {
        for (int field : std::as_const(m_changed)) {
            m_values[field] = QVariant();
            m_set[field] = false;
        }
        m_changed.clear();
    }
    // The changed fields in the order they were first set.
    const QList<int> &changed() const { return m_changed; }

private:
    QList<QVariant> m_values;
    QList<bool> m_set;
    QList<int> m_changed;
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
    // Callers ask for fields by the same QString objects again and again (a
    // list of names, a literal): the object's text buffer finds its index
    // without hashing the name. A slot keeps its QString, so the buffer
    // stays alive and cannot come back holding another name.
    struct NameSlot
    {
        QString name;
        int index = -1;
    };
    static constexpr std::size_t NameSlots = 256;   // the slot is picked by 8 bits
    static constexpr std::size_t NameProbes = 8;
    mutable std::array<NameSlot, NameSlots> nameSlots;
    void forgetNames()
    {
        fieldBySpelling.clear();
        nameSlots.fill(NameSlot());
    }

    // Kept across close and open.
    QHash<QString, QString> titles;  // lower-cased name -> title
    QHash<QString, TextFit> fits;
    QList<LookupDefinition> lookups;

    RowBuffer buffer;
    bool modified = false;
    int editRecno = -1;  // the record an edit writes to

    quint64 resets = 0;  // counts rowsReset, so lookups notice new rows

    bool live() const { return file != nullptr; }
    int rowCount() const { return live() ? int(recnos.size()) : int(fixedRows.size()); }
};
