// Pack: the table and its memo file are written anew beside the old ones and
// then renamed over them. Two renames are not atomic together, so a commit
// marker, written only when both new files are complete on disk, says that
// the renames are due: whoever opens the table next finishes them. Without
// the marker the new files are unfinished and are thrown away.
#include "DbfFile.h"

#include "DbError.h"
#include "DbfFilePrivate.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <filesystem>

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

void removeIfPresent(const QString &path)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throwPackFailed(path, QStringLiteral("无法删除临时文件"));
}

// Replaces an existing target too (also where QFile::rename would refuse).
void renameOver(const QString &from, const QString &to, const QString &dbfPath)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), error);
    if (error) {
        throwPackFailed(dbfPath, QStringLiteral("无法以“%1”替换“%2”（%3）")
                                     .arg(QDir::toNativeSeparators(from),
                                          QDir::toNativeSeparators(to),
                                          QString::fromLocal8Bit(error.message())));
    }
}

// Writes a new file completely and to the disk, or throws.
class NewFile
{
public:
    NewFile(const QString &path, const QString &dbfPath)
        : m_file(path), m_dbfPath(dbfPath)
    {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail();
    }
    void write(const QByteArray &bytes)
    {
        if (m_file.write(bytes) != bytes.size())
            fail();
    }
    void writeAt(qint64 offset, const QByteArray &bytes)
    {
        const qint64 end = m_file.pos();
        if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size() || !m_file.seek(end))
            fail();
    }
    void finish()
    {
        if (!FileSafety::syncFile(m_file))
            fail();
        m_file.close();
    }

private:
    [[noreturn]] void fail()
    {
        throwPackFailed(m_dbfPath, QStringLiteral("写入“%1”失败：%2")
                                       .arg(QDir::toNativeSeparators(m_file.fileName()),
                                            FileSafety::reason(m_file)));
    }
    QFile m_file;
    QString m_dbfPath;
};

void writeMarker(const PackNames &names, bool withMemo, const QString &dbfPath)
{
    NewFile draft(names.at(names.markerDraft), dbfPath);
    draft.write((names.table + QLatin1Char('\n') + (withMemo ? names.memo : QString())
                 + QLatin1Char('\n'))
                    .toUtf8());
    draft.finish();
    renameOver(names.at(names.markerDraft), names.at(names.marker), dbfPath);
    FileSafety::syncFolder(names.folder);
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
    FileSafety::syncFolder(names.folder);
    removeIfPresent(names.at(names.marker));
    FileSafety::syncFolder(names.folder);
}

void DbfFile::pack(const QString &path)
{
    recoverInterruptedPack(path);
    const PackNames names(path);
    bool withMemo = false;
    try {
        const std::shared_ptr<DbfFile> old = open(path, true);
        Private &p = *old->d;
        withMemo = p.memo != nullptr;
        const DbfMemo::Layout layout = memoLayoutOf(p.version);
        const int blockSize = withMemo ? p.memo->blockSize() : DbfMemo::DefaultBlockSize;

        NewFile table(names.at(names.newTable), path);
        std::unique_ptr<NewFile> memo;
        quint32 nextBlock = 1;
        if (withMemo) {
            memo = std::make_unique<NewFile>(names.at(names.newMemo), path);
            memo->write(DbfMemo::headerBlock(layout, nextBlock, blockSize, old->tableName()));
        }

        QByteArray header(p.file.data(0, p.headerLength), p.headerLength);
        table.write(header);
        quint32 kept = 0;
        QByteArray chunk;
        for (int recno = 0; recno < p.recordCount; ++recno) {
            const char *row = p.recordData(recno);
            if (row[0] == DbfHeader::DeletedFlag)
                continue;
            QByteArray record(row, p.recordLength);
            for (const DbfField &f : std::as_const(p.fields)) {
                if (f.type != 'M' || !memo)
                    continue;
                char *pointer = record.data() + 1 + f.offset;
                const QByteArray text = p.memo->read(DbfMemo::parsePointer(pointer, f.width));
                if (text.isEmpty()) {
                    DbfMemo::writePointer(pointer, f.width, 0);
                    continue;
                }
                const QByteArray entry = DbfMemo::entryBlocks(layout, blockSize, text);
                memo->write(entry);
                DbfMemo::writePointer(pointer, f.width, nextBlock);
                nextBlock += quint32(entry.size() / blockSize);
            }
            chunk += record;
            ++kept;
            if (chunk.size() >= (1 << 20)) {
                table.write(chunk);
                chunk.clear();
            }
        }
        table.write(chunk + DbfHeader::EndOfFile);
        table.writeAt(DbfHeader::DateOffset, DbfHeader::stamp(kept));
        table.finish();
        if (memo) {
            QByteArray pointer(4, '\0');
            qToLittleEndian<quint32>(nextBlock, pointer.data());
            memo->writeAt(0, pointer);
            memo->finish();
        }
    } catch (...) {   // the old files are closed before anything is removed
        QFile::remove(names.at(names.newTable));
        QFile::remove(names.at(names.newMemo));
        throw;
    }

    writeMarker(names, withMemo, path);
    recoverInterruptedPack(path);
}
