#include "ExportPackage.h"

#include "Archiver.h"
#include "ExchangeFile.h"
#include "ExchangeNames.h"
#include "SafeCopy.h"
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/GbkText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <future>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ExportPackage {

namespace {

const QString MarkField = QStringLiteral("ITEM_SJDC");

struct ChildTable
{
    QString name;   // exchange name
    QString file;   // table file
};

const QList<ChildTable> &childTables()
{
    static const QList<ChildTable> tables = {
        {ExchangeNames::Cgwcdw, QStringLiteral("cgwcdw.DBF")},
        {ExchangeNames::Cgwcr, QStringLiteral("cgwcr.DBF")},
        {ExchangeNames::Jdwyhmd, QStringLiteral("jdwyhmd.DBF")},
        {ExchangeNames::Zlqk, QStringLiteral("zlqk.DBF")},
    };
    return tables;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A record's key as its stored bytes: number and region, trimmed, put
// into key (whose room serves the next row).
void readKey(const DataSet &data, int row, int numberField, int regionField, std::string &key)
{
    const auto append = [&](int field) {
        QByteArrayView gbk;
        if (data.storedGbk(row, field, &gbk)) {
            gbk = gbk.trimmed();
            key.append(gbk.data(), size_t(gbk.size()));
        } else {
            key.append(GbkText::encode(data.textAt(row, field).trimmed()).toStdString());
        }
    };
    key.clear();
    append(numberField);
    key.push_back('\x1f');
    append(regionField);
}

// Looked up by a key read into a buffer: a child table's every row is
// looked up, and a key of its own for each would cost more than the look-up.
struct KeyHash
{
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
};
using KeySet = std::unordered_set<std::string, KeyHash, std::equal_to<>>;

KeySet keysOf(const DataSet &records, const QList<int> &rows)
{
    const int number = records.fieldIndex(QStringLiteral("ITEM_4"));
    const int region = records.fieldIndex(QStringLiteral("ITEM_DQDM"));
    KeySet keys;
    keys.reserve(size_t(rows.size()));
    std::string key;
    for (const int row : rows) {
        readKey(records, row, number, region, key);
        keys.insert(key);
    }
    return keys;
}

// A whole scan with a set of keys serves any number of records, and
// keeps the rows in their stored order.
QList<int> rowsWithKeys(const DataSet &table, const KeySet &keys)
{
    const int number = table.fieldIndex(QStringLiteral("ITEM_4"));
    const int region = table.fieldIndex(QStringLiteral("ITEM_DQDM"));
    QList<int> rows;
    std::string key;
    const int count = table.recordCount();
    for (int row = 0; row < count; ++row) {
        readKey(table, row, number, region, key);
        if (keys.find(std::string_view(key)) != keys.end())
            rows.append(row);
    }
    return rows;
}

// A file written, and the control characters it carries as blanks.
struct Written
{
    QString path;
    int blankedControls = 0;
};

Written writeRowsTo(const QString &folder, const QString &name, const DataSet &data, ExchangeLine kind,
                    const QList<int> &rows)
{
    const QString path = QDir(folder).filePath(ExchangeNames::fileName(name));
    ExchangeFileWriter writer(path);
    writer.writeRows(data, kind, rows);
    writer.commit();
    return {path, writer.blankedControls()};
}

Written writeWholeTable(Database &db, const QString &folder, const QString &name, const QString &tableFile,
                        ExchangeLine kind)
{
    Table table(&db, tableFile);
    table.open();
    const QString path = QDir(folder).filePath(ExchangeNames::fileName(name));
    return {path, WriteExchangeFile(table, path, kind)};
}

QString blankedNotes(const QList<Written> &files)
{
    QStringList lines;
    for (const Written &file : files) {
        if (file.blankedControls > 0) {
            lines << QStringLiteral("%1中有%2个控制字符（如从Word粘贴带来的换行符），已换成空格。")
                         .arg(QFileInfo(file.path).fileName())
                         .arg(file.blankedControls);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

// The child files are written on threads of their own, each reading its
// table through handles of its own, while the records' file is written
// here.
QStringList writeFiles(Database &db, const DataSet &records, const QList<int> &rows, const QString &folder,
                       QString *notes)
{
    const KeySet keys = keysOf(records, rows);
    const QString dataFolder = db.folder();
    std::vector<std::future<Written>> children;
    for (const ChildTable &child : childTables()) {
        children.push_back(std::async(std::launch::async, [&keys, &folder, dataFolder, child] {
            Database own(dataFolder);
            Table table(&own, child.file);
            table.open();
            return writeRowsTo(folder, child.name, table, ExchangeLine::Child, rowsWithKeys(table, keys));
        }));
    }
    QList<Written> files;
    files << writeRowsTo(folder, ExchangeNames::Kjcg, records, ExchangeLine::Kjcg, rows);
    for (std::future<Written> &child : children)
        files << child.get();
    files << writeWholeTable(db, folder, ExchangeNames::Unit, QStringLiteral("unit.dbf"), ExchangeLine::Unit);
    files << writeWholeTable(db, folder, ExchangeNames::Expert, QStringLiteral("unitexpert.dbf"),
                             ExchangeLine::Expert);
    if (notes)
        *notes = blankedNotes(files);
    QStringList paths;
    for (const Written &file : files)
        paths << file.path;
    return paths;
}

void markExported(DataSet &records, const QList<int> &rows)
{
    // Thousands of marks wait for the disk once, not once a record.
    DbfSyncBatch oneSync;
    for (const int row : rows) {
        records.moveTo(row);
        records.edit();
        try {
            records.setString(MarkField, QStringLiteral("1"));
            records.post();
        } catch (...) {
            records.cancel();
            throw;
        }
    }
    oneSync.finish();
}

int resetMarks(Database &db)
{
    const std::shared_ptr<DbfFile> file = db.file(QStringLiteral("kjcg.DBF"));
    const int mark = file->fieldIndex(MarkField);
    if (mark < 0)
        throw DbError(QStringLiteral("表文件“%1”中没有字段 %2。").arg(shown(file->path()), MarkField));
    const QList<QPair<int, QVariant>> reset = {{mark, QStringLiteral("0")}};
    int written = 0;
    const int count = file->recordCount();
    for (int recno = 0; recno < count; ++recno) {
        if (file->isDeleted(recno) || file->rawField(recno, mark).trimmed() == "0")
            continue;
        file->update(recno, reset);
        ++written;
    }
    if (written > 0)
        file->sync();
    return written;
}

QString archiveName()
{
    return ExchangeNames::ExportArchive;
}

QString archiveIn(const QString &folder)
{
    return ExchangeNames::findFile(folder, ExchangeNames::ExportArchive);
}

QString pack(Archiver &archiver, const QString &folder)
{
    archiver.pack(folder, ExchangeNames::ExportArchive, ExchangeNames::allFiles());
    return QDir(folder).filePath(ExchangeNames::ExportArchive);
}

void placeArchive(const QString &archivePath, const QString &folder)
{
    // Another spelling of the name was the archive the user agreed to replace.
    MoveFileReplacing(archivePath, QDir(folder).filePath(QFileInfo(archivePath).fileName()));
}

} // namespace ExportPackage
