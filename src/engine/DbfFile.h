#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

// One dBase table file with its memo file (.dbt), dBase III+ or IV layout.
//
// Values are QVariant: C and M fields are QString (GBK decoded, padding
// trimmed on the right; a blank field is an empty QString), N and F are
// double (blank -> invalid QVariant, i.e. NULL), D is QDate (blank -> NULL),
// L is bool (blank or '?' -> NULL), I is int. An invalid QVariant writes a
// blank field. A QByteArray for a C or M field is GBK text as it is stored,
// written without conversion (bytes that are no GBK text are refused).
//
// Writes go to the system at once (no write cache of our own, but for bulk
// appends, see beginBulkAppend) in an order that leaves the files readable
// if the program is killed at any instant: memo blocks before the record
// that points to them, the record before the header count that makes it
// visible. They reach the disk when the caller asks for it (sync()): the
// datasets after each post, the journal before its commit line.
struct DbfField
{
    QString name;      // as stored (upper or mixed case), at most 10 bytes
    char type = 'C';   // C N F D L M I
    int width = 0;     // bytes
    int decimals = 0;
    int offset = 0;    // within the record, after the deletion flag

    bool isText() const { return type == 'C' || type == 'M'; }
    bool isNumber() const { return type == 'N' || type == 'F' || type == 'I'; }
};

class DbfFile
{
public:
    // Opens an existing file. Throws DbError naming the file when it is
    // missing, damaged or cannot be opened for writing (readOnly opens it
    // for reading only).
    static std::shared_ptr<DbfFile> open(const QString &path, bool readOnly = false);

    // Makes a new empty table. Version byte 0x83 when a memo field is present
    // (dBase III+ with memo, and an empty .dbt beside it), else 0x03;
    // language driver 0x4D (code page 936).
    static void create(const QString &path, const QList<DbfField> &fields,
                       quint8 languageDriver = 0x4D);

    // Removes the rows marked deleted, and compacts the memo file once a
    // quarter of it is unused: the files are written anew beside the old ones
    // and renamed over them, so a pack killed midway leaves the table
    // complete (the next open finishes or discards it). A table with nothing
    // to remove or compact is left untouched. Every open DbfFile of that
    // path must be closed first (Database::pack takes care of that).
    static void pack(const QString &path);
    // Whether pack() would change anything: rows marked deleted, or a memo
    // file a quarter unused. Throws DbError where pack() would find damage.
    bool needsPacking();
    // Finishes or rolls back a pack that was interrupted (called by open()).
    static void recoverInterruptedPack(const QString &path);

    ~DbfFile();
    DbfFile(const DbfFile &) = delete;
    DbfFile &operator=(const DbfFile &) = delete;

    QString path() const;
    QString tableName() const;  // file base name, as spelled on disk
    quint8 version() const;
    bool hasMemo() const;

    const QList<DbfField> &fields() const;
    int fieldCount() const;
    int fieldIndex(const QString &name) const;  // without regard to case; -1
    const DbfField &field(int index) const;

    // Rows are numbered from 0 in file order; deleted rows keep their number.
    int recordCount() const;
    bool isDeleted(int recno) const;
    // The numbers of the rows not marked deleted, in file order.
    QList<int> liveRecnos() const;
    QVariant value(int recno, int fieldIndex) const;
    QList<QVariant> record(int recno) const;
    // The raw bytes of one field (padding kept), for fast paths that only
    // compare or convert (the SQL layer).
    QByteArray rawField(int recno, int fieldIndex) const;
    // The GBK bytes of a C or M field as value() decodes them (padding and
    // the memo's trailing zeros trimmed), for writers that pass stored text
    // on unchanged; empty for a field of another type. Valid until the next
    // call on this object.
    QByteArrayView textBytes(int recno, int fieldIndex) const;
    // The text of an N or F field's value as DbfFieldCodec::plainNumberText
    // finds it in the stored digits; false when it does not (or for a field
    // of another type). Valid until the next call on this object.
    bool plainNumberText(int recno, int fieldIndex, QByteArrayView *text) const;
    // For readers that take every field of a row from one read of its
    // record: the record's bytes as stored (the deletion flag, then each
    // field at 1 + its offset), checked as value() checks them (DbError for
    // a row the file does not hold completely). Valid until the next call
    // on this object other than the two below, which take the fields of
    // that record as value() and textBytes() would.
    const char *recordBytes(int recno) const;
    QVariant valueIn(int recno, const char *record, int fieldIndex) const;
    QByteArrayView textBytesIn(int recno, const char *record, int fieldIndex) const;

    // Writes the given fields of an existing row (others stay). Text longer
    // than the field is cut on a character boundary; text GBK cannot hold,
    // a number too wide for its field, or a value of the wrong kind throws
    // DbError naming the field.
    void update(int recno, const QList<QPair<int, QVariant>> &values);
    // Appends a row (missing fields blank) and returns its number.
    int append(const QList<QPair<int, QVariant>> &values);
    // Appends a row of values as a text file brings them, one per field
    // from the first (missing or empty ones blank): C and M fields take the
    // bytes as stored text, cut to width on a character boundary; other
    // fields read them as text. For readers that have checked the bytes to
    // be GBK text already: that is not checked again (control characters
    // are refused as everywhere). A value a field
    // cannot take throws DbError naming the field; nothing is written then.
    // textsClean: the caller has found every text free of control
    // characters too (GbkText::isCleanText), so they are not looked for.
    int appendStoredTexts(const QList<QByteArray> &values, bool textsClean = false);
    // Appends a copy of a row of another file whose fields are the same
    // (names, types, widths, in the same order): the row's bytes as they
    // are, its memo texts copied into this file's memo, then the given
    // values written over it. Throws DbError when the fields differ or a
    // value cannot be taken; nothing is written then.
    int appendCopy(const DbfFile &source, int recno, const QList<QPair<int, QVariant>> &values);
    // Whether the other file's fields are those of this one (what
    // appendCopy needs).
    bool hasFieldsOf(const DbfFile &other) const;
    // Between these, appended rows are gathered and written in batches of
    // a few megabytes (memo blocks, then rows, then the header count, as
    // for a single row) instead of one by one. Reads and other changes see
    // them at once. A program killed in between loses the rows of the
    // batch not yet written; the table stays whole. Calls may nest;
    // endBulkAppend() throws DbError when the last batch cannot be written.
    void beginBulkAppend();
    void endBulkAppend();
    // Told of rows about to be appended (the first row's number and how
    // many) before any of their bytes is written: a journal notes them
    // there. A watch that throws keeps the rows out of the file. One watch
    // at a time; an empty one ends it.
    using AppendWatch = std::function<void(int first, int rows)>;
    void watchAppends(AppendWatch watch);
    void setDeleted(int recno, bool deleted);
    // Writes the rows gathered by bulk appends, then waits until the memo
    // file and the table file hold on the disk what was written to them
    // (a power cut afterwards loses none of it). Nothing to wait for when
    // nothing was written since the last sync. Throws DbError.
    void sync();
    // A row's bytes as stored, and the row written back from them (memo
    // blocks are never reused before a pack, so its memo texts come back
    // with it): what a journal keeps to take a change back.
    QByteArray storedRecord(int recno) const;
    void restoreRecord(int recno, const QByteArray &stored);
    // The row's bytes as update() would write them over `stored` (a row's
    // bytes as storedRecord gives them), without writing the row: for a
    // journal that writes rows over only once it has kept them. Memo texts
    // that differ are written to new blocks at once. Throws DbError as
    // update() does.
    QByteArray composedRecord(const QByteArray &stored, const QList<QPair<int, QVariant>> &values);

    // How far the table and its memo file reach now, and the table cut
    // back to that: the rows appended since go, and the memo texts written
    // since with them, their space given back to the disk (a load that
    // failed as a whole takes itself back so). Rows appended since are
    // marked deleted first and the count lowered before the file is cut,
    // so a program killed midway leaves them deleted at worst. Memo texts
    // that a row kept points to stay. Throws DbError.
    struct Extent
    {
        int records = 0;
        qint64 memoSize = 0;
    };
    Extent extent() const;
    void cutBack(const Extent &extent);

    // Rereads the header after another program may have changed the file.
    void refresh();

    // What is wrong with the table or its memo file (a header that claims
    // rows the file does not hold, a record length the fields do not make,
    // a header length that does not end right after the field descriptions,
    // an unknown field type, a memo file's next-free pointer beyond its
    // end); empty when nothing is. A damaged file opens so that its complete
    // rows can be read and exported, but every write throws DbError
    // ("表文件…已损坏：…"), and pack refuses it.
    QString damage() const;
    // Every later write throws DbError with this text (a check of the
    // program's own found the file unfit).
    void refuseWrites(const QString &reason);
    // False when a write would be refused (opened read-only, damaged, or
    // found unfit), so that a caller can leave the file alone beforehand.
    bool isWritable() const;
    // Throws the DbError that every write would throw now (opened read-only,
    // damaged, refused); for work that replaces the file as a whole.
    void checkWritable() const;
    // Increases with every change made through this object; datasets use it
    // to notice appends and deletes made by other datasets on the same file.
    quint64 generation() const;

private:
    DbfFile();
    // Without finishing or discarding a pack: for a pack's own second look
    // at the table while its new files are being written.
    static std::shared_ptr<DbfFile> openAsItStands(const QString &path, bool readOnly);
    struct Private;
    std::unique_ptr<Private> d;
};

// Bulk appends on a file for the life of the object. finish() writes the
// last batch and reports a failure; the destructor, on the way out of an
// error, writes what it can and keeps quiet about the rest.
class DbfBulkAppend
{
public:
    explicit DbfBulkAppend(std::shared_ptr<DbfFile> file);
    ~DbfBulkAppend();
    DbfBulkAppend(const DbfBulkAppend &) = delete;
    DbfBulkAppend &operator=(const DbfBulkAppend &) = delete;
    void finish();

private:
    std::shared_ptr<DbfFile> m_file;
};

// Posts made in a loop wait for the disk once. While an object of this
// class lives on the thread, a dataset's post leaves the sync of its file
// to it, and the outermost one syncs each such file once when it ends:
// finish() throws DbError; the destructor, on the way out of an error,
// syncs what it can and keeps quiet.
class DbfSyncBatch
{
public:
    DbfSyncBatch();
    ~DbfSyncBatch();
    DbfSyncBatch(const DbfSyncBatch &) = delete;
    DbfSyncBatch &operator=(const DbfSyncBatch &) = delete;
    void finish();
    // Syncs the file now, or when the outermost batch of the thread ends.
    static void syncOrDefer(const std::shared_ptr<DbfFile> &file);

private:
    bool m_done = false;
};

