#pragma once
#include "Filter.h"

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>

class Database;
class DbfFile;
struct DbfField;
struct DataSetField;
namespace SqlText { struct LiveSelect; }

// Rows of a table file or of an SQL result, with a current row, navigation,
// editing and fields read and written by name (names without regard to case).
//
// Reading: value() gives the typed value (see DbfFile), asString() the text
// ("" for NULL; numbers and dates in the ValueText forms), isNull() is true
// for a blank field. Writing: setValue() takes a typed value, setString() a
// text that is converted by the field's type (a number or date that does not
// parse throws DbError naming the field). Text wider than its field is cut
// on a character boundary, or refused with DbError when the field's fit is
// set to Refuse; text GBK cannot hold is always refused.
//
// Editing: edit() or append() starts a change held in a row buffer, post()
// writes it, cancel() drops it. Every failing operation throws DbError and
// leaves the dataset in the state it had before the failing call (a failed
// post stays in Edit/Insert with the buffer intact, so the caller may cancel).
class DataSet : public QObject
{
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };
    enum LocateOption { NoLocateOptions = 0, PartialKey = 1, CaseInsensitive = 2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)
    enum TextFit { CutToWidth, Refuse };

    explicit DataSet(Database *db, QObject *parent = nullptr);
    ~DataSet() override;

    Database *database() const;
    void setDatabase(Database *db);  // closes the dataset first

    virtual void open() = 0;
    // Drops a row being edited that was not posted (as closing always did).
    virtual void close();
    bool isOpen() const;
    State state() const;

    // Navigation over the rows; positions run 0..recordCount()-1.
    int recordCount() const;
    bool isEmpty() const;
    int recNo() const;  // -1 when empty
    bool bof() const;
    bool eof() const;
    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);
    // Moves to the first row whose fields equal the values (PartialKey: the
    // last text value is a prefix). Returns false and stays when none does.
    bool locate(const QString &field, const QVariant &value, LocateOptions options = {});
    bool locate(const QStringList &fields, const QVariantList &values, LocateOptions options = {});

    // Fields: the table's own fields, then lookup fields.
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const;  // -1 when absent
    bool hasField(const QString &name) const;
    int fieldWidth(const QString &name) const;  // bytes; 0 for memo and lookup fields
    char fieldType(const QString &name) const;

    QVariant value(const QString &field) const;
    QString asString(const QString &field) const;
    double asNumber(const QString &field) const;
    QDate asDate(const QString &field) const;
    bool isNull(const QString &field) const;
    // Any row, for grids; does not move the current row.
    QVariant valueAt(int row, int fieldIndex) const;
    QString textAt(int row, int fieldIndex) const;
    // The GBK bytes that a text or memo field of a row holds in its file,
    // undecoded (decoded, they are textAt()), for writers that pass stored
    // text on unchanged. False when the value does not come from such bytes
    // (another type, a lookup field, fixed rows, a row being edited, a
    // change held back): ask textAt() then. The bytes stay valid until the
    // next call on the dataset or its file.
    bool storedGbk(int row, int fieldIndex, QByteArrayView *gbk) const;
    // For readers that take all fields of a row from one read of its record
    // (DbfFile::recordBytes): the file the rows come from (none for fixed
    // rows), the file's field that a field shows (-1 for a lookup field),
    // and the record a row is stored in; -1 when some value of the row is
    // not the record's (the row being edited, a change held back): read
    // that row field by field then.
    const DbfFile *storedFile() const;
    int storedField(int fieldIndex) const;
    int storedRecord(int row) const;

    void setValue(const QString &field, const QVariant &value);
    // Several fields by name as setValue() sets them, the views told of the
    // row once: a form writing all its fields does not redraw the row per
    // field. The fields before one that fails keep their new values.
    void setValues(const QList<std::pair<QString, QVariant>> &values);
    void setString(const QString &field, const QString &text);
    // A value as GBK bytes, the way a file of the exchange brings it: a text
    // or memo field keeps the bytes as they are (no decoding and encoding on
    // the way to its file; cut or refused like text), any other field takes
    // their text as setString does. Bytes that are no GBK text are refused
    // by the table file when the row is posted (DbError).
    void setGbk(const QString &field, const QByteArray &gbk);
    void setTextFit(const QString &field, TextFit fit);

    void edit();
    void append();
    void post();
    void cancel();
    void remove();  // deletes the current row (marks it deleted in the file)

    // Display title of a field (grid column header); the name when unset.
    void setFieldTitle(const QString &field, const QString &title);
    QString fieldTitle(const QString &field) const;

    // A display field whose value is resultField of the row of `lookup`
    // whose matchField equals this dataset's keyField.
    void addLookupField(const QString &name, const QString &keyField, DataSet *lookup,
                        const QString &matchField, const QString &resultField,
                        const QString &title = {});

signals:
    void rowsReset();           // opened, closed, refreshed, filtered: rows replaced
    void rowChanged(int row);   // a row's values changed (post, cancel)
    void currentChanged(int row);
    void stateChanged(DataSet::State state);

protected:
    // The row source a subclass provides once it is open: the file and the
    // record numbers of the rows in display order (live rows), or fixed
    // values (a result that is no single table's rows).
    void setLiveRows(std::shared_ptr<DbfFile> file, QList<int> recnos);
    // Live rows showing only the given fields of the file, in that order.
    void setLiveRows(std::shared_ptr<DbfFile> file, QList<int> recnos,
                     const QList<int> &fieldIndexes);
    void setFixedRows(QStringList names, QList<QList<QVariant>> rows);
    // Fixed rows whose columns' types and widths are known.
    void setFixedRows(const QList<DbfField> &columns, QList<QList<QVariant>> rows);
    void clearRows();
    std::shared_ptr<DbfFile> liveFile() const;
    QList<int> liveRecnos() const;
    // Replaces the live row list, keeping the current row by record number
    // (or its position when that row left).
    void replaceLiveRows(QList<int> recnos);
    // A row that was held back under one number is now stored under another.
    void renumberRow(int oldRecno, int newRecno);

    // Hooks for cached updates (Query) and for filters (Table).
    // Whether keepsRowAfterPost is asked at all (reading the row costs).
    virtual bool checksRowAfterPost() const;
    // record: the posted row's values in the file's field order.
    virtual bool keepsRowAfterPost(const QList<QVariant> &record) const;
    virtual void writeRow(int recno, const QList<QPair<int, QVariant>> &changes);
    virtual int writeNewRow(const QList<QPair<int, QVariant>> &values);
    virtual void deleteRow(int recno);
    virtual QVariant storedValue(int recno, int fieldIndex) const;
    // Whether storedValue() is what the file holds (not a change held back).
    virtual bool storedInFile(int recno, int fieldIndex) const;

    // Re-reads the row list when another dataset changed the file.
    virtual void refreshRows();
    // Posts a changed row buffer, drops an unchanged one.
    void checkBrowseMode();

public:
    struct Private;

private:
    void requireOpen() const;
    void requireEditing(const QString &field) const;
    void requireWritable() const;
    void syncRows() const;
    void setState(State state);
    void setCurrent(int row, bool bof, bool eof);
    void announceRowsReset();
    void openWith(QList<DataSetField> fields);
    int fieldAt(const QString &name) const;  // throws when absent
    QVariant cellValue(int row, int fieldIndex) const;
    QVariant storedCell(int row, int fieldIndex) const;
    // The field of a row when its value is the file's (not a lookup, not a
    // change being edited or held back), and the record it is stored in.
    const DataSetField *fieldAsStored(int row, int fieldIndex, int *recno) const;
    QVariant lookupValue(int lookupIndex, const QVariant &key) const;
    void rebuildLookupFields();
    bool rowMatches(int row, const QList<int> &fields, const QVariantList &values,
                    LocateOptions options) const;
    void setBufferValue(int fieldIndex, const QVariant &value);
    void storeBufferValue(int fieldIndex, const QVariant &value);
    QVariant fittedText(const DataSetField &field, const QVariant &value) const;
    void postEdit();
    void postInsert();
    void dropRowIfFilteredOut();

    std::unique_ptr<Private> d;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(DataSet::LocateOptions)

// A table file. Its filter is the small grammar the program uses:
// comparisons `field='text'` (or `field=7` for a one-character code field)
// joined by " and "; a trailing `*` inside the quotes means "begins with".
// The filter stays set across close and open until it is changed. Key
// filters made from stored values are set as Filter::exact().
class Table : public DataSet
{
    Q_OBJECT
public:
    Table(Database *db, const QString &tableName = {}, QObject *parent = nullptr);
    ~Table() override;

    QString tableName() const;
    void setTableName(const QString &name);  // closes the table first

    void setFilter(const QString &expression);  // throws DbError on a bad text
    // A filter made otherwise, such as Filter::exact() for a record's key.
    void setFilter(Filter filter);
    QString filter() const;   // as a text, for display
    Filter filterRule() const;   // to set again exactly as it was
    void setFiltered(bool on);
    bool filtered() const;

    void open() override;
    void close() override;
    // Packs the table's file; the table is open again afterwards if it was.
    void pack();
    // Re-reads the rows (after changes through other datasets).
    void refresh();

protected:
    bool checksRowAfterPost() const override;
    bool keepsRowAfterPost(const QList<QVariant> &record) const override;
    void refreshRows() override;

private:
    struct TablePrivate;
    std::unique_ptr<TablePrivate> t;
};

// An SQL statement over the tables of the database. A select from one table
// (no join, distinct, grouping or aggregate) is live: its rows are that
// table's rows and can be edited, appended and deleted; any other select
// gives fixed rows. Parameters are ":name" in the text, bound as values.
// A live result keeps the rows it found until it is opened again (rows
// appended elsewhere do not join it); rows deleted elsewhere leave it.
class Query : public DataSet
{
    Q_OBJECT
public:
    explicit Query(Database *db, QObject *parent = nullptr);
    ~Query() override;

    void setSql(const QString &sql);
    void setSql(const QStringList &lines);  // joined with line breaks
    QString sql() const;
    void setParam(const QString &name, const QVariant &value);  // name without ':'
    void clearParams();

    void open() override;
    void close() override;
    int execSql();  // a statement without rows; returns rows changed
    bool isLive() const;

    // With cached updates on, edits, appends and deletes are held until
    // applyUpdates() writes each to the exact row it came from (or appends).
    void setCachedUpdates(bool on);
    bool cachedUpdates() const;
    // Closing the query, or giving it new SQL, drops what is pending.
    bool updatesPending() const;
    void applyUpdates();
    void cancelUpdates();

protected:
    void writeRow(int recno, const QList<QPair<int, QVariant>> &changes) override;
    int writeNewRow(const QList<QPair<int, QVariant>> &values) override;
    void deleteRow(int recno) override;
    QVariant storedValue(int recno, int fieldIndex) const override;
    bool storedInFile(int recno, int fieldIndex) const override;

private:
    bool openLive(const SqlText::LiveSelect &select);
    std::shared_ptr<DbfFile> wholeTableFile(const SqlText::LiveSelect &select);
    void openFixed();

    struct QueryPrivate;
    std::unique_ptr<QueryPrivate> q;
};
