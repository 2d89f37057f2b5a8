#include "TableJournal.h"

#include "Database.h"
#include "DbError.h"
#include "DbfFile.h"
#include "IoFaults.h"
#include "StoredFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace {

// One line each, fields separated by tabs; a line is valid once its end of
// line is written.
const QByteArray CountLine = "count";     // count <file> <rows before the change>
const QByteArray KeepLine = "keep";       // keep <file> <row> <bytes in hex>
const QByteArray DeleteLine = "delete";   // delete <file> <row>
const QByteArray CommitLine = "commit";

QByteArray line(std::initializer_list<QByteArray> fields)
{
    QByteArray text;
    for (const QByteArray &field : fields) {
        if (!text.isEmpty())
            text += '\t';
        text += field;
    }
    return text + '\n';
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The rows appended since the change began are marked deleted (the pack
// removes them), the rows written over get their bytes back.
void takeBack(const QList<QPair<std::shared_ptr<DbfFile>, int>> &counts,
              const QList<QPair<TableJournal::Row, QByteArray>> &kept)
{
    for (auto it = kept.crbegin(); it != kept.crend(); ++it)
        it->first.first->restoreRecord(it->first.second, it->second);
    for (const auto &[file, count] : counts) {
        for (int recno = count; recno < file->recordCount(); ++recno) {
            if (!file->isDeleted(recno))
                file->setDeleted(recno, true);
        }
    }
}

void markRowsDeleted(const QList<TableJournal::Row> &rows)
{
    for (const auto &[file, recno] : rows) {
        if (recno < file->recordCount() && !file->isDeleted(recno))
            file->setDeleted(recno, true);
    }
}

// Each file once, in the order first met.
void syncEach(const QList<std::shared_ptr<DbfFile>> &files)
{
    QList<DbfFile *> done;
    for (const std::shared_ptr<DbfFile> &file : files) {
        if (done.contains(file.get()))
            continue;
        done.append(file.get());
        file->sync();
    }
}

QList<std::shared_ptr<DbfFile>> filesOf(const QList<TableJournal::Row> &rows)
{
    QList<std::shared_ptr<DbfFile>> files;
    for (const auto &row : rows)
        files.append(row.first);
    return files;
}

QList<std::shared_ptr<DbfFile>> filesOf(const QList<QPair<std::shared_ptr<DbfFile>, int>> &counts,
                                        const QList<QPair<TableJournal::Row, QByteArray>> &kept)
{
    QList<std::shared_ptr<DbfFile>> files;
    for (const auto &count : counts)
        files.append(count.first);
    for (const auto &row : kept)
        files.append(row.first.first);
    return files;
}

// The journal's folder holds its name (or no longer holds it) on the disk.
void syncFolderOf(const QString &journal)
{
    const QString folder = QFileInfo(journal).absolutePath();
    if (!FileSafety::syncFolder(folder))
        throw DbError(QStringLiteral("无法把文件夹“%1”的更改写入磁盘").arg(shown(folder)));
}

} // namespace

TableJournal::TableJournal(Database *db)
    : m_db(db)
{
    recover(*db);
    m_file.setFileName(path());
}

TableJournal::~TableJournal()
{
    try {
        if (m_open)
            rollback();
        if (!m_pendingDeletions.isEmpty())
            markDeleted();
    } catch (const DbError &) {
        return;   // the journal stays for the next start-up
    }
    m_file.close();
    if (!QFileInfo::exists(path()))
        return;
    IoFaults::note(IoFaults::Step::Remove, path());
    // A journal that came back after a power cut would be carried out
    // again over rows that a pack has since renumbered.
    if (QFile::remove(path())) {
        try {
            syncFolderOf(path());
        } catch (const DbError &) {
        }
    }
}

QString TableJournal::fileName()
{
    return QStringLiteral("changes.jnl");
}

QString TableJournal::path() const
{
    return QDir(m_db->folder()).filePath(fileName());
}

QString TableJournal::fileNameOf(const DbfFile &file)
{
    return QFileInfo(file.path()).fileName();
}

void TableJournal::failWriting() const
{
    throw DbError(QStringLiteral("无法写入日志文件“%1”：%2").arg(shown(path()), FileSafety::reason(m_file)));
}

// Returns once the lines are on the disk.
void TableJournal::write(const QByteArray &lines)
{
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        failWriting();
    if (!lines.isEmpty()) {
        if (IoFaults::failHere())
            failWriting();
        IoFaults::note(IoFaults::Step::Write, path());
        if (!m_file.seek(m_file.size()) || m_file.write(lines) != lines.size())
            failWriting();
    }
    if (!FileSafety::syncData(m_file))
        failWriting();
    if (!m_created) {
        syncFolderOf(path());
        m_created = true;
    }
}

// An emptied journal needs no sync: should it come back after a power cut,
// carrying out its committed change again changes nothing.
void TableJournal::clear()
{
    if (!m_file.isOpen() || m_file.size() == 0)
        return;
    if (IoFaults::failHere())
        failWriting();
    IoFaults::note(IoFaults::Step::Remove, path());
    if (!m_file.resize(0))
        failWriting();
}

void TableJournal::begin(const QList<std::shared_ptr<DbfFile>> &appendedTo)
{
    if (m_open)
        rollback();
    if (!m_pendingDeletions.isEmpty())
        markDeleted();
    clear();
    QByteArray lines;
    QList<QPair<std::shared_ptr<DbfFile>, int>> counts;
    for (const std::shared_ptr<DbfFile> &file : appendedTo) {
        counts.append({file, file->recordCount()});
        lines += line({CountLine, fileNameOf(*file).toUtf8(), QByteArray::number(file->recordCount())});
    }
    write(lines);
    m_counts = counts;
    m_kept.clear();
    m_writtenOver.clear();
    m_open = true;
}

TableJournal::Savepoint TableJournal::savepoint() const
{
    Savepoint point;
    for (const auto &[file, count] : m_counts)
        point.counts.append({file, file->recordCount()});
    point.kept = m_kept.size();
    point.writtenOver = m_writtenOver.size();
    return point;
}

void TableJournal::rollbackTo(const Savepoint &point)
{
    if (!m_open)
        return;
    m_writtenOver.resize(qMin(m_writtenOver.size(), point.writtenOver));
    takeBack(point.counts, m_kept.mid(point.kept));
    m_kept.resize(qMin(m_kept.size(), point.kept));
}

void TableJournal::writeOver(const std::shared_ptr<DbfFile> &file, int recno,
                             const QList<QPair<int, QVariant>> &values)
{
    // A row written over twice in a change builds on its first new bytes.
    QByteArray base;
    for (auto it = m_writtenOver.crbegin(); it != m_writtenOver.crend() && base.isEmpty(); ++it) {
        if (it->row.first == file && it->row.second == recno)
            base = it->bytes;
    }
    if (base.isEmpty())
        base = file->storedRecord(recno);
    m_writtenOver.append({{file, recno}, file->composedRecord(base, values)});
}

// The rows as they were go to the journal and the disk, then the new
// bytes over them.
void TableJournal::keepAndWriteOver()
{
    QByteArray lines;
    QList<QPair<Row, QByteArray>> kept;
    for (const WriteOver &over : std::as_const(m_writtenOver)) {
        const auto &[file, recno] = over.row;
        if (std::any_of(kept.cbegin(), kept.cend(), [&](const auto &k) { return k.first == over.row; }))
            continue;
        const QByteArray stored = file->storedRecord(recno);
        lines += line({KeepLine, fileNameOf(*file).toUtf8(), QByteArray::number(recno), stored.toHex()});
        kept.append({over.row, stored});
    }
    if (kept.isEmpty())
        return;
    write(lines);
    m_kept += kept;
    const QList<WriteOver> rows = std::exchange(m_writtenOver, {});
    for (const WriteOver &over : rows)
        over.row.first->restoreRecord(over.row.second, over.bytes);
}

QList<std::shared_ptr<DbfFile>> TableJournal::filesOfChange() const
{
    return filesOf(m_counts, m_kept);
}

void TableJournal::commit(const QList<Row> &deletions)
{
    // Nothing is noted in the journal before what was written ahead of it
    // is on the disk.
    syncEach(filesOfChange());
    keepAndWriteOver();
    syncEach(filesOfChange());
    QByteArray lines;
    for (const auto &[file, recno] : deletions)
        lines += line({DeleteLine, fileNameOf(*file).toUtf8(), QByteArray::number(recno)});
    write(lines + line({CommitLine}));
    m_open = false;
    m_pendingDeletions = deletions;
}

void TableJournal::complete()
{
    if (!m_open)
        markDeleted();
}

void TableJournal::markDeleted()
{
    markRowsDeleted(m_pendingDeletions);
    syncEach(filesOf(m_pendingDeletions));
    m_pendingDeletions.clear();
    clear();
}

// What was taken back reaches the disk before the journal is emptied.
void TableJournal::rollback()
{
    if (!m_open)
        return;
    m_writtenOver.clear();
    takeBack(m_counts, m_kept);
    syncEach(filesOfChange());
    m_open = false;
    clear();
}

// ---- start-up ---------------------------------------------------------------

namespace {

// The complete lines of the journal; a line cut short by a kill is not one.
QList<QList<QByteArray>> completeLines(const QByteArray &text)
{
    QList<QList<QByteArray>> lines;
    const int end = int(text.lastIndexOf('\n'));
    if (end < 0)
        return lines;
    for (const QByteArray &one : text.left(end).split('\n')) {
        if (!one.isEmpty())
            lines.append(one.split('\t'));
    }
    return lines;
}

int rowNumber(const QList<QByteArray> &fields, const QString &journal)
{
    bool ok = false;
    const int row = fields.size() > 2 ? fields[2].toInt(&ok) : -1;
    if (!ok || row < 0)
        throw DbError(QStringLiteral("日志文件“%1”已损坏，无法完成或撤销上次中断的修改").arg(shown(journal)));
    return row;
}

} // namespace

void TableJournal::recover(Database &db)
{
    const QString journal = QDir(db.folder()).filePath(fileName());
    QFile file(journal);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取日志文件“%1”：%2").arg(shown(journal), FileSafety::reason(file)));
    const QList<QList<QByteArray>> lines = completeLines(file.readAll());
    file.close();

    const bool committed = std::any_of(lines.cbegin(), lines.cend(),
                                       [](const QList<QByteArray> &l) { return l.first() == CommitLine; });
    QList<QPair<std::shared_ptr<DbfFile>, int>> counts;
    QList<QPair<Row, QByteArray>> kept;
    QList<Row> deletions;
    try {
        for (const QList<QByteArray> &fields : lines) {
            const QByteArray &kind = fields.first();
            if (kind == CommitLine || fields.size() < 3)
                continue;
            const std::shared_ptr<DbfFile> table = db.file(QString::fromUtf8(fields[1]));
            const int row = rowNumber(fields, journal);
            if (kind == CountLine)
                counts.append({table, row});
            else if (kind == KeepLine && fields.size() > 3)
                kept.append({{table, row}, QByteArray::fromHex(fields[3])});
            else if (kind == DeleteLine)
                deletions.append({table, row});
        }
        if (committed) {
            markRowsDeleted(deletions);
            syncEach(filesOf(deletions));
        } else {
            takeBack(counts, kept);
            syncEach(filesOf(counts, kept));
        }
    } catch (const DbError &error) {
        throw DbError(QStringLiteral("程序上次在修改数据表时中断，现在无法%1这次修改（日志文件“%2”）：\n%3")
                          .arg(committed ? QStringLiteral("完成") : QStringLiteral("撤销"), shown(journal),
                               error.message()));
    }
    IoFaults::note(IoFaults::Step::Remove, journal);
    if (!QFile::remove(journal))
        throw DbError(QStringLiteral("无法删除日志文件“%1”：%2").arg(shown(journal), FileSafety::reason(file)));
    syncFolderOf(journal);
}
