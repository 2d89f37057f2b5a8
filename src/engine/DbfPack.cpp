// Pack: the table (and its memo file, when that is worth compacting) is
// written anew beside the old one and then renamed over it. A table alone
// is replaced by its one rename. Two renames are not atomic together, so a
// commit marker, written only when the new files are complete on disk, says
// that the renames are due: whoever opens the table next finishes them.
// Without the marker the new files are unfinished and are thrown away.
#include "DbfFile.h"

#include "DbError.h"
#include "DbfFilePrivate.h"
#include "Disk.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <future>
#include <memory>
#include <numeric>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

struct PackNames
{
    QString folder;
    QString table;       // file names within the folder
    QString memo;
    QString newTable;
    QString newMemo;
    QString marker;
    QString markerDraft;

    explicit PackNames(const QString &dbfPath)
    {
        const QFileInfo info(dbfPath);
        folder = info.absolutePath();
        table = info.fileName();
        memo = QFileInfo(memoPathFor(dbfPath)).fileName();
        newTable = table + QStringLiteral(".pack-dbf");
        newMemo = table + QStringLiteral(".pack-dbt");
        marker = table + QStringLiteral(".pack-commit");
        markerDraft = table + QStringLiteral(".pack-commit-draft");
    }
    QString at(const QString &name) const { return QDir(folder).filePath(name); }
};

[[noreturn]] void throwPackFailed(const QString &dbfPath, const QString &why)
{
    throw DbError(QStringLiteral("无法压缩表文件“%1”：%2")
                      .arg(QDir::toNativeSeparators(dbfPath), why));
}

// A step on the disk, its failure said of the table packed.
template<typename Step>
void onDisk(const QString &dbfPath, Step step)
{
    try {
        step();
    } catch (const DbDamageError &) {
        throw;
    } catch (const DbError &error) {
        throwPackFailed(dbfPath, error.message());
    }
}

// A rename that the disk may not keep is no step to build the next on.
void syncFolderOf(const PackNames &names, const QString &dbfPath)
{
    onDisk(dbfPath, [&] { Disk::syncFolder(names.folder); });
}

void removeIfPresent(const QString &path)
{
    onDisk(path, [&] { Disk::remove(path); });
}

void renameOver(const QString &from, const QString &to, const QString &dbfPath)
{
    onDisk(dbfPath, [&] { Disk::rename(from, to); });
}

// A new file of the pack, beside the one it replaces and with its
// permissions; its failures are said of the table packed.
class NewFile
{
public:
    NewFile(const QString &path, const QString &dbfPath, const QString &replaces = {})
        : m_dbfPath(dbfPath)
    {
        onDisk(dbfPath, [&] { m_file = std::make_unique<Disk::NewFile>(path, replaces); });
    }
    void write(const char *bytes, qint64 length)
    {
        onDisk(m_dbfPath, [&] { m_file->write(bytes, length); });
    }
    void write(QByteArrayView bytes) { write(bytes.data(), bytes.size()); }
    void writeAt(qint64 offset, const QByteArray &bytes)
    {
        onDisk(m_dbfPath, [&] { m_file->writeAt(offset, bytes); });
    }
    // On the disk and closed; it stays until renamed or thrown away.
    void finish()
    {
        onDisk(m_dbfPath, [&] { m_file->finish(); });
    }
    // Finished, it takes the target's name; the folder is synced after.
    void replace(const QString &target)
    {
        onDisk(m_dbfPath, [&] { m_file->replace(target); });
    }

private:
    QString m_dbfPath;
    std::unique_ptr<Disk::NewFile> m_file;
};

// Letting go of a replaced file of many megabytes makes the system free its
// pages and blocks: tens of milliseconds, spent on the thread that drops
// its last name or handle. A handle taken before the renames is let go of
// on a thread of its own once they are done.
class ReplacedFiles
{
public:
    explicit ReplacedFiles(const QStringList &paths)
    {
#ifdef Q_OS_UNIX
        for (const QString &path : paths) {
            const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            if (handle >= 0)
                m_handles.push_back(handle);
        }
#else
        Q_UNUSED(paths);
#endif
    }
    ReplacedFiles(const ReplacedFiles &) = delete;
    ReplacedFiles &operator=(const ReplacedFiles &) = delete;
    ~ReplacedFiles()
    {
#ifdef Q_OS_UNIX
        if (m_handles.empty())
            return;
        try {
            std::thread([handles = m_handles] { closeAll(handles); }).detach();
        } catch (const std::system_error &) {
            closeAll(m_handles);
        }
#endif
    }

private:
    static void closeAll(const std::vector<int> &handles)
    {
#ifdef Q_OS_UNIX
        for (const int handle : handles)
            ::close(handle);
#else
        Q_UNUSED(handles);
#endif
    }
    std::vector<int> m_handles;
};

void writeMarker(const PackNames &names, bool withMemo, const QString &dbfPath)
{
    NewFile draft(names.at(names.markerDraft), dbfPath);
    draft.write((names.table + QLatin1Char('\n') + (withMemo ? names.memo : QString())
                 + QLatin1Char('\n'))
                    .toUtf8());
    draft.replace(names.at(names.marker));
}

// The new memo file of a pack: entries are copied in the order of the rows
// that keep them, with no gaps.
class MemoCopy
{
public:
    MemoCopy(DbfMemo &from, const QString &path, const QString &dbfPath, const QString &tableName)
        : m_from(from), m_to(path, dbfPath, from.path())
    {
        m_to.write(DbfMemo::headerBlock(from.layout(), m_next, from.blockSize(), tableName));
    }
    // The entry's block in the new file (0 for an empty text, which needs none).
    quint32 copy(QByteArrayView text)
    {
        if (text.isEmpty())
            return 0;
        const QByteArray head = DbfMemo::entryHead(m_from.layout(), text.size());
        const QByteArray tail = DbfMemo::entryTail(m_from.layout(), m_from.blockSize(), text.size());
        m_to.write(head);
        m_to.write(text);
        m_to.write(tail);
        const quint32 first = m_next;
        m_next += quint32((head.size() + text.size() + tail.size()) / m_from.blockSize());
        return first;
    }
    void finish()
    {
        QByteArray pointer(4, '\0');
        qToLittleEndian<quint32>(m_next, pointer.data());
        m_to.writeAt(0, pointer);
        m_to.finish();
    }

private:
    DbfMemo &m_from;
    NewFile m_to;
    quint32 m_next = 1;
};

// dBase itself leaves a memo file alone when it packs. Rewriting it is what
// costs time (it is most of a table's bytes), so it is compacted only once
// unused blocks (of deleted rows, of replaced texts) make a quarter of it.
bool memoWorthCompacting(quint64 liveBlocks, qint64 memoFileSize, int blockSize)
{
    const quint64 blocks = quint64(qMax<qint64>(0, memoFileSize / blockSize - 1));
    return blocks > liveBlocks && (blocks - liveBlocks) * 4 >= blocks;
}

quint64 blocksOfSlice(DbfMemo &memo, const quint32 *first, const quint32 *last)
{
    quint64 blocks = 0;
    for (; first != last; ++first)
        blocks += quint64(memo.entryBlocks(*first));
    return blocks;
}

// Where each text ends is read at every block end: the whole memo file is
// touched, hundreds of megabytes in a large unit. A large one is shared
// among a few threads, each reading through a view of the file of its own
// (a view keeps state and is not shared). A share whose view cannot be
// made, whose thread the system refuses or that fails in its thread is
// read again by the calling thread.
quint64 blocksOfEntries(DbfMemo &memo, const QList<quint32> &entries)
{
    constexpr qsizetype EntriesPerThread = 20000;
    constexpr int MostThreads = 4;
    const int cores = qBound(1, int(std::thread::hardware_concurrency()), MostThreads);
    const int slices = int(qBound(qsizetype(1), entries.size() / EntriesPerThread, qsizetype(cores)));
    const auto slice = [&](int i) { return entries.constData() + entries.size() * i / slices; };
    std::vector<quint64> sums(static_cast<size_t>(slices), 0);
    std::vector<char> done(static_cast<size_t>(slices), 0);
    std::vector<std::unique_ptr<DbfMemo>> views(static_cast<size_t>(slices));
    {
        std::vector<std::jthread> workers;   // joined when the block ends, whatever happens
        for (int i = 1; i < slices; ++i) {
            try {
                views[size_t(i)] = std::make_unique<DbfMemo>(memo.path(), memo.layout(), true);
                DbfMemo *view = views[size_t(i)].get();
                workers.emplace_back([&sums, &done, &slice, view, i] {
                    try {
                        sums[size_t(i)] = blocksOfSlice(*view, slice(i), slice(i + 1));
                        done[size_t(i)] = 1;
                    } catch (...) {
                    }
                });
            } catch (const DbError &) {
            } catch (const std::system_error &) {
            }
        }
        sums[0] = blocksOfSlice(memo, slice(0), slice(1));
        done[0] = 1;
    }
    for (int i = 1; i < slices; ++i) {
        if (!done[size_t(i)])
            sums[size_t(i)] = blocksOfSlice(memo, slice(i), slice(i + 1));
    }
    return std::accumulate(sums.begin(), sums.end(), quint64(0));
}

// The new table, complete on the disk, takes the old one's name at once;
// killed before, the next open throws it away.
void replaceTable(const PackNames &names, const QString &dbfPath)
{
    const ReplacedFiles replaced({dbfPath});
    try {
        onDisk(dbfPath, [&] { Disk::putInPlace(names.at(names.newTable), dbfPath); });
    } catch (...) {
        Disk::discard(names.at(names.newTable));
        throw;
    }
}

} // namespace

void DbfFile::recoverInterruptedPack(const QString &path)
{
    const PackNames names(path);
    QFile marker(names.at(names.marker));
    if (!marker.exists()) {
        removeIfPresent(names.at(names.newTable));
        removeIfPresent(names.at(names.newMemo));
        removeIfPresent(names.at(names.markerDraft));
        return;
    }
    if (!marker.open(QIODevice::ReadOnly))
        throwPackFailed(path, QStringLiteral("无法读取“%1”").arg(names.marker));
    const QStringList targets = QString::fromUtf8(marker.readAll()).split(QLatin1Char('\n'));
    marker.close();
    const QString memoTarget = targets.value(1);
    if (QFileInfo::exists(names.at(names.newMemo))) {
        if (memoTarget.isEmpty())
            removeIfPresent(names.at(names.newMemo));
        else
            renameOver(names.at(names.newMemo), names.at(memoTarget), path);
    }
    if (QFileInfo::exists(names.at(names.newTable)))
        renameOver(names.at(names.newTable), names.at(names.table), path);
    syncFolderOf(names, path);
    removeIfPresent(names.at(names.marker));
    syncFolderOf(names, path);
}

bool DbfFile::Private::hasDeletedRows()
{
    for (int recno = 0; recno < recordCount; ++recno) {
        if (recordData(recno)[0] == DbfHeader::DeletedFlag)
            return true;
    }
    return false;
}

quint64 DbfFile::Private::liveMemoBlocks()
{
    QList<quint32> entries;
    for (int recno = 0; recno < recordCount; ++recno) {
        if (recordData(recno)[0] == DbfHeader::DeletedFlag)
            continue;
        for (const DbfField &f : std::as_const(fields)) {
            if (f.type != 'M')
                continue;
            if (const quint32 block = memoBlock(recno, recordData(recno) + 1 + f.offset, f))
                entries.append(block);
        }
    }
    return blocksOfEntries(*memo, entries);
}

// Rows that keep their memo pointers go over in runs of live rows, as
// they stand, from one view of all the rows. A file cut by another program
// meanwhile reads as zeros there: the view tells, and the copy is damage.
template<typename Table, typename Out>
quint32 copyLiveRowRuns(Table &p, Out &out)
{
    const char *rows = p.file.data(p.headerLength, qint64(p.recordCount) * p.recordLength);
    if (!rows) {
        for (int recno = 0; recno < p.recordCount; ++recno)
            p.recordData(recno);   // names the first row not there
        p.throwDamaged(QStringLiteral("记录不完整"));
    }
    quint32 kept = 0;
    int run = -1;
    for (int recno = 0; recno <= p.recordCount; ++recno) {
        const bool live = recno < p.recordCount && rows[qint64(recno) * p.recordLength] != DbfHeader::DeletedFlag;
        if (live && run < 0)
            run = recno;
        if (live || run < 0)
            continue;
        out.write(rows + qint64(run) * p.recordLength, qint64(recno - run) * p.recordLength);
        kept += quint32(recno - run);
        run = -1;
    }
    if (p.file.wasCut())
        p.throwDamaged(p.file.errorText());
    return kept;
}

// Rows whose memo texts move to the new memo file, one by one.
template<typename Table, typename Out, typename Memo>
quint32 copyRowsWithMemos(Table &p, Out &out, Memo &memo)
{
    quint32 kept = 0;
    QByteArray record(p.recordLength, ' ');
    for (int recno = 0; recno < p.recordCount; ++recno) {
        const char *row = p.recordData(recno);
        if (row[0] == DbfHeader::DeletedFlag)
            continue;
        std::memcpy(record.data(), row, size_t(p.recordLength));
        for (const DbfField &f : std::as_const(p.fields)) {
            if (f.type == 'M') {
                char *pointer = record.data() + 1 + f.offset;
                DbfMemo::writePointer(pointer, f.width, memo.copy(p.memoBytes(recno, pointer, f)));
            }
        }
        out.write(record);
        ++kept;
    }
    return kept;
}

bool DbfFile::Private::memoWorthCompacting()
{
    return memo && ::memoWorthCompacting(liveMemoBlocks(), memo->fileSize(), memo->blockSize());
}

bool DbfFile::needsPacking()
{
    if (!d->damage.isEmpty())
        d->throwDamaged(d->damage);
    return d->memoWorthCompacting() || d->hasDeletedRows();
}

// The end-of-file byte and the count of the rows kept, then the new table
// to the disk.
static void finishTable(NewFile &table, quint32 kept)
{
    table.write(QByteArrayView("\x1a", 1));
    table.writeAt(DbfHeader::DateOffset, DbfHeader::stamp(kept));
    table.finish();
}

void DbfFile::pack(const QString &path)
{
    recoverInterruptedPack(path);
    const PackNames names(path);
    bool newMemo = false;
    try {
        const std::shared_ptr<DbfFile> old = open(path, true);
        Private &p = *old->d;
        if (!p.damage.isEmpty())
            p.throwDamaged(p.damage);
        if (p.hasDeletedRows()) {
            // Weighing the memo file reads all of it, through a handle of
            // its own on another thread, while the live rows are copied:
            // most packs keep it as it is.
            std::future<bool> weighing;
            try {
                if (p.memo)
                    weighing = std::async(std::launch::async,
                                          [path] { return openAsItStands(path, true)->d->memoWorthCompacting(); });
            } catch (const std::system_error &) {
            }
            NewFile table(names.at(names.newTable), path, path);
            table.write(p.file.data(0, p.headerLength), p.headerLength);
            const quint32 kept = copyLiveRowRuns(p, table);
            newMemo = weighing.valid() ? weighing.get() : p.memoWorthCompacting();
            if (!newMemo)
                finishTable(table, kept);
        } else if (!p.memoWorthCompacting()) {
            return;   // start-up packs every table: nothing to do here
        } else {
            newMemo = true;
        }
        if (newMemo) {   // the rows copied above, if any, are written anew
            MemoCopy memo(*p.memo, names.at(names.newMemo), path, old->tableName());
            NewFile table(names.at(names.newTable), path, path);
            table.write(p.file.data(0, p.headerLength), p.headerLength);
            finishTable(table, copyRowsWithMemos(p, table, memo));
            memo.finish();
        }
    } catch (...) {   // the old files are closed before anything is removed
        Disk::discard(names.at(names.newTable));
        Disk::discard(names.at(names.newMemo));
        throw;
    }

    if (!newMemo) {
        replaceTable(names, path);
        return;
    }
    writeMarker(names, newMemo, path);
    const ReplacedFiles replaced({path, names.at(names.memo)});
    recoverInterruptedPack(path);
}
