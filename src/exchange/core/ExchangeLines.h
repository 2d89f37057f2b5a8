#pragma once
#include "ExchangeFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>

class DataSet;
class DbfFile;

// The lines of an exchange file put together in memory, apart from the file
// they go to, so that several threads can each put together lines of their
// own (ExchangeFileWriter hands the blocks to the file in order).
namespace ExchangeLines {

// Lines are gathered up to about this size before they go to the file.
constexpr qsizetype BlockSize = qsizetype(1) << 20;
constexpr int InsertedRow = -2;   // the row a dataset is appending

// Bytes of lines and how many of them are in use.
struct Block
{
    QByteArray bytes;
    qsizetype used = 0;
};

// Which columns of a dataset a line holds and how it ends; worked out once
// per file, not per row.
struct Plan
{
    QStringList names;   // the first columns of the dataset, in order
    QList<bool> text;    // whether a column is a text or memo field
    ExchangeText::LastValue last = ExchangeText::LastValue::Plain;
    int sjdcColumn = -1;   // written as "0" (KJCG)
    qsizetype longestLine = 0;   // what a reader of the file takes at most
    // Where the rows are stored, for taking a row's fields from its record
    // read once; none for fixed rows.
    const DbfFile *file = nullptr;
    QList<int> stored;   // the file's field a column shows; -1 for a lookup

    Plan(const DataSet &row, ExchangeLine kind);

private:
    void applyFileRules(ExchangeLine kind);
};

// Lines put together in a block kept at its full size, so that a piece
// costs a copy and no more. A line that fails leaves nothing behind.
class LineBlock
{
public:
    // linesBefore: the lines of the file before this block's first one, for
    // the line numbers of messages.
    LineBlock(const QString &path, int linesBefore, Block block);

    qsizetype size() const { return m_used; }
    // The lines of the file up to the last one here (a failed one counts).
    int lines() const { return m_lines; }
    // Control characters of the values written as blanks.
    int blankedControls() const { return m_blankedControls; }
    void addBlankedControls(int count) { m_blankedControls += count; }
    void setLines(int lines) { m_lines = lines; }
    // Hands the lines over and goes on in the given block (made when the
    // first line needs it, if empty).
    Block take(Block next);
    // Values of the dataset that are not taken from a record are read under
    // this lock (threads that share the dataset each put lines of their own).
    void setDataSetLock(std::recursive_mutex *lock) { m_dataSetLock = lock; }

    // One line of the values by a file's last-value rule. A value GBK
    // cannot hold throws DbError.
    void writeValues(const QStringList &values, ExchangeText::LastValue last);
    // The line of the row `current` of the dataset (InsertedRow: the row it
    // is appending): taken from record `recno` of `file` when every value of
    // the row is that record's, else the dataset's way (recno -1). The file
    // may be a handle of the caller's own on the dataset's table.
    void writeRow(const DataSet &row, const Plan &plan, int current, const DbfFile *file, int recno);

private:
    void putColumn(const DataSet &row, int current, const Plan &plan, int column);
    void putDataSetColumn(const DataSet &row, int current, const Plan &plan, int column);
    void refuseWhatReadersRefuse(const DataSet &row, const Plan &plan, int current, qsizetype lineStart);
    QString recordName(const DataSet &row, int current) const;
    QString textOf(const DataSet &row, int current, const QString &field) const;
    void putRecord(const DataSet &row, int current, const Plan &plan, const DbfFile &file, int recno);
    bool putStoredText(QByteArrayView gbk, int column, qsizetype count, ExchangeText::LastValue last);
    bool putLongText(QByteArrayView gbk);
    // Pieces of a line: text to encode, GBK bytes, a character of the line's own.
    void putPiece(QStringView text);
    void putPiece(QByteArrayView gbk);
    void putPiece(char syntax);
    char *room(qsizetype bytes);
    void grow(qsizetype bytes);
    void endLine(qsizetype lineStart);

    QString m_path;
    QByteArray m_buffer;
    char *m_data = nullptr;   // m_buffer's bytes
    qsizetype m_used = 0;
    QString m_unencodable;   // the first character of the line GBK lacks
    int m_lines = 0;
    int m_blankedControls = 0;
    std::recursive_mutex *m_dataSetLock = nullptr;
};

} // namespace ExchangeLines
