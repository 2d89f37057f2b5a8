#include "DbfFile.h"


#include "Clock.h"
#include "DbError.h"
#include "DbfFieldCodec.h"
#include "DbfFilePrivate.h"
#include "Disk.h"
#include "GbkText.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QVarLengthArray>
#include <QtEndian>
#include <cstring>
#include <utility>

namespace {

constexpr quint8 DBase3 = 0x03;
constexpr quint8 DBase3WithMemo = 0x83;
constexpr quint8 DBase4MemoFlag = 0x08;

bool hasMemoField(const QList<DbfField> &fields)
{
    for (const DbfField &f : fields) {
        if (f.type == 'M')
            return true;
    }
    return false;
}

} // namespace

QDate DbfHeader::today()
{
    return Clock::today();
}

QByteArray DbfHeader::stamp(quint32 count)
{
    const QDate today = DbfHeader::today();
    QByteArray bytes(7, '\0');
    bytes[0] = char(qBound(0, today.year() - 1900, 255));
    bytes[1] = char(today.month());
    bytes[2] = char(today.day());
    qToLittleEndian<quint32>(count, bytes.data() + 3);
    return bytes;
}

QString memoPathFor(const QString &dbfPath)
{
    const QFileInfo info(dbfPath);
    const QString base = info.completeBaseName();
    const QDir dir = info.dir();
    for (const QString &name : {base + QStringLiteral(".dbt"), base + QStringLiteral(".DBT")}) {
        if (dir.exists(name))
            return dir.filePath(name);
    }
    const QString wanted = base + QStringLiteral(".dbt");
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : entries) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    const QString suffix = info.suffix();
    const bool upper = !suffix.isEmpty() && suffix == suffix.toUpper();
    return dir.filePath(base + (upper ? QStringLiteral(".DBT") : QStringLiteral(".dbt")));
}

DbfMemo::Layout memoLayoutOf(quint8 version)
{
    return (version & DBase4MemoFlag) ? DbfMemo::Layout::DBase4 : DbfMemo::Layout::DBase3;
}

// ---- Private: reading the header ------------------------------------------

QString DbfFile::Private::nativePath() const
{
    return QDir::toNativeSeparators(path);
}

void DbfFile::Private::throwDamaged(const QString &what) const
{
    throw DbDamageError(QStringLiteral("表文件“%1”已损坏：%2").arg(nativePath(), what));
}

void DbfFile::Private::throwWriteFailed() const
{
    throw DbError(QStringLiteral("无法写入表文件“%1”：%2").arg(nativePath(), file.errorText()));
}

void DbfFile::Private::readHeader()
{
    const char *fixed = file.data(0, DbfHeader::Size);
    if (!fixed)
        throwDamaged(QStringLiteral("文件头不完整"));
    version = quint8(fixed[0]);
    languageDriver = quint8(fixed[DbfHeader::LanguageDriverOffset]);
    headerCount = qFromLittleEndian<quint32>(fixed + DbfHeader::CountOffset);
    headerLength = qFromLittleEndian<quint16>(fixed + DbfHeader::HeaderLengthOffset);
    recordLength = qFromLittleEndian<quint16>(fixed + DbfHeader::RecordLengthOffset);
    if (headerLength < DbfHeader::Size + 1 || recordLength < 1)
        throwDamaged(QStringLiteral("文件头有误"));
    const char *header = file.data(0, headerLength);
    if (!header)
        throwDamaged(QStringLiteral("文件头不完整"));
    parseFields(header);
    countRecords();
    damage = structuralDamage();
}

// A header that claims rows the file does not hold (cut by another
// program), a record length other than the fields make (a terminator too
// early hides fields), a type this layer does not know. Our own writer,
// killed at any moment, leaves none of these: it writes a row before the
// count that makes it visible.
QString DbfFile::Private::structuralDamage() const
{
    int widths = 1;
    for (const DbfField &f : fields) {
        if (!QByteArrayView("CNFDLMI").contains(f.type))
            return QStringLiteral("字段%1的类型“%2”无法识别").arg(f.name, QString(QLatin1Char(f.type)));
        widths += f.width;
    }
    if (widths != recordLength)
        return QStringLiteral("记录长度为%1字节，与各字段宽度之和%2不符").arg(recordLength).arg(widths);
    if (!headerLengthFits) {
        return QStringLiteral("文件头长度为%1字节，与%2个字段说明及其结束符所占的%3字节不符")
            .arg(headerLength)
            .arg(fields.size())
            .arg(DbfHeader::Size + DbfHeader::FieldSize * fields.size() + 1);
    }
    if (headerCount > quint32(recordCount)) {
        return QStringLiteral("文件头记载%1条记录，文件中只有%2条完整的记录（文件被截短了）")
            .arg(headerCount)
            .arg(recordCount);
    }
    return QString();
}

QString DbfFile::Private::writeRefusal() const
{
    if (readOnly)
        return QStringLiteral("表文件“%1”以只读方式打开，不能修改").arg(nativePath());
    if (!damage.isEmpty())
        return QStringLiteral("表文件“%1”已损坏：%2。不能修改。").arg(nativePath(), damage);
    return refusal;
}

void DbfFile::Private::requireWritable() const
{
    if (const QString why = writeRefusal(); !why.isEmpty())
        throw DbError(why);
}

void DbfFile::Private::parseFields(const char *header)
{
    fields.clear();
    fieldByName.clear();
    int offset = 0;
    for (int at = DbfHeader::Size; at + DbfHeader::FieldSize <= headerLength
                                   && header[at] != DbfHeader::Terminator;
         at += DbfHeader::FieldSize) {
        const char *d = header + at;
        DbfField f;
        f.name = QString::fromLatin1(d, int(qstrnlen(d, 11))).trimmed();
        f.type = char(QChar::toUpper(uchar(d[11])));
        f.width = uchar(d[16]);
        f.decimals = uchar(d[17]);
        f.offset = offset;
        offset += f.width;
        if (f.name.isEmpty() || f.width == 0)
            throwDamaged(QStringLiteral("第%1个字段的说明有误").arg(fields.size() + 1));
        fieldByName.insert(f.name.toUpper(), int(fields.size()));
        fields.append(f);
    }
    if (fields.isEmpty() || offset + 1 > recordLength)
        throwDamaged(QStringLiteral("字段说明与记录长度不符"));
    headerLengthFits = fitsHeaderLength(header, DbfHeader::Size + DbfHeader::FieldSize * int(fields.size()));
}

// The rows begin where the header's length says: right after the field
// descriptions' terminator. Some writers pad the header with zero bytes
// after it, and Visual FoxPro tables keep a link to their database there;
// a length that ends before the terminator, or past it on bytes that are
// no padding, is a header that would have every row read shifted.
bool DbfFile::Private::fitsHeaderLength(const char *header, int terminatorAt) const
{
    if (terminatorAt >= headerLength || header[terminatorAt] != DbfHeader::Terminator)
        return false;
    constexpr int FoxProLink = 263;
    const int extra = headerLength - terminatorAt - 1;
    if (extra == FoxProLink && (version == 0x30 || version == 0x31 || version == 0x32))
        return true;
    for (int at = terminatorAt + 1; at < headerLength; ++at) {
        if (header[at] != '\0')
            return false;
    }
    return true;
}

// The header's count, limited to the rows the file holds completely (a
// writer killed before its row was whole), extended by complete rows past
// it (a writer killed after the row, before the count).
void DbfFile::Private::countRecords()
{
    const qint64 dataBytes = qMax<qint64>(0, file.currentSize() - headerLength);
    const qint64 complete = qMin<qint64>(dataBytes / recordLength, INT_MAX);
    qint64 count = qMin<qint64>(headerCount, complete);
    while (count < complete) {
        const char *flag = file.data(headerLength + count * recordLength, 1);
        if (!flag || (*flag != DbfHeader::LiveFlag && *flag != DbfHeader::DeletedFlag))
            break;
        ++count;
    }
    recordCount = int(count);
}

void DbfFile::Private::openMemo()
{
    memo.reset();
    if (!hasMemoField(fields))
        return;
    const QString memoPath = memoPathFor(path);
    if (!QFileInfo::exists(memoPath)) {
        throw DbError(QStringLiteral("表文件“%1”的备注文件“%2”不存在")
                          .arg(nativePath(), QDir::toNativeSeparators(memoPath)));
    }
    memo = std::make_unique<DbfMemo>(memoPath, memoLayoutOf(version), readOnly);
    if (damage.isEmpty()) {
        const QString memoDamage = memo->damage();
        if (!memoDamage.isEmpty())
            damage = QStringLiteral("备注文件“%1”%2").arg(QDir::toNativeSeparators(memoPath), memoDamage);
    }
}

// ---- Private: rows -----------------------------------------------------------

void DbfFile::Private::throwNoRecord(int recno) const
{
    throw DbError(QStringLiteral("表文件“%1”没有第%2条记录").arg(nativePath()).arg(recno + 1));
}

void DbfFile::Private::throwNoField(int index) const
{
    throw DbError(QStringLiteral("表文件“%1”没有第%2个字段").arg(nativePath()).arg(index + 1));
}

const char *DbfFile::Private::recordData(int recno)
{
    checkRecord(recno);
    if (recno >= gatheredFrom && !gathered.isEmpty())
        writeGathered();
    const char *data = file.data(headerLength + qint64(recno) * recordLength, recordLength);
    if (!data)
        throwDamaged(QStringLiteral("第%1条记录不完整").arg(recno + 1));
    return data;
}

QVariant DbfFile::Private::memoValue(int recno, const char *fieldBytes, const DbfField &field)
{
    const QByteArrayView text = memoBytes(recno, fieldBytes, field);
    if (text.isEmpty())
        return QStringLiteral("");
    return GbkText::decode(text.data(), int(text.size()));
}

// A pointer that is no number or lies outside the memo file is damage, not
// an empty text: the text it stood for is lost, and saying nothing would
// let the next save overwrite the row as if nothing were missing.
quint32 DbfFile::Private::memoBlock(int recno, const char *fieldBytes, const DbfField &field)
{
    const qint64 block = DbfMemo::parsePointer(fieldBytes, field.width);
    if (block == 0 || !memo)
        return 0;
    if (!memo->holds(block)) {
        throwDamaged(QStringLiteral("第%1条记录的备注字段%2指向“%3”，不在备注文件“%4”之内")
                         .arg(recno + 1)
                         .arg(field.name, QString::fromLatin1(fieldBytes, field.width).trimmed(),
                              QDir::toNativeSeparators(memo->path())));
    }
    return quint32(block);
}

QByteArrayView DbfFile::Private::memoBytes(int recno, const char *fieldBytes, const DbfField &field)
{
    const quint32 block = memoBlock(recno, fieldBytes, field);
    if (block == 0)
        return {};
    QByteArrayView text = memo->view(block);
    while (!text.isEmpty() && text.back() == '\0')
        text.chop(1);
    return text;
}

// ---- Private: writing ------------------------------------------------------------

QByteArray DbfFile::Private::composeRecord(QByteArray record,
                                           const QList<QPair<int, QVariant>> &values,
                                           bool compareMemos)
{
    // Every value is converted before anything reaches the disk, so that a
    // refused value leaves the row as it was.
    QList<QPair<int, QByteArray>> memoTexts;
    for (const auto &[index, value] : values) {
        checkField(index);
        const DbfField &f = fields[index];
        if (f.type == 'M')
            memoTexts.append({index, DbfFieldCodec::memoBytes(f, value)});
        else
            DbfFieldCodec::write(f, value, record.data() + 1 + f.offset);
    }
    for (const auto &[index, text] : memoTexts) {
        const DbfField &f = fields[index];
        char *bytes = record.data() + 1 + f.offset;
        if (text.isEmpty()) {
            DbfMemo::writePointer(bytes, f.width, 0);
            continue;
        }
        // A damaged pointer is simply replaced: that is how the row mends.
        const qint64 current = DbfMemo::parsePointer(bytes, f.width);
        if (compareMemos && memo->holds(current) && memo->read(quint32(current)) == text)
            continue;   // saving an unchanged text must not grow the memo file
        DbfMemo::writePointer(bytes, f.width, memo->append(text));
    }
    return record;
}

void DbfFile::Private::writeStamp(quint32 count)
{
    const QDate today = DbfHeader::today();
    if (count == headerCount && stampDate == today)
        return;
    if (!file.writeAt(DbfHeader::DateOffset, DbfHeader::stamp(count)))
        throwWriteFailed();
    headerCount = count;
    stampDate = today;
}

// The memo blocks it points to first (they wait while bulk appends are
// on), then the row, then the header count and date.
void DbfFile::Private::writeRecord(int recno, const QByteArray &record)
{
    if (memo)
        memo->writeGathered();
    if (!file.writeAt(headerLength + qint64(recno) * recordLength, record))
        throwWriteFailed();
    writeStamp(quint32(recordCount));
    ++generation;
}

int DbfFile::Private::appendRecord(const QByteArray &record)
{
    std::memcpy(startRecord(), record.constData(), size_t(recordLength));
    return finishRecord();
}

char *DbfFile::Private::startRecord()
{
    if (gathered.isEmpty())
        gatheredFrom = recordCount;
    const qsizetype at = gathered.size();
    gathered.resize(at + recordLength);
    std::memset(gathered.data() + at, ' ', size_t(recordLength));
    return gathered.data() + at;
}

void DbfFile::Private::cancelRecord()
{
    gathered.chop(recordLength);
}

int DbfFile::Private::finishRecord()
{
    const int recno = recordCount++;
    ++generation;
    constexpr qsizetype Batch = 1 << 20;
    if (bulkAppends == 0 || gathered.size() + (memo ? memo->gatheredSize() : 0) >= Batch)
        writeGathered();
    return recno;
}

// Memo blocks first, then the rows with the end-of-file byte after them,
// then the header count that makes them visible to every reader.
void DbfFile::Private::writeGathered()
{
    if (gathered.isEmpty())
        return;
    try {
        if (appendWatch)
            appendWatch(gatheredFrom, int(gathered.size() / recordLength));
        if (memo)
            memo->writeGathered();
        gathered.append(DbfHeader::EndOfFile);
        if (!file.writeAt(headerLength + qint64(gatheredFrom) * recordLength, gathered))
            throwWriteFailed();
    } catch (...) {
        dropGathered();
        throw;
    }
    gathered.resize(0);   // keeps the allocation for the next rows
    writeStamp(quint32(recordCount));
}

// The rows that could not be written are gone again.
void DbfFile::Private::dropGathered()
{
    if (memo)
        memo->dropGathered();
    gathered.resize(0);
    recordCount = gatheredFrom;
    ++generation;
}

// ---- DbfFile -------------------------------------------------------------------------

DbfFile::DbfFile()
    : d(std::make_unique<Private>())
{
}

// Rows still gathered go to the file; a failure here has no one left to
// hear of it (bulk appenders end with endBulkAppend(), which reports it).
DbfFile::~DbfFile()
{
    try {
        d->writeGathered();
    } catch (...) {
    }
}

std::shared_ptr<DbfFile> DbfFile::open(const QString &path, bool readOnly)
{
    recoverInterruptedPack(path);
    return openAsItStands(path, readOnly);
}

std::shared_ptr<DbfFile> DbfFile::openAsItStands(const QString &path, bool readOnly)
{
    std::shared_ptr<DbfFile> table(new DbfFile());
    Private &p = *table->d;
    p.path = path;
    p.readOnly = readOnly;
    if (!p.file.open(path, readOnly)) {
        throw DbError(QStringLiteral("无法打开表文件“%1”：%2")
                          .arg(p.nativePath(), p.file.errorText()));
    }
    p.readHeader();
    p.openMemo();
    return table;
}

QString DbfFile::path() const
{
    return d->path;
}

QString DbfFile::tableName() const
{
    return QFileInfo(d->path).completeBaseName();
}

quint8 DbfFile::version() const
{
    return d->version;
}

bool DbfFile::hasMemo() const
{
    return d->memo != nullptr;
}

const QList<DbfField> &DbfFile::fields() const
{
    return d->fields;
}

int DbfFile::fieldCount() const
{
    return int(d->fields.size());
}

int DbfFile::fieldIndex(const QString &name) const
{
    return d->fieldByName.value(name.toUpper(), -1);
}

const DbfField &DbfFile::field(int index) const
{
    d->checkField(index);
    return d->fields[index];
}

int DbfFile::recordCount() const
{
    return d->recordCount;
}

bool DbfFile::isDeleted(int recno) const
{
    return d->recordData(recno)[0] == DbfHeader::DeletedFlag;
}

QList<int> DbfFile::liveRecnos() const
{
    QList<int> recnos;
    recnos.reserve(d->recordCount);
    for (int recno = 0; recno < d->recordCount; ++recno) {
        if (!isDeleted(recno))
            recnos.append(recno);
    }
    return recnos;
}

QVariant DbfFile::value(int recno, int fieldIndex) const
{
    d->checkField(fieldIndex);
    return valueIn(recno, d->recordData(recno), fieldIndex);
}

const char *DbfFile::recordBytes(int recno) const
{
    return d->recordData(recno);
}

QVariant DbfFile::valueIn(int recno, const char *record, int fieldIndex) const
{
    d->checkField(fieldIndex);
    const DbfField &f = d->fields[fieldIndex];
    const char *bytes = record + 1 + f.offset;
    if (f.type == 'M')
        return d->memoValue(recno, bytes, f);
    return DbfFieldCodec::read(f, bytes);
}

QList<QVariant> DbfFile::record(int recno) const
{
    QList<QVariant> values;
    values.reserve(d->fields.size());
    for (int i = 0; i < d->fields.size(); ++i)
        values.append(value(recno, i));
    return values;
}

QByteArray DbfFile::rawField(int recno, int fieldIndex) const
{
    d->checkField(fieldIndex);
    const DbfField &f = d->fields[fieldIndex];
    return QByteArray(d->recordData(recno) + 1 + f.offset, f.width);
}

QByteArrayView DbfFile::textBytes(int recno, int fieldIndex) const
{
    d->checkField(fieldIndex);
    return textBytesIn(recno, d->recordData(recno), fieldIndex);
}

bool DbfFile::plainNumberText(int recno, int fieldIndex, QByteArrayView *text) const
{
    d->checkField(fieldIndex);
    const DbfField &f = d->fields[fieldIndex];
    if (f.type != 'N' && f.type != 'F')
        return false;
    return DbfFieldCodec::plainNumberText(d->recordData(recno) + 1 + f.offset, f.width, text);
}

QByteArrayView DbfFile::textBytesIn(int recno, const char *record, int fieldIndex) const
{
    d->checkField(fieldIndex);
    const DbfField &f = d->fields[fieldIndex];
    const char *bytes = record + 1 + f.offset;
    switch (f.type) {
    case 'C':
        return DbfFieldCodec::textBytes(bytes, f.width);
    case 'M':
        return d->memoBytes(recno, bytes, f);
    default:
        return {};
    }
}

void DbfFile::update(int recno, const QList<QPair<int, QVariant>> &values)
{
    d->requireWritable();
    d->writeGathered();   // the header count written with the row covers them
    QByteArray record(d->recordData(recno), d->recordLength);
    record = d->composeRecord(record, values, true);
    d->writeRecord(recno, record);
}

int DbfFile::append(const QList<QPair<int, QVariant>> &values)
{
    d->requireWritable();
    QByteArray blank(d->recordLength, ' ');
    for (const DbfField &f : std::as_const(d->fields)) {
        if (f.type == 'I')
            std::memset(blank.data() + 1 + f.offset, 0, size_t(f.width));
    }
    return d->appendRecord(d->composeRecord(blank, values, false));
}

namespace {

// The fields of a row from the values of a text file, into a blank record;
// the memo fields with a text are listed, not written.
void fillStoredTexts(const QList<DbfField> &fields, char *record, const QList<QByteArray> &values,
                     bool textsClean, QVarLengthArray<int, 8> &memoFields)
{
    for (int i = 0; i < fields.size(); ++i) {
        const DbfField &f = fields[i];
        char *bytes = record + 1 + f.offset;
        if (f.type == 'I')
            std::memset(bytes, 0, size_t(f.width));
        if (i >= values.size() || values[i].isEmpty())
            continue;
        const QByteArray &value = values[i];
        if (f.isText() && !textsClean)
            DbfFieldCodec::refuseControlCharacters(f, value);
        if (f.type == 'M') {
            memoFields.append(i);
        } else if (f.type == 'C') {
            if (value.size() <= f.width) {
                std::memcpy(bytes, value.constData(), size_t(value.size()));
            } else {
                const QByteArray cut = GbkText::cutBytes(value, f.width);
                std::memcpy(bytes, cut.constData(), size_t(cut.size()));
            }
        } else {
            DbfFieldCodec::writeFromText(f, value, bytes);
        }
    }
}

} // namespace

// The row is made where it is gathered; a refused value takes it back.
// Every value is converted before a memo block is written.
int DbfFile::appendStoredTexts(const QList<QByteArray> &values, bool textsClean)
{
    d->requireWritable();
    char *record = d->startRecord();
    try {
        QVarLengthArray<int, 8> memoFields;
        fillStoredTexts(d->fields, record, values, textsClean, memoFields);
        for (int i : memoFields) {
            const DbfField &f = d->fields.at(i);
            DbfMemo::writePointer(record + 1 + f.offset, f.width, d->memo->append(values[i]));
        }
    } catch (...) {
        d->cancelRecord();
        throw;
    }
    return d->finishRecord();
}

namespace {

bool sameFields(const QList<DbfField> &a, const QList<DbfField> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].name.compare(b[i].name, Qt::CaseInsensitive) != 0 || a[i].type != b[i].type
            || a[i].width != b[i].width || a[i].decimals != b[i].decimals || a[i].offset != b[i].offset)
            return false;
    }
    return true;
}

} // namespace

bool DbfFile::hasFieldsOf(const DbfFile &other) const
{
    return sameFields(d->fields, other.d->fields);
}

int DbfFile::appendCopy(const DbfFile &source, int recno, const QList<QPair<int, QVariant>> &values)
{
    d->requireWritable();
    if (!hasFieldsOf(source)) {
        throw DbError(QStringLiteral("表文件“%1”与“%2”的字段不同，不能复制记录")
                          .arg(source.d->nativePath(), d->nativePath()));
    }
    QByteArray record(source.d->recordData(recno), d->recordLength);
    record[0] = DbfHeader::LiveFlag;
    // The given values first: a refused one leaves no memo text behind.
    record = d->composeRecord(record, values, false);
    QSet<int> given;
    for (const auto &value : values)
        given.insert(value.first);
    for (int i = 0; i < d->fields.size(); ++i) {
        const DbfField &f = d->fields[i];
        if (f.type != 'M' || given.contains(i))
            continue;
        const QByteArray text = source.textBytes(recno, i).toByteArray();
        DbfMemo::writePointer(record.data() + 1 + f.offset, f.width, text.isEmpty() ? 0 : d->memo->append(text));
    }
    return d->appendRecord(record);
}

void DbfFile::beginBulkAppend()
{
    if (d->bulkAppends++ == 0 && d->memo)
        d->memo->setGathering(true);
}

void DbfFile::endBulkAppend()
{
    if (d->bulkAppends == 0 || --d->bulkAppends > 0)
        return;
    if (d->memo)
        d->memo->setGathering(false);
    d->writeGathered();
}

DbfBulkAppend::DbfBulkAppend(std::shared_ptr<DbfFile> file)
    : m_file(std::move(file))
{
    m_file->beginBulkAppend();
}

DbfBulkAppend::~DbfBulkAppend()
{
    if (!m_file)
        return;
    try {
        m_file->endBulkAppend();
    } catch (...) {
    }
}

void DbfBulkAppend::finish()
{
    const std::shared_ptr<DbfFile> file = std::exchange(m_file, nullptr);
    if (file)
        file->endBulkAppend();
}

void DbfFile::setDeleted(int recno, bool deleted)
{
    d->requireWritable();
    d->writeGathered();
    QByteArray record(d->recordData(recno), d->recordLength);
    record[0] = deleted ? DbfHeader::DeletedFlag : DbfHeader::LiveFlag;
    d->writeRecord(recno, record);
}

namespace {
thread_local int syncBatches = 0;
thread_local QList<std::shared_ptr<DbfFile>> filesToSync;
}

DbfSyncBatch::DbfSyncBatch()
{
    ++syncBatches;
}

DbfSyncBatch::~DbfSyncBatch()
{
    try {
        finish();
    } catch (const DbError &) {
    }
}

void DbfSyncBatch::finish()
{
    if (std::exchange(m_done, true) || --syncBatches > 0)
        return;
    const QList<std::shared_ptr<DbfFile>> files = std::exchange(filesToSync, {});
    QString failure;
    for (const std::shared_ptr<DbfFile> &file : files) {
        try {
            file->sync();
        } catch (const DbError &error) {
            if (failure.isEmpty())
                failure = error.message();
        }
    }
    if (!failure.isEmpty())
        throw DbError(failure);
}

void DbfSyncBatch::syncOrDefer(const std::shared_ptr<DbfFile> &file)
{
    if (syncBatches == 0) {
        file->sync();
        return;
    }
    if (!filesToSync.contains(file))
        filesToSync.append(file);
}

QByteArray DbfFile::composedRecord(const QByteArray &stored, const QList<QPair<int, QVariant>> &values)
{
    d->requireWritable();
    if (stored.size() != d->recordLength)
        throw DbError(QStringLiteral("表文件“%1”的记录长度不符").arg(d->nativePath()));
    return d->composeRecord(stored, values, true);
}

void DbfFile::sync()
{
    d->writeGathered();
    if (d->memo)
        d->memo->sync();
    if (!d->file.sync())
        throw DbError(QStringLiteral("无法把表文件“%1”写入磁盘：%2").arg(d->nativePath(), d->file.errorText()));
}

QByteArray DbfFile::storedRecord(int recno) const
{
    return QByteArray(d->recordData(recno), d->recordLength);
}

void DbfFile::restoreRecord(int recno, const QByteArray &stored)
{
    d->requireWritable();
    if (stored.size() != d->recordLength) {
        throw DbError(QStringLiteral("表文件“%1”的第%2条记录无法恢复：记录长度不符")
                          .arg(d->nativePath())
                          .arg(recno + 1));
    }
    d->writeGathered();
    d->checkRecord(recno);
    d->writeRecord(recno, stored);
}

// Texts written since are never pointed to by a row kept, unless a kept row
// was changed meanwhile: then the memo file stays as it is.
bool DbfFile::Private::memoBlocksKeptBelow(qint64 memoSize)
{
    for (int recno = 0; recno < recordCount; ++recno) {
        for (const DbfField &f : std::as_const(fields)) {
            if (f.type == 'M' && qint64(memoBlock(recno, recordData(recno) + 1 + f.offset, f)) * memo->blockSize() >= memoSize)
                return false;
        }
    }
    return true;
}

DbfFile::Extent DbfFile::extent() const
{
    d->writeGathered();
    return {d->recordCount, d->memo ? d->memo->fileSize() : 0};
}

void DbfFile::cutBack(const Extent &extent)
{
    d->requireWritable();
    if (!d->gathered.isEmpty())
        d->dropGathered();
    if (extent.records < d->recordCount) {
        for (int recno = extent.records; recno < d->recordCount; ++recno) {
            if (!isDeleted(recno))
                setDeleted(recno, true);
        }
        d->writeStamp(quint32(extent.records));
        const qint64 end = d->headerLength + qint64(extent.records) * d->recordLength;
        if (!d->file.writeAt(end, QByteArrayView("\x1a", 1).data(), 1) || !d->file.truncate(end + 1))
            d->throwWriteFailed();
        d->recordCount = extent.records;
        ++d->generation;
    }
    if (d->memo && d->memo->fileSize() > extent.memoSize && d->memoBlocksKeptBelow(extent.memoSize))
        d->memo->cutBack(extent.memoSize);
}

void DbfFile::refresh()
{
    d->writeGathered();
    const int before = d->recordCount;
    const quint32 headerBefore = d->headerCount;
    d->readHeader();
    if (d->recordCount != before || d->headerCount != headerBefore)
        ++d->generation;
}

quint64 DbfFile::generation() const
{
    return d->generation;
}

QString DbfFile::damage() const
{
    return d->damage;
}

bool DbfFile::isWritable() const
{
    return d->writeRefusal().isEmpty();
}

void DbfFile::watchAppends(AppendWatch watch)
{
    d->appendWatch = std::move(watch);
}

void DbfFile::refuseWrites(const QString &reason)
{
    d->refusal = reason;
}

void DbfFile::checkWritable() const
{
    d->requireWritable();
}

// ---- create ----------------------------------------------------------------------------

namespace {

// Fixed widths of the types that have one; names and widths checked.
DbfField checkedField(DbfField f, const QString &path)
{
    const QByteArray name = f.name.toLatin1();
    auto refuse = [&](const QString &what) {
        throw DbError(QStringLiteral("无法建立表文件“%1”：字段“%2”%3")
                          .arg(QDir::toNativeSeparators(path), f.name, what));
    };
    if (name.isEmpty() || name.size() > 10 || QString::fromLatin1(name) != f.name)
        refuse(QStringLiteral("的名称须为1到10个英文字母、数字或下划线"));
    switch (f.type) {
    case 'C':
        if (f.width < 1 || f.width > 254)
            refuse(QStringLiteral("的宽度须在1到254之间"));
        f.decimals = 0;
        break;
    case 'N': case 'F':
        if (f.width < 1 || f.width > 20 || f.decimals < 0
            || (f.decimals > 0 && f.decimals > f.width - 2))
            refuse(QStringLiteral("的宽度或小数位数有误"));
        break;
    case 'D': f.width = 8; f.decimals = 0; break;
    case 'L': f.width = 1; f.decimals = 0; break;
    case 'M': f.width = 10; f.decimals = 0; break;
    default:
        refuse(QStringLiteral("的类型须为C、N、F、D、L或M"));
    }
    return f;
}

QByteArray newHeader(const QList<DbfField> &fields, quint8 version, quint8 languageDriver)
{
    const int headerLength = DbfHeader::Size + DbfHeader::FieldSize * int(fields.size()) + 1;
    int recordLength = 1;
    for (const DbfField &f : fields)
        recordLength += f.width;
    QByteArray header(headerLength, '\0');
    header[0] = char(version);
    header.replace(DbfHeader::DateOffset, 7, DbfHeader::stamp(0));
    qToLittleEndian<quint16>(quint16(headerLength), header.data() + DbfHeader::HeaderLengthOffset);
    qToLittleEndian<quint16>(quint16(recordLength), header.data() + DbfHeader::RecordLengthOffset);
    header[DbfHeader::LanguageDriverOffset] = char(languageDriver);
    char *d = header.data() + DbfHeader::Size;
    for (const DbfField &f : fields) {
        const QByteArray name = f.name.toLatin1();
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[11] = f.type;
        qToLittleEndian<quint32>(quint32(f.offset + 1), d + 12);
        d[16] = char(f.width);
        d[17] = char(f.decimals);
        d += DbfHeader::FieldSize;
    }
    header[headerLength - 1] = DbfHeader::Terminator;
    return header;
}

} // namespace

void DbfFile::create(const QString &path, const QList<DbfField> &fields, quint8 languageDriver)
{
    const QString native = QDir::toNativeSeparators(path);
    if (fields.isEmpty())
        throw DbError(QStringLiteral("无法建立表文件“%1”：没有字段").arg(native));
    QList<DbfField> laidOut;
    int offset = 0;
    for (const DbfField &given : fields) {
        DbfField f = checkedField(given, path);
        f.offset = offset;
        offset += f.width;
        laidOut.append(f);
    }
    if (offset + 1 > 0xFFFF || laidOut.size() > 255)
        throw DbError(QStringLiteral("无法建立表文件“%1”：字段太多或太宽").arg(native));

    const bool memo = hasMemoField(laidOut);
    const QByteArray header = newHeader(laidOut, memo ? DBase3WithMemo : DBase3, languageDriver);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (file.exists())
            throw DbError(QStringLiteral("无法建立表文件“%1”：文件已经存在").arg(native));
        throw DbError(QStringLiteral("无法建立表文件“%1”：%2").arg(native, Disk::reason(file)));
    }
    const QByteArray bytes = header + DbfHeader::EndOfFile;
    if (!Disk::write(file, bytes.constData(), bytes.size()) || !file.flush())
        throw DbError(QStringLiteral("无法建立表文件“%1”：%2").arg(native, Disk::reason(file)));
    file.close();
    if (memo)
        DbfMemo::create(memoPathFor(path), DbfMemo::Layout::DBase3, QFileInfo(path).completeBaseName());
}
