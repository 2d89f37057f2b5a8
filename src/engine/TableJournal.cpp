#include "TableJournal.h"

#include "Database.h"
#include "DbError.h"
#include "DbfFile.h"
#include "Disk.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <algorithm>
#include <climits>
#include <utility>

namespace {

// One line each, fields separated by tabs; a line is valid once its end of
// line is written.
const QByteArray BootLine = "boot";       // boot <the system's start it was written in>
const QByteArray CountLine = "count";     // count <file> <rows before the change>
const QByteArray AppendLine = "append";   // append <file> <first row> <rows>
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

// The system's start the program runs in; empty where it cannot be told.
QByteArray thisBoot()
{
    return QSysInfo::bootUniqueId().toHex();
}

void markDeleted(DbfFile &file, int first, int end)
{
    for (int recno = first; recno < qMin(end, file.recordCount()); ++recno) {
        if (!file.isDeleted(recno))
            file.setDeleted(recno, true);
    }
}

// The rows appended are marked deleted (the pack removes them), the rows
// written over get their bytes back.
void takeBack(const QList<TableJournal::Appended> &appended, const QList<QPair<TableJournal::Row, QByteArray>> &kept)
{
    for (auto it = kept.crbegin(); it != kept.crend(); ++it)
        it->first.first->restoreRecord(it->first.second, it->second);
    for (const TableJournal::Appended &rows : appended)
        markDeleted(*rows.file, rows.first, rows.first + rows.rows);
}

void markRowsDeleted(const QList<TableJournal::Row> &rows)
{
    for (const auto &[file, recno] : rows)
        markDeleted(*file, recno, recno + 1);
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

QList<std::shared_ptr<DbfFile>> filesOf(const QList<TableJournal::Appended> &appended,
                                        const QList<QPair<TableJournal::Row, QByteArray>> &kept)
{
    QList<std::shared_ptr<DbfFile>> files;
    for (const TableJournal::Appended &rows : appended)
        files.append(rows.file);
    for (const auto &row : kept)
        files.append(row.first.first);
    return files;
}

} // namespace

TableJournal::TableJournal(Database *db)
    : m_db(db)
{
    db->checkWritable();
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
    } catch (...) {
        watchAppends(false);
        return;   // the journal stays for the next start-up
    }
    m_file.close();
    // A journal that came back after a power cut would be carried out
    // again over rows that a pack has since renumbered.
    try {
        if (QFileInfo::exists(path())) {
            Disk::remove(path());
            Disk::syncFolderOfFile(path());
        }
    } catch (...) {
        // Should it stay, the next start-up finds it settled: nothing to do.
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
    throw DbError(QStringLiteral("无法写入日志文件“%1”：%2").arg(shown(path()), Disk::reason(m_file)));
}

// Made with the permissions and group of the tables, so that another user
// who may write them can also read the journal and settle a change left
// in it.
void TableJournal::create(const QList<std::shared_ptr<DbfFile>> &tables)
{
    if (m_file.isOpen())
        return;
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        failWriting();
    if (!tables.isEmpty() && !Disk::takeAccessOf(m_file, tables.first()->path()))
        failWriting();
}

// Returns once the lines are on the disk; the journal is open (begin()).
void TableJournal::write(const QByteArray &lines)
{
    if (!lines.isEmpty() && (!m_file.seek(m_file.size()) || !Disk::write(m_file, lines.constData(), lines.size())))
        failWriting();
    if (!Disk::syncData(m_file))
        failWriting();
    if (!m_created) {
        Disk::syncFolderOfFile(path());
        m_created = true;
    }
}

// Written before the rows, not waited for (see the class comment).
void TableJournal::noteAppend(const std::shared_ptr<DbfFile> &file, int first, int rows)
{
    const QByteArray note =
        line({AppendLine, fileNameOf(*file).toUtf8(), QByteArray::number(first), QByteArray::number(rows)});
    if (!m_file.seek(m_file.size()) || !Disk::writeAhead(m_file, note.constData(), note.size()))
        failWriting();
    m_appended.append({file, first, rows});
}

void TableJournal::watchAppends(bool on)
{
    for (const auto &[file, count] : std::as_const(m_counts)) {
        if (!on) {
            file->watchAppends({});
            continue;
        }
        file->watchAppends([this, file = std::weak_ptr<DbfFile>(file)](int first, int rows) {
            noteAppend(file.lock(), first, rows);
        });
    }
}

// An emptied journal needs no sync: should it come back after a power cut,
// carrying out its committed change again changes nothing.
void TableJournal::clear()
{
    if (!m_file.isOpen() || m_file.size() == 0)
        return;
    if (!Disk::resize(m_file, 0))
        failWriting();
}

void TableJournal::begin(const QList<std::shared_ptr<DbfFile>> &appendedTo,
                         const QList<std::shared_ptr<DbfFile>> &writtenTo)
{
    if (m_open)
        rollback();
    if (!m_pendingDeletions.isEmpty())
        markDeleted();
    clear();
    create(appendedTo + writtenTo);
    QByteArray lines = line({BootLine, thisBoot()});
    QList<QPair<std::shared_ptr<DbfFile>, int>> counts;
    for (const std::shared_ptr<DbfFile> &file : appendedTo) {
        counts.append({file, file->recordCount()});
        lines += line({CountLine, fileNameOf(*file).toUtf8(), QByteArray::number(file->recordCount())});
    }
    write(lines);
    m_counts = counts;
    m_appended.clear();
    m_kept.clear();
    m_writtenOver.clear();
    m_open = true;
    watchAppends(true);
}

TableJournal::Savepoint TableJournal::savepoint() const
{
    return {m_appended.size(), m_kept.size(), m_writtenOver.size()};
}

void TableJournal::rollbackTo(const Savepoint &point)
{
    if (!m_open)
        return;
    m_writtenOver.resize(qMin(m_writtenOver.size(), point.writtenOver));
    takeBack(m_appended.mid(point.appended), m_kept.mid(point.kept));
    m_appended.resize(qMin(m_appended.size(), point.appended));
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
    QList<std::shared_ptr<DbfFile>> files;
    for (const auto &count : m_counts)
        files.append(count.first);
    return files + filesOf({}, m_kept);
}

void TableJournal::commit(const QList<Row> &deletions)
{
    watchAppends(false);
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
    watchAppends(false);
    m_writtenOver.clear();
    takeBack(m_appended, m_kept);
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

QString damagedText()
{
    return QStringLiteral("日志文件的内容已损坏");
}

int numberIn(const QList<QByteArray> &fields, int at)
{
    bool ok = false;
    const int number = fields.size() > at ? fields[at].toInt(&ok) : -1;
    if (!ok || number < 0)
        throw DbError(damagedText());
    return number;
}

// What a journal asks for, read from its lines.
struct Notes
{
    bool committed = false;
    bool sameBoot = false;   // written since the system last started
    QList<QPair<std::shared_ptr<DbfFile>, int>> counts;
    QList<TableJournal::Appended> appended;
    QList<QPair<TableJournal::Row, QByteArray>> kept;
    QList<TableJournal::Row> deletions;

    // The rows to take back: those noted, or, when a power cut may have
    // lost notes, every row from the count before the change on.
    QList<TableJournal::Appended> rowsAppended() const
    {
        if (sameBoot)
            return appended;
        QList<TableJournal::Appended> all;
        for (const auto &[file, count] : counts)
            all.append({file, count, INT_MAX - count});
        return all;
    }
};

Notes readNotes(Database &db, const QList<QList<QByteArray>> &lines)
{
    Notes notes;
    const QByteArray boot = thisBoot();
    for (const QList<QByteArray> &fields : lines) {
        const QByteArray &kind = fields.first();
        if (kind == CommitLine) {
            notes.committed = true;
            continue;
        }
        if (kind == BootLine) {
            notes.sameBoot = !boot.isEmpty() && fields.value(1) == boot;
            continue;
        }
        if (fields.size() < 3)
            throw DbError(damagedText());
        const int row = numberIn(fields, 2);
        const std::shared_ptr<DbfFile> table = db.file(QString::fromUtf8(fields[1]));
        if (kind == CountLine)
            notes.counts.append({table, row});
        else if (kind == AppendLine)
            notes.appended.append({table, row, numberIn(fields, 3)});
        else if (kind == KeepLine && fields.size() > 3)
            notes.kept.append({{table, row}, QByteArray::fromHex(fields[3])});
        else if (kind == DeleteLine)
            notes.deletions.append({table, row});
    }
    return notes;
}

} // namespace

void TableJournal::recover(Database &db)
{
    const QString journal = QDir(db.folder()).filePath(fileName());
    QFile file(journal);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取日志文件“%1”：%2").arg(shown(journal), Disk::reason(file)));
    const QList<QList<QByteArray>> lines = completeLines(file.readAll());
    file.close();

    const bool committed = std::any_of(lines.cbegin(), lines.cend(),
                                       [](const QList<QByteArray> &l) { return l.first() == CommitLine; });
    try {
        const Notes notes = readNotes(db, lines);
        if (notes.committed) {
            markRowsDeleted(notes.deletions);
            syncEach(filesOf(notes.deletions));
        } else {
            takeBack(notes.rowsAppended(), notes.kept);
            syncEach(filesOf(notes.rowsAppended(), notes.kept));
        }
    } catch (const DbError &error) {
        throw DbError(QStringLiteral("无法%1这次修改（日志文件“%2”）：%3")
                          .arg(committed ? QStringLiteral("完成") : QStringLiteral("撤销"), shown(journal),
                               error.message()));
    }
    Disk::remove(journal);
    Disk::syncFolderOfFile(journal);
}
