#include "ExchangeFile.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/FieldValue.h"
#include "engine/GbkText.h"
#include "engine/IoFaults.h"
#include "engine/ValueText.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <cstring>
#include <future>
#include <utility>

using ExchangeText::LastValue;
namespace LineRules = ExchangeText::LineRules;

namespace {

// Lines are gathered up to this size before they go to the file.
constexpr qsizetype BlockSize = qsizetype(1) << 20;
constexpr int ExpertColumns = 7;
constexpr int InsertedRow = -2;   // the row a dataset is appending
// Stored texts this long are checked and copied in one pass.
constexpr qsizetype LongText = 64;

constexpr char LineEnd[] = "\r\n";

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The text form of a value; numbers and dates written in place.
template <typename PutAt>
void putForm(const QVariant &value, PutAt &&putAt)
{
    char form[qMax(ValueText::NumberRoom, ValueText::DateRoom)];
    if (value.typeId() == QMetaType::Double)
        putAt(QByteArrayView(form, ValueText::formatNumber(value.toDouble(), form)));
    else if (value.typeId() == QMetaType::QDate)
        putAt(QByteArrayView(form, ValueText::formatDate(value.toDate(), form)));
    else
        putAt(QStringView(FieldValue::toText(value)));
}

} // namespace

// Which columns of a dataset a line holds and how it ends; worked out once
// per file, not per row.
struct ExchangeFileWriter::Plan
{
    QStringList names;   // the first columns of the dataset, in order
    QList<bool> text;    // whether a column is a text or memo field
    LastValue last = LastValue::Plain;
    int sjdcColumn = -1;   // written as "0" (KJCG)
    // Where the rows are stored, for taking a row's fields from its record
    // read once; none for fixed rows.
    const DbfFile *file = nullptr;
    QList<int> stored;   // the file's field a column shows; -1 for a lookup

    Plan(const DataSet &row, ExchangeLine kind)
        : names(row.fieldNames()),
          file(row.storedFile())
    {
        applyFileRules(kind);
        for (int i = 0; i < names.size(); ++i) {
            const char type = row.fieldType(names.at(i));
            text.append(type == 'C' || type == 'M');
            stored.append(row.storedField(i));
        }
    }

    // Which columns the file takes and how its lines end.
    void applyFileRules(ExchangeLine kind)
    {
        switch (kind) {
        case ExchangeLine::Child:
            if (!names.isEmpty()
                && names.last().compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0)
                last = LastValue::Flag188;
            break;
        case ExchangeLine::Kjcg:
            if (!names.isEmpty())
                names.removeLast();
            last = LastValue::TrailingTab;
            for (int i = 0; i < names.size(); ++i) {
                if (names.at(i).compare(QLatin1String("ITEM_SJDC"), Qt::CaseInsensitive) == 0)
                    sjdcColumn = i;
            }
            break;
        case ExchangeLine::Unit:
            last = LastValue::Quoted;
            break;
        case ExchangeLine::Expert:
            names = names.mid(0, ExpertColumns);
            break;
        }
    }
};

ExchangeFileWriter::ExchangeFileWriter(const QString &path)
    : m_path(path),
      m_file(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(path).fileName())))
{
    if (!m_file.open()) {
        throw DbError(QStringLiteral("无法创建文件“%1”：%2")
                          .arg(shown(path), m_file.errorString()));
    }
    m_buffer.resize(BlockSize + BlockSize / 4);
    m_spare.resize(m_buffer.size());
    m_data = m_buffer.data();
}

ExchangeFileWriter::~ExchangeFileWriter()
{
    // A block still being written must end before its file goes.
    if (m_writing.valid())
        m_writing.wait();
}   // the temporary file of an uncommitted writer is removed with it

QString ExchangeFileWriter::path() const
{
    return m_path;
}

// Lines are put together in a buffer kept at its full size, so that a
// piece costs a copy and no more.
inline char *ExchangeFileWriter::room(qsizetype bytes)
{
    if (m_used + bytes > m_buffer.size())
        grow(bytes);
    return m_data + m_used;
}

void ExchangeFileWriter::grow(qsizetype bytes)
{
    m_buffer.resize(qMax(2 * m_buffer.size(), m_used + bytes));
    m_data = m_buffer.data();
}

// Encodes straight into the block; the first character GBK lacks spoils
// the line (endLine reports it).
void ExchangeFileWriter::putPiece(QStringView text)
{
    if (!m_unencodable.isEmpty())
        return;
    char *start = room(2 * text.size());
    if (char *end = GbkText::encodeInto(text, start))
        m_used += end - start;
    else
        m_unencodable = GbkText::firstUnencodable(text.toString());
}

void ExchangeFileWriter::putPiece(QByteArrayView gbk)
{
    std::memcpy(room(gbk.size()), gbk.data(), size_t(gbk.size()));
    m_used += gbk.size();
}

void ExchangeFileWriter::putPiece(char syntax)
{
    *room(1) = syntax;
    ++m_used;
}

void ExchangeFileWriter::endLine(qsizetype lineStart)
{
    ++m_lines;
    if (!m_unencodable.isEmpty()) {
        m_used = lineStart;
        const QString bad = std::exchange(m_unencodable, QString());
        throw DbError(QStringLiteral("文件“%1”的第 %2 条记录含有 GBK 不能表示的字符“%3”，无法写出。")
                          .arg(shown(path()))
                          .arg(m_lines)
                          .arg(bad));
    }
    putPiece(QByteArrayView(LineEnd));
    if (m_used >= BlockSize)
        writeBuffer();
}

void ExchangeFileWriter::writeValues(const QStringList &values, LastValue last)
{
    const qsizetype lineStart = m_used;
    const qsizetype count = values.size();
    for (qsizetype i = 0; i < count; ++i)
        LineRules::putValueAt(QStringView(values.at(i)), i, count, last,
                              [this](auto piece) { putPiece(piece); });
    endLine(lineStart);
}

// Stored GBK text is copied as it is, numbers and dates are formatted in
// place: decoding every text only to encode it again cost most of the
// writing. Text that is no clean GBK takes the long way, which reports
// what GBK cannot hold.
void ExchangeFileWriter::putColumn(const DataSet &row, int current, const Plan &plan, int column)
{
    const auto putAt = [&](auto value) {
        LineRules::putValueAt(value, column, plan.names.size(), plan.last,
                              [this](auto piece) { putPiece(piece); });
    };
    if (column == plan.sjdcColumn)
        return putAt(QByteArrayView("0"));
    // A row being inserted lives only in the edit buffer, which asString reads.
    if (current == InsertedRow)
        return putAt(QStringView(row.asString(plan.names.at(column))));
    QByteArrayView gbk;
    if (plan.text.at(column) && row.storedGbk(current, column, &gbk) && GbkText::isValid(gbk))
        return putAt(gbk);
    putForm(row.valueAt(current, column), putAt);
}

// A row as its file stores it: every field cut from the record read once,
// which spares the dataset's checks per field. What is no clean stored text
// (lookups, bytes that are no GBK text) takes the dataset's way.
void ExchangeFileWriter::putRecord(const DataSet &row, int current, const Plan &plan, int recno)
{
    const DbfFile &file = *plan.file;
    const char *record = file.recordBytes(recno);
    const qsizetype count = plan.names.size();
    for (int column = 0; column < count; ++column) {
        const auto putAt = [&](auto value) {
            LineRules::putValueAt(value, column, count, plan.last, [this](auto piece) { putPiece(piece); });
        };
        const int field = plan.stored.at(column);
        if (column == plan.sjdcColumn || field < 0) {
            putColumn(row, current, plan, column);
        } else if (!plan.text.at(column)) {
            putForm(file.valueIn(recno, record, field), putAt);
        } else if (!putStoredText(file.textBytesIn(recno, record, field), column, count, plan.last)) {
            putColumn(row, current, plan, column);
        }
    }
}

// Stored text goes as it is when it is GBK text; false when it is not.
bool ExchangeFileWriter::putStoredText(QByteArrayView gbk, int column, qsizetype count, LastValue last)
{
    const bool followedByTab = column + 1 < count || last == LastValue::TrailingTab;
    if (gbk.size() >= LongText && followedByTab)
        return putLongText(gbk);
    if (!GbkText::isValid(gbk))
        return false;
    LineRules::putValueAt(gbk, column, count, last, [this](auto piece) { putPiece(piece); });
    return true;
}

// A long text (a memo) followed by its TAB in one pass over it: checked,
// copied and looked at for what makes it quoted, then put between quotes
// or moved up by the byte kept free for the opening one. Inner quotes,
// which must be doubled, take the general way.
bool ExchangeFileWriter::putLongText(QByteArrayView gbk)
{
    const qsizetype size = gbk.size();
    char *at = room(size + 3);
    const GbkText::CopyScan scan = GbkText::copyChecked(gbk, at + 1);
    if (!scan.valid)
        return false;
    const bool quoted = scan.separator || gbk.front() == '"';
    if (quoted && scan.quote) {
        LineRules::putQuoted(gbk, [this](auto piece) { putPiece(piece); });
        putPiece('\t');
        return true;
    }
    if (quoted) {
        at[0] = '"';
        at[size + 1] = '"';
        at[size + 2] = '\t';
        m_used += size + 3;
    } else {
        std::memmove(at, at + 1, size_t(size));
        at[size] = '\t';
        m_used += size + 1;
    }
    return true;
}

void ExchangeFileWriter::writePlannedRow(const DataSet &row, const Plan &plan)
{
    writePlannedRow(row, plan, row.state() == DataSet::Insert ? InsertedRow : row.recNo());
}

// A row that cannot be read leaves nothing of its line behind.
void ExchangeFileWriter::writePlannedRow(const DataSet &row, const Plan &plan, int current)
{
    const qsizetype lineStart = m_used;
    try {
        const int recno = plan.file && current != InsertedRow ? row.storedRecord(current) : -1;
        if (recno >= 0) {
            putRecord(row, current, plan, recno);
        } else {
            for (int i = 0; i < plan.names.size(); ++i)
                putColumn(row, current, plan, i);
        }
    } catch (...) {
        m_used = lineStart;
        m_unencodable.clear();
        throw;
    }
    endLine(lineStart);
}

void ExchangeFileWriter::writeRow(const DataSet &row, ExchangeLine kind)
{
    writePlannedRow(row, Plan(row, kind));
}

void ExchangeFileWriter::writeRows(DataSet &data, ExchangeLine kind)
{
    const Plan plan(data, kind);
    for (data.first(); !data.eof(); data.next())
        writePlannedRow(data, plan);
}

void ExchangeFileWriter::writeRows(const DataSet &data, ExchangeLine kind, const QList<int> &rows)
{
    const Plan plan(data, kind);
    for (const int row : rows)
        writePlannedRow(data, plan, row);
}

// A full block goes to the file on a thread of its own while the next one
// is put together, so that the system's copying costs no time here.
void ExchangeFileWriter::writeBuffer()
{
    awaitWrite();
    if (m_used == 0)
        return;
    std::swap(m_buffer, m_spare);
    if (m_buffer.size() < m_spare.size())
        m_buffer.resize(m_spare.size());
    m_data = m_buffer.data();
    const char *block = m_spare.constData();
    const qsizetype size = std::exchange(m_used, 0);
    m_writing = std::async(std::launch::async, [this, block, size] {
        return !IoFaults::failHere() && m_file.write(block, size) == size;
    });
}

void ExchangeFileWriter::awaitWrite()
{
    if (m_writing.valid() && !m_writing.get()) {
        throw DbError(QStringLiteral("写入文件“%1”出错：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
}

void ExchangeFileWriter::commit()
{
    writeBuffer();
    awaitWrite();
    if (IoFaults::failHere() || !m_file.flush()) {
        throw DbError(QStringLiteral("无法保存文件“%1”：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
    m_file.close();
    std::error_code error;
    std::filesystem::rename(m_file.fileName().toStdU16String(), m_path.toStdU16String(), error);
    if (error) {
        throw DbError(QStringLiteral("无法保存文件“%1”：%2")
                          .arg(shown(path()), QString::fromLocal8Bit(error.message().c_str())));
    }
    m_file.setAutoRemove(false);
}

void WriteExchangeFile(DataSet &data, const QString &fileName, ExchangeLine kind)
{
    ExchangeFileWriter writer(fileName);
    writer.writeRows(data, kind);
    writer.commit();
}
