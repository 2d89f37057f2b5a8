#pragma once
#include "DbfFile.h"
#include "DbfMemo.h"
#include "StoredFile.h"

#include <QHash>

// Header layout of a table file.
namespace DbfHeader {
constexpr int Size = 32;                 // fixed part, then 32 bytes per field
constexpr int DateOffset = 1;            // year - 1900, month, day
constexpr int CountOffset = 4;           // 32-bit record count
constexpr int HeaderLengthOffset = 8;    // 16-bit
constexpr int RecordLengthOffset = 10;   // 16-bit
constexpr int LanguageDriverOffset = 29;
constexpr int FieldSize = 32;
constexpr char Terminator = 0x0D;
constexpr char EndOfFile = 0x1A;
constexpr char LiveFlag = ' ';
constexpr char DeletedFlag = '*';

// Date and record count, written together after every change.
QByteArray stamp(quint32 count);
QDate today();
}

struct DbfFile::Private
{
    QString path;
    bool readOnly = false;
    StoredFile file;
    std::unique_ptr<DbfMemo> memo;

    quint8 version = 0;
    quint8 languageDriver = 0;
    int headerLength = 0;
    int recordLength = 0;
    quint32 headerCount = 0;
    int recordCount = 0;
    QList<DbfField> fields;
    QHash<QString, int> fieldByName;   // upper-case name -> index
    quint64 generation = 0;
    // What is wrong with the file as it stands (found when its header is
    // read), or why the program will not write to it; either keeps every
    // write away while the complete rows stay readable.
    QString damage;
    QString refusal;
    bool headerLengthFits = true;
    QDate stampDate;   // the header date this object last wrote

    QString nativePath() const;
    [[noreturn]] void throwDamaged(const QString &what) const;
    [[noreturn]] void throwWriteFailed() const;

    void readHeader();
    QString structuralDamage() const;
    // Why a write is refused now (read-only, damaged, found unfit); empty
    // when it is not.
    QString writeRefusal() const;
    void requireWritable() const;
    void parseFields(const char *header);
    bool fitsHeaderLength(const char *header, int terminatorAt) const;
    void countRecords();
    void openMemo();

    // Inline: every read of a field passes here.
    void checkRecord(int recno) const
    {
        if (recno < 0 || recno >= recordCount)
            throwNoRecord(recno);
    }
    void checkField(int index) const
    {
        if (index < 0 || index >= fields.size())
            throwNoField(index);
    }
    [[noreturn]] void throwNoRecord(int recno) const;
    [[noreturn]] void throwNoField(int index) const;
    const char *recordData(int recno);
    // Throws DbError naming the row and field when the pointer is damaged.
    quint32 memoBlock(int recno, const char *fieldBytes, const DbfField &field);
    QVariant memoValue(int recno, const char *fieldBytes, const DbfField &field);
    QByteArrayView memoBytes(int recno, const char *fieldBytes, const DbfField &field);

    // Writes the values into a copy of a record; memo texts are written to
    // the memo file only when they differ from what the record holds.
    QByteArray composeRecord(QByteArray record, const QList<QPair<int, QVariant>> &values,
                             bool compareMemos);
    void writeRecord(int recno, const QByteArray &record);
    void writeStamp(quint32 count);

    // Appended rows wait here while bulk appends are on (and for the
    // moment of a single append), to be written together.
    int bulkAppends = 0;
    QByteArray gathered;
    int gatheredFrom = 0;   // the number of the first of them
    DbfFile::AppendWatch appendWatch;
    int appendRecord(const QByteArray &record);
    // A row made in place: a blank record at the end of those gathered,
    // then taken back or counted (and written with its batch).
    char *startRecord();
    void cancelRecord();
    int finishRecord();
    void writeGathered();
    void dropGathered();

    // For pack (DbfPack.cpp): whether any row is marked deleted, and the
    // memo blocks that the rows not marked deleted use.
    bool hasDeletedRows();
    bool memoWorthCompacting();
    quint64 liveMemoBlocks();
    // Whether every memo text the rows point to lies below that size.
    bool memoBlocksKeptBelow(qint64 memoSize);
};

// The memo file beside a table file: an existing one whatever the case of its
// name, else the name a new one gets.
QString memoPathFor(const QString &dbfPath);
DbfMemo::Layout memoLayoutOf(quint8 version);
