#include "ExchangeFile.h"

#include "ExchangeNames.h"
#include "ExchangeReadAhead.h"
#include "engine/Clock.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstring>

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

// What loading into a table needs to know, worked out once per file
// rather than once per record.
struct LoadTarget
{
    std::shared_ptr<DbfFile> file;   // rows go straight to the table's file
    RecordLayout layout;
    bool mendsDate = false;   // the import into the kjcg staging table

    LoadTarget(const Table &table, SplitterVariant variant)
        : file(table.database()->file(table.tableName())), layout(ExchangeLayout(table)),
          mendsDate(variant == SplitterVariant::Import && isStagingTableOf(table, ExchangeNames::Kjcg))
    {
    }
};

QList<QByteArray> scannedValues(const ExchangeRecord &record, const RecordLayout &layout, int *missing)
{
    if (!record.values.isEmpty() && record.valuesLayout == layout) {
        *missing = record.missingValues;
        return record.values;   // split by the reader already
    }
    RecordScan scan = ExchangeText::scanRecord(record.text.constData(), record.text.size(), 0,
                                               layout, true, true);
    if (scan.status == RecordScan::Blank || scan.status == RecordScan::End)
        return {};
    if (scan.status != RecordScan::Values)
        throw DbError(where(record, scan.faultLine) + faultText(scan, layout));
    *missing = scan.missing;
    return std::move(scan.values);
}

// The values of a record as GBK bytes, each checked to be GBK text. The
// bytes between values (TAB, quotes, line ends, blanks) never belong to a
// character, so a record of GBK text has values of GBK text, and the
// values need a look of their own only to find the one at fault.
QList<QByteArray> splitRecord(const ExchangeRecord &record, const RecordLayout &layout,
                              int *missing = nullptr)
{
    int lacking = 0;
    const QList<QByteArray> values = scannedValues(record, layout, &lacking);
    if (missing)
        *missing = lacking;
    if (record.valuesAreGbk || GbkText::isValid(record.text))
        return values;
    for (int i = 0; i < values.size(); ++i) {
        if (!GbkText::isValid(values.at(i))) {
            throw DbError(where(record)
                          + QStringLiteral("第 %1 个数值含有不是 GBK 编码的字节，文件可能已损坏。").arg(i + 1));
        }
    }
    return values;
}

// A registration date the program cannot read becomes the day of the import.
void mendRegistrationDate(QList<QByteArray> &values)
{
    if (values.size() <= RegistrationDateColumn)
        return;
    QByteArray &date = values[RegistrationDateColumn];
    QDate read;
    if (!ValueText::parseDate(date, &read))
        read = ValueText::parseDate(GbkText::decode(date));
    if (!read.isValid())
        date = ValueText::formatDate(Clock::today()).toLatin1();
}

// Values go to the table file as the GBK bytes they are (splitRecord has
// checked them): text is stored without being decoded and encoded again.
void appendRow(DbfFile &file, const QList<QByteArray> &values, const ExchangeRecord &record)
{
    try {
        file.appendStoredTexts(values, record.valuesAreClean);
    } catch (const DbError &error) {
        throw DbError(where(record) + error.message());
    }
}

// The values are GBK text (splitRecord), in which a control byte is that
// character.
int blankControlCharacters(QList<QByteArray> &values)
{
    int blanked = 0;
    for (QByteArray &value : values)
        blanked += ExchangeText::blankControlCharacters(value);
    return blanked;
}

bool appendRecord(const ExchangeRecord &record, const LoadTarget &target, LoadCounts *counts = nullptr)
{
    int missing = 0;
    QList<QByteArray> values = splitRecord(record, target.layout, &missing);
    if (values.isEmpty())
        return false;
    const int blanked = record.valuesAreClean ? 0 : blankControlCharacters(values);
    if (target.mendsDate)
        mendRegistrationDate(values);
    appendRow(*target.file, values, record);
    if (counts) {
        counts->shortLines += missing > 0;
        counts->blankedControls += blanked;
    }
    return true;
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

// The unread rest and the next block of the file, in a buffer of their
// own: the one held may be shared with a batch whose values point into it.
// A record longer than what is held doubles the block, so a huge record is
// scanned a bounded number of times.
void ExchangeFileReader::readMore()
{
    const qsizetype held = m_buffer.size() - m_pos;
    QByteArray next = freshBuffer(held + m_wanted);
    std::memcpy(next.data(), m_buffer.constData() + m_pos, size_t(held));
    m_buffer = std::move(next);
    m_pos = 0;
    const qint64 got = m_file.read(m_buffer.data() + held, m_wanted);
    if (got < 0) {
        m_buffer.resize(held);
        throw DbError(QStringLiteral("读取文件“%1”出错：%2").arg(shown(path()), m_file.errorString()));
    }
    m_buffer.resize(held + got);
    if (got < m_wanted)
        m_eof = m_file.atEnd() || got == 0;
}

// Blocks are read into the same few buffers over and over: fresh memory
// costs the system a page fault per page.
QByteArray ExchangeFileReader::freshBuffer(qsizetype size)
{
    QByteArray buffer = std::exchange(m_spare, QByteArray());
    if (buffer.isDetached() && buffer.capacity() >= size) {
        buffer.resize(size);
        return buffer;
    }
    buffer = QByteArray();
    buffer.reserve(qMax(size, ChunkSize + ChunkSize / 4));
    buffer.resize(size);
    return buffer;
}

void ExchangeFileReader::recycle(ExchangeBatch &&batch)
{
    m_spareRecords = std::move(batch.records);
    m_spare = std::move(batch.bytes);
}

// A record longer than the target can hold is damage, found as soon as
// that much of it is held: a file that never ends its record (a quote
// left open, a line of a gigabyte) costs no more memory than the longest
// real record.
void ExchangeFileReader::refuseOverlong(const RecordScan &scan) const
{
    if (m_layout.longestRecord <= 0)
        return;
    const qsizetype size = scan.status == RecordScan::NeedMore ? m_buffer.size() - m_pos : scan.next - m_pos;
    if (size <= m_layout.longestRecord)
        return;
    throw DbError(QStringLiteral("文件“%1”第 %2 行：这条记录超过了 %3 字节，比任何可能的记录都长，文件可能已损坏。")
                      .arg(shown(path()))
                      .arg(m_line)
                      .arg(m_layout.longestRecord));
}

// The record at the read position when the bytes held hold all of it.
bool ExchangeFileReader::takeRecord(ExchangeRecord &record)
{
    RecordScan scan = ExchangeText::scanRecord(m_buffer.constData(), m_buffer.size(), m_pos, m_layout, m_eof,
                                               true, m_rawValues, std::move(record.values));
    refuseOverlong(scan);
    if (scan.status == RecordScan::NeedMore)
        m_wanted = qMax(ChunkSize, m_buffer.size() - m_pos);
    if (scan.status == RecordScan::NeedMore || scan.status == RecordScan::End)
        return false;
    record = ExchangeRecord();
    record.fileName = path();
    record.line = m_line;
    if (scan.status == RecordScan::Values) {
        record.values = std::move(scan.values);
        record.valuesLayout = m_layout;
        record.missingValues = scan.missing;
        // The bytes between values never belong to a character, so a
        // record of GBK text has values of GBK text.
        const QByteArrayView bytes(m_buffer.constData() + m_pos, scan.next - m_pos);
        record.valuesAreClean = GbkText::isCleanText(bytes);
        record.valuesAreGbk = record.valuesAreClean || GbkText::isValid(bytes);
    }
    if (!record.valuesAreGbk)
        record.text = withoutLineEnd(m_buffer.constData(), m_pos, scan.next);
    m_pos = scan.next;
    m_line += scan.lines;
    return true;
}

ExchangeRecord ExchangeFileReader::readRecord()
{
    ExchangeRecord record;
    while (!takeRecord(record)) {
        if (m_eof) {
            record.fileName = path();
            record.line = m_line;
            return record;
        }
        readMore();
    }
    return record;
}

// The batch shares the buffer: the next read leaves it to the batch and
// takes a copy of the unread rest only.
ExchangeBatch ExchangeFileReader::readBatch()
{
    ExchangeBatch batch;
    // The records of a batch given back are written over: their lists of
    // values keep their room.
    batch.records = std::exchange(m_spareRecords, {});
    qsizetype taken = 0;
    for (;;) {
        for (;; ++taken) {
            if (taken == batch.records.size())
                batch.records.emplaceBack();
            if (!takeRecord(batch.records[taken]))
                break;
        }
        if (taken > 0 || m_eof)
            break;
        readMore();
    }
    batch.records.resize(taken);
    batch.bytes = m_buffer;
    return batch;
}

void ExchangeFileReader::setRawValues(bool raw)
{
    m_rawValues = raw;
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
    // The sender's unit table may be of another version with more columns;
    // its staging table is kept, never read, so what it lacks room for goes.
    layout.extraValuesIgnored = layout.lastQuoted;
    int memos = 0;
    for (const QString &name : table.fieldNames())
        memos += table.fieldType(name) == 'M';
    layout.longestRecord = ExchangeText::longestRecord(layout.columns, memos);
    return layout;
}

QStringList SplitExchangeRecord(const ExchangeRecord &record, const RecordLayout &layout)
{
    QStringList values;
    for (const QByteArray &gbk : splitRecord(record, layout))
        values.append(GbkText::decode(gbk));
    return values;
}

bool AppendTabbedLine(Table &table, const ExchangeRecord &record, SplitterVariant variant)
{
    const bool added = appendRecord(record, LoadTarget(table, variant));
    if (added)
        table.refresh();
    return added;
}

// The rows are written to the table file in batches (bulk appends): one
// at a time, writing cost most of the load. The text is read, split and
// checked on a thread of its own meanwhile.
int LoadExchangeFile(Table &table, const QString &path, SplitterVariant variant,
                     const std::function<void()> &eachRecord, LoadCounts *counts)
{
    if (counts)
        *counts = LoadCounts();
    if (!table.isOpen())
        table.open();
    const LoadTarget target(table, variant);
    ExchangeFileReader file(path, target.layout);
    // The batches keep the bytes their values point into.
    file.setRawValues(true);
    ExchangeReadAhead ahead(file);
    DbfBulkAppend bulk(target.file);
    int rows = 0;
    for (ExchangeBatch batch; ahead.next(batch);) {
        for (const ExchangeRecord &record : std::as_const(batch.records)) {
            if (eachRecord)
                eachRecord();
            if (appendRecord(record, target, counts))
                ++rows;
        }
    }
    bulk.finish();
    return rows;
}
