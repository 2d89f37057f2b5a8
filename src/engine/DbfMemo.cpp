#include "DbfMemo.h"

#include "DbError.h"
#include "Disk.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace {

constexpr char EndOfText = 0x1A;
constexpr uchar DBase4Signature[4] = {0xFF, 0xFF, 0x08, 0x00};
constexpr int DBase4EntryHeader = 8;
constexpr int DBase3Terminator = 2;
constexpr int BlockSizeOffset = 20;   // dBase IV header: block size, 16 bits
constexpr int TableNameOffset = 8;    // dBase IV header: table name, 8 bytes

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

DbfMemo::DbfMemo(const QString &path, Layout layout, bool readOnly)
    : m_layout(layout)
{
    if (!m_file.open(path, readOnly)) {
        throw DbError(QStringLiteral("无法打开备注文件“%1”：%2")
                          .arg(nativePath(path), m_file.errorText()));
    }
    const char *header = m_file.data(0, 4);
    if (!header)
        throwDamaged(QStringLiteral("文件头不完整"));
    if (layout == Layout::DBase4) {
        if (const char *size = m_file.data(BlockSizeOffset, 2)) {
            const int stored = qFromLittleEndian<quint16>(size);
            if (stored >= 32)
                m_blockSize = stored;
        }
    }
}

void DbfMemo::throwDamaged(const QString &what) const
{
    throw DbDamageError(QStringLiteral("备注文件“%1”已损坏：%2").arg(nativePath(path()), what));
}

QByteArrayView DbfMemo::view(quint32 block)
{
    if (block == 0)
        return QByteArrayView();
    if (!m_gathered.isEmpty() && block >= m_gatheredFrom)
        writeGathered();
    const qint64 offset = qint64(block) * m_blockSize;
    const char *head = m_file.data(offset, DBase4EntryHeader);
    if (head && std::memcmp(head, DBase4Signature, 4) == 0) {
        const quint32 length = qFromLittleEndian<quint32>(head + 4);
        if (length < DBase4EntryHeader)
            throwDamaged(QStringLiteral("第%1块的长度有误").arg(block));
        const qint64 textLength = length - DBase4EntryHeader;
        const char *text = m_file.data(offset + DBase4EntryHeader, textLength);
        if (!text)
            throwDamaged(QStringLiteral("第%1块的内容不完整").arg(block));
        return QByteArrayView(text, textLength);
    }
    if (offset >= m_file.knownSize() && offset >= m_file.currentSize())
        throwDamaged(QStringLiteral("第%1块不存在").arg(block));
    return viewDBase3(offset);
}

// The text runs to the first end-of-text byte (writers put one or two), or
// to the end of the file.
QByteArrayView DbfMemo::viewDBase3(qint64 offset)
{
    qint64 available = 0;
    if (const char *text = m_file.mappedFrom(offset, &available)) {
        if (const void *end = std::memchr(text, EndOfText, size_t(available)))
            return QByteArrayView(text, static_cast<const char *>(end) - text);
        if (m_file.currentSize() == offset + available)
            return QByteArrayView(text, available);   // unended last entry
    }
    // Unmapped, or grown by another program since it was mapped.
    constexpr qint64 Chunk = 64 * 1024;
    const qint64 size = m_file.currentSize();
    m_text.clear();
    for (qint64 pos = offset; pos < size; pos += Chunk) {
        const qint64 length = qMin(Chunk, size - pos);
        const char *chunk = m_file.data(pos, length);
        if (!chunk)
            break;
        const void *end = std::memchr(chunk, EndOfText, size_t(length));
        m_text.append(chunk, end ? static_cast<const char *>(end) - chunk : length);
        if (end)
            break;
    }
    return m_text;
}

// The end of the file, never the header's pointer: blocks past a stale
// pointer may hold text that some record points to, and a pointer beyond the
// end (damage) would leave a gap or, wrapping, lead into used blocks.
quint32 DbfMemo::firstFreeBlock()
{
    if (!m_file.data(0, 4))
        throwDamaged(QStringLiteral("文件头不完整"));
    const qint64 blocksInFile = (m_file.currentSize() + m_blockSize - 1) / m_blockSize;
    return quint32(requireBlockNumber(std::max<qint64>(blocksInFile, 1)));
}

// Block numbers are 32-bit on disk and ten digits in a record.
qint64 DbfMemo::requireBlockNumber(qint64 block) const
{
    if (block > qint64(std::numeric_limits<quint32>::max()))
        throw DbError(QStringLiteral("备注文件“%1”已满，不能再写入。").arg(nativePath(path())));
    return block;
}

// A dBase III entry's last block ends in its terminator or the zeros after
// it, a block within the text in a text byte (text holds neither): one byte
// per block tells where the entry ends. A writer that leaves other bytes
// after the terminator makes the entry look longer, which only makes
// compacting look less worth it.
qint64 DbfMemo::entryBlocks(quint32 block)
{
    if (block == 0)
        return 0;
    const qint64 first = qint64(block) * m_blockSize;
    const char *head = m_file.data(first, DBase4EntryHeader);
    if (head && std::memcmp(head, DBase4Signature, 4) == 0) {
        const qint64 length = qFromLittleEndian<quint32>(head + 4);
        return (length + m_blockSize - 1) / m_blockSize;
    }
    const qint64 size = m_file.knownSize();
    qint64 blocks = 0;
    for (qint64 end = first + m_blockSize; end - m_blockSize < size; end += m_blockSize) {
        ++blocks;
        const char *last = m_file.data(qMin(end, size) - 1, 1);
        if (!last || *last == '\0' || *last == EndOfText)
            break;
    }
    return blocks;
}

// A pointer beyond the end is never written by us (blocks go first) and
// points nowhere: whatever wrote it cannot be trusted with the rest.
QString DbfMemo::damage()
{
    const char *header = m_file.data(0, 4);
    if (!header)
        return QStringLiteral("的文件头不完整");
    const qint64 pointer = qFromLittleEndian<quint32>(header);
    const qint64 blocksInFile = (m_file.currentSize() + m_blockSize - 1) / m_blockSize;
    if (pointer > blocksInFile) {
        return QStringLiteral("的下一个空闲块指针为%1，超出了文件的%2块").arg(pointer).arg(blocksInFile);
    }
    return QString();
}

bool DbfMemo::holds(qint64 block)
{
    if (block <= 0 || block > qint64(std::numeric_limits<quint32>::max()))
        return false;
    if (!m_gathered.isEmpty() && block >= m_gatheredFrom
        && block < m_gatheredFrom + m_gathered.size() / m_blockSize)
        return true;
    const qint64 offset = block * m_blockSize;
    return offset < m_file.knownSize() || offset < m_file.currentSize();
}

// An entry is gathered even when it is written at once, so that both ways
// share one path (and the buffer is reused).
quint32 DbfMemo::append(QByteArrayView text)
{
    if (m_gathered.isEmpty())
        m_gatheredFrom = firstFreeBlock();
    const qint64 block = m_gatheredFrom + m_gathered.size() / m_blockSize;
    requireBlockNumber(block + entrySize(m_layout, m_blockSize, text.size()) / m_blockSize);
    appendEntry(m_gathered, m_layout, m_blockSize, text);
    if (!m_gathering)
        writeGathered();
    return quint32(block);
}

void DbfMemo::setGathering(bool on)
{
    m_gathering = on;
}

void DbfMemo::writeGathered()
{
    if (m_gathered.isEmpty())
        return;
    const quint32 nextFree = quint32(requireBlockNumber(m_gatheredFrom + m_gathered.size() / m_blockSize));
    uchar pointer[4];
    qToLittleEndian<quint32>(nextFree, pointer);
    const bool written = m_file.writeAt(qint64(m_gatheredFrom) * m_blockSize, m_gathered)
                         && m_file.writeAt(0, reinterpret_cast<const char *>(pointer), 4);
    dropGathered();
    if (!written) {
        throw DbError(QStringLiteral("无法写入备注文件“%1”：%2")
                          .arg(nativePath(path()), m_file.errorText()));
    }
}

void DbfMemo::sync()
{
    writeGathered();
    if (!m_file.sync()) {
        throw DbError(QStringLiteral("无法把备注文件“%1”写入磁盘：%2")
                          .arg(nativePath(path()), m_file.errorText()));
    }
}

void DbfMemo::cutBack(qint64 size)
{
    dropGathered();
    const qint64 blocks = qMax<qint64>(1, (size + m_blockSize - 1) / m_blockSize);
    if (m_file.currentSize() <= blocks * m_blockSize)
        return;
    uchar pointer[4];
    qToLittleEndian<quint32>(quint32(requireBlockNumber(blocks)), pointer);
    if (!m_file.writeAt(0, reinterpret_cast<const char *>(pointer), 4) || !m_file.truncate(blocks * m_blockSize)) {
        throw DbError(QStringLiteral("无法写入备注文件“%1”：%2")
                          .arg(nativePath(path()), m_file.errorText()));
    }
}

void DbfMemo::dropGathered()
{
    m_gathered.resize(0);   // keeps the allocation for the next entries
}

QByteArray DbfMemo::headerBlock(Layout layout, quint32 nextFree, int blockSize,
                                const QString &tableBaseName)
{
    QByteArray header(layout == Layout::DBase4 ? blockSize : DefaultBlockSize, '\0');
    qToLittleEndian<quint32>(nextFree, header.data());
    if (layout == Layout::DBase4) {
        const QByteArray name = tableBaseName.toLatin1().left(8);
        std::memcpy(header.data() + TableNameOffset, name.constData(), size_t(name.size()));
        qToLittleEndian<quint16>(quint16(blockSize), header.data() + BlockSizeOffset);
    }
    return header;
}

QByteArray DbfMemo::entryHead(Layout layout, qint64 textSize)
{
    if (layout != Layout::DBase4)
        return QByteArray();
    QByteArray head(reinterpret_cast<const char *>(DBase4Signature), 4);
    head.resize(DBase4EntryHeader);
    qToLittleEndian<quint32>(quint32(textSize + DBase4EntryHeader), head.data() + 4);
    return head;
}

QByteArray DbfMemo::entryTail(Layout layout, int blockSize, qint64 textSize)
{
    QByteArray tail;
    if (layout == Layout::DBase3)
        tail.append(DBase3Terminator, EndOfText);
    const qint64 used = textSize + tail.size() + (layout == Layout::DBase4 ? DBase4EntryHeader : 0);
    const qint64 padded = (used + blockSize - 1) / blockSize * blockSize;
    tail.append(padded - used, '\0');
    return tail;
}

qint64 DbfMemo::entrySize(Layout layout, int blockSize, qint64 textSize)
{
    const qint64 used = textSize + (layout == Layout::DBase4 ? DBase4EntryHeader : DBase3Terminator);
    return (used + blockSize - 1) / blockSize * blockSize;
}

// Written in place: entries are appended by the hundred thousand when a
// table is loaded.
void DbfMemo::appendEntry(QByteArray &blocks, Layout layout, int blockSize, QByteArrayView text)
{
    const qsizetype at = blocks.size();
    blocks.resize(at + entrySize(layout, blockSize, text.size()));
    char *p = blocks.data() + at;
    if (layout == Layout::DBase4) {
        std::memcpy(p, DBase4Signature, 4);
        qToLittleEndian<quint32>(quint32(text.size() + DBase4EntryHeader), p + 4);
        p += DBase4EntryHeader;
    }
    std::memcpy(p, text.data(), size_t(text.size()));
    p += text.size();
    if (layout == Layout::DBase3) {
        *p++ = EndOfText;
        *p++ = EndOfText;
    }
    std::memset(p, 0, size_t(blocks.data() + blocks.size() - p));
}

void DbfMemo::create(const QString &path, Layout layout, const QString &tableBaseName)
{
    QFile file(path);
    const QByteArray header = headerBlock(layout, 1, DefaultBlockSize, tableBaseName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || !Disk::write(file, header.constData(), header.size())
        || !file.flush()) {
        throw DbError(QStringLiteral("无法建立备注文件“%1”：%2")
                          .arg(nativePath(path), Disk::reason(file)));
    }
}

// Blank padded on either side, as writers differ; blanks inside ("12 34")
// or any other byte make it no pointer.
qint64 DbfMemo::parsePointer(const char *field, int width)
{
    qint64 block = 0;
    enum { Before, Digits, After } state = Before;
    for (int i = 0; i < width; ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            if (state == After)
                return NotAPointer;
            state = Digits;
            block = block * 10 + (c - '0');
            if (block > qint64(std::numeric_limits<quint32>::max()))
                return NotAPointer;
        } else if (c == ' ' || c == '\0') {
            if (state == Digits)
                state = After;
        } else {
            return NotAPointer;
        }
    }
    return block;
}

void DbfMemo::writePointer(char *field, int width, quint32 block)
{
    if (block == 0) {
        std::memset(field, ' ', size_t(width));
        return;
    }
    char digits[16];
    const auto length = int(std::to_chars(digits, digits + sizeof digits, block).ptr - digits);
    if (length >= width) {
        std::memcpy(field, digits, size_t(width));
        return;
    }
    // Digit by digit from the right, zeros before: a pointer is written
    // for every memo text a table is loaded with.
    for (int i = width - 1; i >= 0; --i, block /= 10)
        field[i] = char('0' + block % 10);
}
