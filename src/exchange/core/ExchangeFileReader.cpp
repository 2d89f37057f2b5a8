#include "ExchangeFile.h"

#include "ExchangeNames.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/ValueText.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

using ExchangeText::RecordLayout;
using ExchangeText::RecordScan;

namespace {

constexpr qsizetype ChunkSize = qsizetype(1) << 20;
// Position of the registration date ITEM_121 in the kjcg column order.
constexpr int RegistrationDateColumn = 5;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString where(const ExchangeRecord &record, int linesIn = 0)
{
    return QStringLiteral("文件“%1”第 %2 行：").arg(shown(record.fileName)).arg(record.line + linesIn);
}

// The record without its final line end (CR LF, LF or CR).
QByteArray withoutLineEnd(const char *data, qsizetype from, qsizetype to)
{
    if (to > from && data[to - 1] == '\n')
        --to;
    if (to > from && data[to - 1] == '\r')
        --to;
    return QByteArray(data + from, to - from);
}

QString faultText(const RecordScan &scan, const RecordLayout &layout)
{
    switch (scan.status) {
    case RecordScan::Unterminated:
        return QStringLiteral("第 %1 个数值的引号没有结束，文件可能已损坏。").arg(scan.faultValue);
    case RecordScan::TooManyValues:
        return QStringLiteral("数值多于 %1 个（表有 %1 列），文件可能已损坏。").arg(layout.columns);
    case RecordScan::TooFewValues:
        return QStringLiteral("只有 %1 个数值，应有 %2 个，文件可能已损坏。")
            .arg(scan.faultValue - 1)
            .arg(layout.columns);
    case RecordScan::TextAfterQuote:
        return QStringLiteral("第 %1 个数值的结束引号后面还有文字，文件可能已损坏。").arg(scan.faultValue);
    default:
        return QString();
    }
}

bool isStagingTableOf(const Table &table, const QString &exchangeName)
{
    const QString name = QFileInfo(Database::tableFileName(table.tableName())).fileName();
    return name.compare(ExchangeNames::stagingTable(exchangeName), Qt::CaseInsensitive) == 0;
}

// A registration date the program cannot read becomes the day of the import.
void mendRegistrationDate(QStringList &values)
{
    if (values.size() <= RegistrationDateColumn)
        return;
    QString &date = values[RegistrationDateColumn];
    if (!ValueText::parseDate(date).isValid())
        date = ValueText::formatDate(QDate::currentDate());
}

void appendRow(Table &table, const QStringList &values, const ExchangeRecord &record)
{
    const QStringList names = table.fieldNames();
    table.append();
    try {
        for (int i = 0; i < values.size(); ++i)
            table.setString(names.at(i), values.at(i));
        table.post();
    } catch (const DbError &error) {
        table.cancel();
        throw DbError(where(record) + error.message());
    }
}

} // namespace

ExchangeFileReader::ExchangeFileReader(const QString &path, const RecordLayout &layout)
    : m_file(path), m_layout(layout)
{
    if (!m_file.open(QIODevice::ReadOnly)) {
        throw DbError(QStringLiteral("无法打开文件“%1”：%2").arg(shown(path), m_file.errorString()));
    }
    m_wanted = ChunkSize;
}

QString ExchangeFileReader::path() const
{
    return m_file.fileName();
}

const RecordLayout &ExchangeFileReader::layout() const
{
    return m_layout;
}

bool ExchangeFileReader::atEnd()
{
    if (m_pos >= m_buffer.size() && !m_eof)
        readMore();
    return m_pos >= m_buffer.size() && m_eof;
}

// Appends the next block of the file. A record longer than what is held
// doubles the block, so a huge record is scanned a bounded number of times.
void ExchangeFileReader::readMore()
{
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype held = m_buffer.size();
    m_buffer.resize(held + m_wanted);
    const qint64 got = m_file.read(m_buffer.data() + held, m_wanted);
    if (got < 0) {
        m_buffer.resize(held);
        throw DbError(QStringLiteral("读取文件“%1”出错：%2").arg(shown(path()), m_file.errorString()));
    }
    m_buffer.resize(held + got);
    if (got < m_wanted)
        m_eof = m_file.atEnd() || got == 0;
}

ExchangeRecord ExchangeFileReader::readRecord()
{
    ExchangeRecord record;
    record.fileName = path();
    record.line = m_line;
    for (;;) {
        const RecordScan scan = ExchangeText::scanRecord(m_buffer.constData(), m_buffer.size(),
                                                         m_pos, m_layout, m_eof, false);
        if (scan.status == RecordScan::NeedMore) {
            m_wanted = qMax(ChunkSize, m_buffer.size() - m_pos);
            readMore();
            continue;
        }
        if (scan.status == RecordScan::End) {
            if (m_eof)
                return record;
            readMore();
            continue;
        }
        record.text = withoutLineEnd(m_buffer.constData(), m_pos, scan.next);
        m_pos = scan.next;
        m_line += scan.lines;
        return record;
    }
}

ExchangeRecord ReadExchangeRecord(ExchangeFileReader &file)
{
    return file.readRecord();
}

RecordLayout ExchangeLayout(const Table &table)
{
    RecordLayout layout;
    layout.columns = int(table.fieldNames().size());
    layout.lastQuoted = isStagingTableOf(table, ExchangeNames::Unit);
    return layout;
}

QStringList SplitExchangeRecord(const ExchangeRecord &record, const RecordLayout &layout)
{
    const RecordScan scan = ExchangeText::scanRecord(record.text.constData(), record.text.size(),
                                                     0, layout, true, true);
    if (scan.status == RecordScan::Blank || scan.status == RecordScan::End)
        return {};
    if (scan.status != RecordScan::Values)
        throw DbError(where(record, scan.faultLine) + faultText(scan, layout));
    QStringList values;
    values.reserve(scan.values.size());
    for (int i = 0; i < scan.values.size(); ++i) {
        QString text;
        if (!ExchangeText::decodeGbkStrict(scan.values.at(i), &text)) {
            throw DbError(where(record)
                          + QStringLiteral("第 %1 个数值含有不是 GBK 编码的字节，文件可能已损坏。").arg(i + 1));
        }
        values.append(text);
    }
    return values;
}

bool AppendTabbedLine(Table &table, const ExchangeRecord &record, SplitterVariant variant)
{
    QStringList values = SplitExchangeRecord(record, ExchangeLayout(table));
    if (values.isEmpty())
        return false;
    if (variant == SplitterVariant::Import && isStagingTableOf(table, ExchangeNames::Kjcg))
        mendRegistrationDate(values);
    appendRow(table, values, record);
    return true;
}

int LoadExchangeFile(Table &table, const QString &path, SplitterVariant variant,
                     const std::function<void()> &eachRecord)
{
    if (!table.isOpen())
        table.open();
    ExchangeFileReader file(path, ExchangeLayout(table));
    int rows = 0;
    while (!file.atEnd()) {
        if (eachRecord)
            eachRecord();
        if (AppendTabbedLine(table, ReadExchangeRecord(file), variant))
            ++rows;
    }
    return rows;
}
