#include "ExchangeLines.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/FieldValue.h"
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <utility>

using ExchangeText::LastValue;
namespace LineRules = ExchangeText::LineRules;

namespace ExchangeLines {

namespace {

constexpr int ExpertColumns = 7;
// Stored texts this long are checked and copied in one pass.
constexpr qsizetype LongText = 64;

constexpr char LineEnd[] = "\r\n";

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

Plan::Plan(const DataSet &row, ExchangeLine kind)
    : names(row.fieldNames()),
      file(row.storedFile())
{
    applyFileRules(kind);
    int memos = 0;
    for (int i = 0; i < names.size(); ++i) {
        const char type = row.fieldType(names.at(i));
        text.append(type == 'C' || type == 'M');
        memos += type == 'M';
        stored.append(row.storedField(i));
    }
    longestLine = ExchangeText::longestRecord(int(names.size()), memos);
}

// Which columns the file takes and how its lines end.
void Plan::applyFileRules(ExchangeLine kind)
{
    switch (kind) {
    case ExchangeLine::Child:
        if (!names.isEmpty() && names.last().compare(QLatin1String("ITEM_188"), Qt::CaseInsensitive) == 0)
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

LineBlock::LineBlock(const QString &path, int linesBefore, Block block)
    : m_path(path),
      m_lines(linesBefore)
{
    take(std::move(block));
}

Block LineBlock::take(Block next)
{
    Block full{std::exchange(m_buffer, std::move(next.bytes)), std::exchange(m_used, 0)};
    m_data = m_buffer.data();
    return full;
}

inline char *LineBlock::room(qsizetype bytes)
{
    if (m_used + bytes > m_buffer.size())
        grow(bytes);
    return m_data + m_used;
}

// A block has room for a full block's lines and a long last one.
void LineBlock::grow(qsizetype bytes)
{
    m_buffer.resize(std::max({2 * m_buffer.size(), m_used + bytes, BlockSize + BlockSize / 4}));
    m_data = m_buffer.data();
}

// Encodes straight into the block; the first character GBK lacks spoils
// the line (endLine reports it).
void LineBlock::putPiece(QStringView text)
{
    if (!m_unencodable.isEmpty())
        return;
    char *start = room(2 * text.size());
    if (char *end = GbkText::encodeInto(text, start))
        m_used += end - start;
    else
        m_unencodable = GbkText::firstUnencodable(text.toString());
}

void LineBlock::putPiece(QByteArrayView gbk)
{
    // An empty text may have no bytes at all, and copying from nowhere is
    // undefined even for nothing.
    if (gbk.isEmpty())
        return;
    std::memcpy(room(gbk.size()), gbk.data(), size_t(gbk.size()));
    m_used += gbk.size();
}

void LineBlock::putPiece(char syntax)
{
    *room(1) = syntax;
    ++m_used;
}

// Another program may have stored a control character, which every
// receiving installation stores as a blank: the line carries the blank.
// Values and what stands between them are GBK text (stored text checked,
// other values encoded), so a control byte is that character.
void LineBlock::endLine(qsizetype lineStart)
{
    ++m_lines;
    if (!m_unencodable.isEmpty()) {
        m_used = lineStart;
        const QString bad = std::exchange(m_unencodable, QString());
        throw DbError(QStringLiteral("文件“%1”的第 %2 条记录含有 GBK 不能表示的字符“%3”，无法写出。")
                          .arg(QDir::toNativeSeparators(m_path))
                          .arg(m_lines)
                          .arg(bad));
    }
    if (GbkText::hasControlCharacter(QByteArrayView(m_data + lineStart, m_used - lineStart)))
        m_blankedControls += ExchangeText::blankControlCharacters(m_data + lineStart, m_used - lineStart);
    putPiece(QByteArrayView(LineEnd));
}

void LineBlock::writeValues(const QStringList &values, LastValue last)
{
    const qsizetype lineStart = m_used;
    const qsizetype count = values.size();
    for (qsizetype i = 0; i < count; ++i)
        LineRules::putValueAt(QStringView(values.at(i)), i, count, last, [this](auto piece) { putPiece(piece); });
    endLine(lineStart);
}

// Stored GBK text is copied as it is, numbers and dates are formatted in
// place: decoding every text only to encode it again cost most of the
// writing. Text that is no clean GBK takes the long way, which reports
// what GBK cannot hold.
void LineBlock::putColumn(const DataSet &row, int current, const Plan &plan, int column)
{
    const auto putAt = [&](auto value) {
        LineRules::putValueAt(value, column, plan.names.size(), plan.last, [this](auto piece) { putPiece(piece); });
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

void LineBlock::putDataSetColumn(const DataSet &row, int current, const Plan &plan, int column)
{
    if (!m_dataSetLock)
        return putColumn(row, current, plan, column);
    const std::lock_guard<std::recursive_mutex> guard(*m_dataSetLock);
    putColumn(row, current, plan, column);
}

// A row as its file stores it: every field cut from the record read once,
// which spares the dataset's checks per field. What is no clean stored text
// (lookups, bytes that are no GBK text) takes the dataset's way.
void LineBlock::putRecord(const DataSet &row, int current, const Plan &plan, const DbfFile &file, int recno)
{
    const char *record = file.recordBytes(recno);
    const qsizetype count = plan.names.size();
    for (int column = 0; column < count; ++column) {
        const auto putAt = [&](auto value) {
            LineRules::putValueAt(value, column, count, plan.last, [this](auto piece) { putPiece(piece); });
        };
        const int field = plan.stored.at(column);
        if (column == plan.sjdcColumn)
            putAt(QByteArrayView("0"));
        else if (field < 0)
            putDataSetColumn(row, current, plan, column);
        else if (!plan.text.at(column))
            putForm(file.valueIn(recno, record, field), putAt);
        else if (!putStoredText(file.textBytesIn(recno, record, field), column, count, plan.last))
            putDataSetColumn(row, current, plan, column);
    }
}

// Stored text goes as it is when it is GBK text; false when it is not.
bool LineBlock::putStoredText(QByteArrayView gbk, int column, qsizetype count, LastValue last)
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
bool LineBlock::putLongText(QByteArrayView gbk)
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

// A row that cannot be read leaves nothing of its line behind.
void LineBlock::writeRow(const DataSet &row, const Plan &plan, int current, const DbfFile *file, int recno)
{
    const qsizetype lineStart = m_used;
    try {
        if (file && recno >= 0) {
            putRecord(row, current, plan, *file, recno);
        } else {
            for (int i = 0; i < plan.names.size(); ++i)
                putDataSetColumn(row, current, plan, i);
        }
        if (m_unencodable.isEmpty())
            refuseWhatReadersRefuse(row, plan, current, lineStart);
    } catch (...) {
        m_used = lineStart;
        m_unencodable.clear();
        throw;
    }
    endLine(lineStart);
}

// Every receiving installation refuses a record longer than any it can
// hold, so the writer refuses it first and names the record: a package
// nobody can import is never made.
void LineBlock::refuseWhatReadersRefuse(const DataSet &row, const Plan &plan, int current, qsizetype lineStart)
{
    const QByteArrayView line(m_data + lineStart, m_used - lineStart);
    if (line.size() > plan.longestLine) {
        throw DbError(QStringLiteral("%1的内容超过了 %2 字节，接收方无法导入这样长的记录，没有打包。（文件%3）")
                          .arg(recordName(row, current))
                          .arg(plan.longestLine)
                          .arg(QFileInfo(m_path).fileName()));
    }
}

QString LineBlock::textOf(const DataSet &row, int current, const QString &field) const
{
    const std::unique_lock<std::recursive_mutex> guard =
        m_dataSetLock ? std::unique_lock(*m_dataSetLock) : std::unique_lock<std::recursive_mutex>();
    const int index = row.fieldIndex(field);
    if (index < 0)
        return QString();
    return current == InsertedRow ? row.asString(field) : row.textAt(current, index);
}

QString LineBlock::recordName(const DataSet &row, int current) const
{
    const QString number = textOf(row, current, QStringLiteral("ITEM_4")).trimmed();
    const QString title = textOf(row, current, QStringLiteral("ITEM_3")).trimmed();
    if (!title.isEmpty())
        return QStringLiteral("成果“%1”（登记号%2）").arg(title, number);
    if (!number.isEmpty())
        return QStringLiteral("登记号为%1的记录").arg(number);
    return QStringLiteral("第 %1 条记录").arg(m_lines + 1);
}

} // namespace ExchangeLines
