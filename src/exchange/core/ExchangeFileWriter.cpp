#include "ExchangeFile.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/FieldValue.h"
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QDir>
#include <cstring>
#include <utility>

using ExchangeText::LastValue;
namespace LineRules = ExchangeText::LineRules;

namespace {

// Lines are gathered up to this size before they go to the file.
constexpr qsizetype BlockSize = qsizetype(1) << 20;
constexpr int ExpertColumns = 7;

constexpr char LineEnd[] = "\r\n";

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

// Which columns of a dataset a line holds and how it ends; worked out once
// per file, not per row.
struct ExchangeFileWriter::Plan
{
    QStringList names;   // the first columns of the dataset, in order
    LastValue last = LastValue::Plain;
    int sjdcColumn = -1;   // written as "0" (KJCG)

    Plan(const DataSet &row, ExchangeLine kind)
        : names(row.fieldNames())
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
    : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly)) {
        throw DbError(QStringLiteral("无法创建文件“%1”：%2")
                          .arg(shown(path), m_file.errorString()));
    }
    m_buffer.resize(BlockSize + BlockSize / 4);
}

ExchangeFileWriter::~ExchangeFileWriter() = default;   // QSaveFile drops an uncommitted file

QString ExchangeFileWriter::path() const
{
    return m_file.fileName();
}

// Lines are put together in a buffer kept at its full size, so that a
// piece costs a copy and no more.
char *ExchangeFileWriter::room(qsizetype bytes)
{
    if (m_used + bytes > m_buffer.size())
        m_buffer.resize(qMax(2 * m_buffer.size(), m_used + bytes));
    return m_buffer.data() + m_used;
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

// Stored GBK text is copied as it is and numbers are formatted in place:
// decoding every text only to encode it again cost most of the writing.
// Text that is no clean GBK takes the long way, which reports what GBK
// cannot hold.
void ExchangeFileWriter::putColumn(const DataSet &row, int current, const Plan &plan, int column)
{
    const qsizetype count = plan.names.size();
    const auto put = [this](auto piece) { putPiece(piece); };
    if (column == plan.sjdcColumn)
        return LineRules::putValueAt(QByteArrayView("0"), column, count, plan.last, put);
    // A row being inserted lives only in the edit buffer, which asString reads.
    if (row.state() == DataSet::Insert) {
        const QString text = row.asString(plan.names.at(column));
        return LineRules::putValueAt(QStringView(text), column, count, plan.last, put);
    }
    QByteArrayView gbk;
    if (row.storedGbk(current, column, &gbk) && GbkText::isValid(gbk))
        return LineRules::putValueAt(gbk, column, count, plan.last, put);
    const QVariant value = row.valueAt(current, column);
    if (value.typeId() == QMetaType::Double) {
        char number[ValueText::NumberRoom];
        const char *end = ValueText::formatNumber(value.toDouble(), number);
        return LineRules::putValueAt(QByteArrayView(number, end), column, count, plan.last, put);
    }
    const QString text = FieldValue::toText(value);
    LineRules::putValueAt(QStringView(text), column, count, plan.last, put);
}

// A row that cannot be read leaves nothing of its line behind.
void ExchangeFileWriter::writePlannedRow(const DataSet &row, const Plan &plan)
{
    const qsizetype lineStart = m_used;
    try {
        const int current = row.recNo();
        for (int i = 0; i < plan.names.size(); ++i)
            putColumn(row, current, plan, i);
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

void ExchangeFileWriter::writeBuffer()
{
    if (m_used == 0)
        return;
    if (m_file.write(m_buffer.constData(), m_used) != m_used) {
        throw DbError(QStringLiteral("写入文件“%1”出错：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
    m_used = 0;
}

void ExchangeFileWriter::commit()
{
    writeBuffer();
    if (!m_file.commit()) {
        throw DbError(QStringLiteral("无法保存文件“%1”：%2")
                          .arg(shown(path()), m_file.errorString()));
    }
}

void WriteExchangeFile(DataSet &data, const QString &fileName, ExchangeLine kind)
{
    ExchangeFileWriter writer(fileName);
    writer.writeRows(data, kind);
    writer.commit();
}
