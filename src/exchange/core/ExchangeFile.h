#pragma once
#include "ExchangeText.h"

#include "engine/Disk.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

class DataSet;
class Table;

namespace ExchangeLines {
struct Block;
struct Plan;
class LineBlock;
}

// Writing and reading the exchange text files: GBK, one row a line, CR LF,
// no header and no byte-order mark. Every failure throws DbError with a text
// that names the file (and the line, when reading).

// Which file a row is written to decides how its line ends.
enum class ExchangeLine {
    Child,   // CGWCDW, CGWCR, JDWYHMD, ZLQK: every column; a last column
             // named ITEM_188 is written "1" or "0"
    Kjcg,    // every column but the last, each followed by a TAB;
             // ITEM_SJDC is written "0"
    Unit,    // every column, the last one always quoted
    Expert,  // the first seven columns
};

// One exchange file being written. Lines are gathered in memory and written
// in large blocks on a thread of its own while the next ones are gathered
// (a failed write is reported by a later block or by commit()). Many rows
// of a table are put into lines by several threads, each with a handle of
// its own on the table, their blocks written in order. The file replaces
// an existing one only on commit(), so a failed write never leaves a
// half-written file behind. The files are made to be packed at once, not
// kept: they are not forced to the disk (the archive is).
class ExchangeFileWriter
{
public:
    explicit ExchangeFileWriter(const QString &path);
    ~ExchangeFileWriter();
    ExchangeFileWriter(const ExchangeFileWriter &) = delete;
    ExchangeFileWriter &operator=(const ExchangeFileWriter &) = delete;

    QString path() const;
    // Control characters of the values written as blanks so far
    // (ExchangeText::blankControlCharacters).
    int blankedControls() const;
    // One line of the values by a file's last-value rule, GBK, CR LF. A
    // value GBK cannot hold throws DbError and nothing of the line is kept.
    void writeValues(const QStringList &values, ExchangeText::LastValue last);
    // The current row of the dataset as a line of its file.
    void writeRow(const DataSet &row, ExchangeLine kind);
    // Every row of the dataset from the first (it is left after its last).
    void writeRows(DataSet &data, ExchangeLine kind);
    // The rows at the given positions, in that order; the current row
    // stays where it is. A row that cannot be written throws DbError; the
    // lines before it stay.
    void writeRows(const DataSet &data, ExchangeLine kind, const QList<int> &rows);
    void commit();

private:
    class BlockQueue;
    class Slices;
    void writeOne(const DataSet &row, const ExchangeLines::Plan &plan, int current);
    void handOverIfFull();
    void handOver(ExchangeLines::Block block);

    QString m_path;
    std::unique_ptr<Disk::NewFile> m_file;   // beside m_path, renamed to it on commit
    std::unique_ptr<BlockQueue> m_queue;   // before the lines: gives their blocks
    std::unique_ptr<ExchangeLines::LineBlock> m_lines;
};

// Creates or overwrites the file with every row of the dataset from the
// first (the dataset is left after its last row). Returns the control
// characters written as blanks.
int WriteExchangeFile(DataSet &data, const QString &fileName,
                      ExchangeLine kind = ExchangeLine::Child);

// One logical record as it stands in the file: GBK bytes, its physical
// lines joined by their own line ends, without the final one. The reader
// leaves the text empty when it has split the values already.
struct ExchangeRecord
{
    ExchangeRecord() = default;
    ExchangeRecord(QByteArray text, QString fileName, int line)
        : text(std::move(text)), fileName(std::move(fileName)), line(line)
    {
    }

    QByteArray text;
    QString fileName;
    int line = 0;   // its first physical line, from 1
    // Its values as the reader split them by valuesLayout (GBK bytes, not
    // yet checked), so that loading does not scan the text again; none when
    // the record is blank or damaged.
    QList<QByteArray> values;
    ExchangeText::RecordLayout valuesLayout;
    int missingValues = 0;   // a short line's values made empty
    bool valuesAreGbk = false;   // the reader found the record to be GBK text
    bool valuesAreClean = false; // ... and free of control characters
};
// Made of members that move as bytes: a batch grows without moving each.
Q_DECLARE_TYPEINFO(ExchangeRecord, Q_RELOCATABLE_TYPE);

// The records an ExchangeFileReader found in one block of the file. Their
// raw values point into bytes, which the batch keeps alive.
struct ExchangeBatch
{
    QByteArray bytes;
    QList<ExchangeRecord> records;
};

// An exchange file open for reading. The record layout (the target's column
// count, and whether its last value is quoted) tells where a record ends.
class ExchangeFileReader
{
public:
    ExchangeFileReader(const QString &path, const ExchangeText::RecordLayout &layout);

    QString path() const;
    const ExchangeText::RecordLayout &layout() const;
    bool atEnd();
    ExchangeRecord readRecord();
    // Every record that lies wholly in the next block of the file (at
    // least one); none at the end of the file.
    ExchangeBatch readBatch();
    // Values that point into the reader's buffer instead of being copied:
    // valid only until the reader is used again, or while their batch is
    // kept.
    void setRawValues(bool raw);
    // A batch no longer needed: a later block may be read into its bytes
    // when nothing else holds them, later records are written over its
    // records.
    void recycle(ExchangeBatch &&batch);

private:
    void readMore();
    QByteArray freshBuffer(qsizetype size);
    bool takeRecord(ExchangeRecord &record);
    void refuseOverlong(const ExchangeText::RecordScan &scan) const;

    QFile m_file;
    ExchangeText::RecordLayout m_layout;
    QByteArray m_buffer;
    QByteArray m_spare;   // a recycled buffer
    QList<ExchangeRecord> m_spareRecords;   // a recycled list
    qsizetype m_pos = 0;
    qsizetype m_wanted = 0;
    bool m_eof = false;
    bool m_rawValues = false;
    int m_line = 1;
};

// The next logical record of the file (one or more physical lines).
ExchangeRecord ReadExchangeRecord(ExchangeFileReader &file);

// The import's splitter, and the code-table refresh's own copy of it,
// which does not turn an unreadable registration date into today.
enum class SplitterVariant { Import, CodeTable };

// How the rows of this table are laid out in its exchange file: one value
// per field of the table; the last one quoted for the UNIT staging table.
ExchangeText::RecordLayout ExchangeLayout(const Table &table);

// The values of a record, one per column of the layout; none for a blank
// record. A line with fewer values than columns (written by an installation
// whose tables have fewer columns) has the missing ones empty. A damaged
// record (an open quote, more values than columns, bytes that are no GBK
// text) throws DbError naming the file and the line.
QStringList SplitExchangeRecord(const ExchangeRecord &record,
                                const ExchangeText::RecordLayout &layout);

// Splits the record into the columns of one appended and posted row of the
// table (open). A blank record adds nothing; returns whether a row was
// added. A control character of a value is stored as a blank
// (blankControlCharacters). On any failure no part of the row stays.
bool AppendTabbedLine(Table &table, const ExchangeRecord &record,
                      SplitterVariant variant = SplitterVariant::Import);

// What a load changed of what the file holds.
struct LoadCounts
{
    int shortLines = 0;       // rows from lines with fewer values than columns
    int blankedControls = 0;  // control characters stored as blanks
};

// Reads the whole file into the table (opened when closed): every record
// through AppendTabbedLine. eachRecord runs before each record (to keep a
// window painted). Rows appended before a failure stay. Returns the rows
// added; counts, when given, receives what was changed on the way.
int LoadExchangeFile(Table &table, const QString &path,
                     SplitterVariant variant = SplitterVariant::Import,
                     const std::function<void()> &eachRecord = {}, LoadCounts *counts = nullptr);
