#pragma once
#include "StoredFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The memo file (.dbt) of a table. Block 0 is the header whose first four
// bytes point to the next free block. A dBase III entry is the text ended by
// 0x1A 0x1A in 512-byte blocks; a dBase IV entry starts FF FF 08 00 and a
// four-byte length that counts those eight bytes, in blocks of the size the
// header gives. Both are read whatever the table's version says; new entries
// are written in the file's own layout.
class DbfMemo
{
public:
    enum class Layout { DBase3, DBase4 };
    static constexpr int DefaultBlockSize = 512;

    // Throws DbError naming the file.
    DbfMemo(const QString &path, Layout layout, bool readOnly);

    QString path() const { return m_file.path(); }
    Layout layout() const { return m_layout; }
    int blockSize() const { return m_blockSize; }
    qint64 fileSize() { return m_file.currentSize(); }

    // The stored GBK bytes of the entry; empty for block 0.
    QByteArray read(quint32 block) { return view(block).toByteArray(); }
    // The same without a copy where the file is mapped; valid until the
    // next call on this object.
    QByteArrayView view(quint32 block);
    // Writes the text into new blocks at the end, then moves the next-free
    // pointer past them; returns the first block.
    quint32 append(QByteArrayView text);
    // While gathering, appended entries wait in memory until
    // writeGathered() writes them together, still before the next-free
    // pointer; reading a waiting entry writes them first.
    void setGathering(bool on);
    qsizetype gatheredSize() const { return m_gathered.size(); }
    void writeGathered();    // throws DbError; the waiting entries are dropped then
    void dropGathered();     // forgets the waiting entries
    // Writes the waiting entries, then waits until the file is on the disk.
    // Throws DbError.
    void sync();
    // Gives back the entries written since the file had that size (a
    // whole number of blocks): the next-free pointer first, so that a
    // program killed before the cut finds them unused. Throws DbError.
    void cutBack(qint64 size);

    // What a new memo file or entry looks like on disk.
    static QByteArray headerBlock(Layout layout, quint32 nextFree, int blockSize,
                                  const QString &tableBaseName);
    static void appendEntry(QByteArray &blocks, Layout layout, int blockSize, QByteArrayView text);
    // The bytes an entry of that much text takes, whole blocks.
    static qint64 entrySize(Layout layout, int blockSize, qint64 textSize);
    // What comes before and after the text of an entry (the tail fills the
    // last block).
    static QByteArray entryHead(Layout layout, qint64 textSize);
    static QByteArray entryTail(Layout layout, int blockSize, qint64 textSize);
    static void create(const QString &path, Layout layout, const QString &tableBaseName);

    // The block number a record's memo field holds (blank or 0: none);
    // NotAPointer for anything that is no block number of 32 bits.
    static constexpr qint64 NotAPointer = -1;
    static qint64 parsePointer(const char *field, int width);
    // Whether the block lies within the file (or among the entries waiting
    // to be written): a pointer elsewhere is damage.
    bool holds(qint64 block);
    // How many blocks the entry takes (0 for block 0), found without reading
    // its text where the layout allows: for deciding whether compacting the
    // file is worth it.
    qint64 entryBlocks(quint32 block);
    // What is wrong with the header ("下一个空闲块…"); empty when nothing is.
    QString damage();
    static void writePointer(char *field, int width, quint32 block);

private:
    QByteArrayView viewDBase3(qint64 offset);
    quint32 firstFreeBlock();
    qint64 requireBlockNumber(qint64 block) const;
    [[noreturn]] void throwDamaged(const QString &what) const;

    StoredFile m_file;
    Layout m_layout;
    int m_blockSize = DefaultBlockSize;
    QByteArray m_text;   // where the file cannot be mapped
    bool m_gathering = false;
    QByteArray m_gathered;        // entries not yet written, whole blocks
    quint32 m_gatheredFrom = 0;   // the block the first of them goes to
};
