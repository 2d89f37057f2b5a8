#include "ImportStaging.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "exchange/core/ExchangeFile.h"
#include "exchange/core/ExchangeNames.h"
#include "records/data/AchievementList.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QRegularExpression>
#include <new>

namespace ImportStaging {

namespace {

// A package lacking one of these files is still taken (older packages
// carry no patents, for one); lacking two, it is no package.
constexpr int LeastFilesPresent = 5;

// The files a package brings into staging, in load order. EXPERT.TXT is
// not staged.
const QStringList &loadedNames()
{
    static const QStringList names = ExchangeNames::records() + QStringList{ExchangeNames::Unit};
    return names;
}

QString loadingText(const QString &name)
{
    static const QHash<QString, QString> texts = {
        {ExchangeNames::Kjcg, QStringLiteral("正在导入科技成果主表……")},
        {ExchangeNames::Cgwcdw, QStringLiteral("正在导入成果完成单位……")},
        {ExchangeNames::Cgwcr, QStringLiteral("正在导入成果完成人……")},
        {ExchangeNames::Jdwyhmd, QStringLiteral("正在导入鉴定委员会名单……")},
    };
    return texts.value(name, QStringLiteral("正在导入专利情况……"));
}

QStringList allTables()
{
    QStringList tables;
    for (const QString &name : loadedNames())
        tables << ExchangeNames::stagingTable(name);
    return tables;
}

void emptyTable(Database *db, const QString &table)
{
    const std::shared_ptr<DbfFile> file = db->file(table);
    for (int recno = 0; recno < file->recordCount(); ++recno) {
        if (!file->isDeleted(recno))
            file->setDeleted(recno, true);
    }
}

// How far each staging table reached before a load.
using Extents = QHash<QString, DbfFile::Extent>;

Extents extentsOf(Database *db)
{
    Extents extents;
    for (const QString &table : allTables())
        extents.insert(table, db->file(table)->extent());
    return extents;
}

// A failed load is taken back with the space it took: on a full disk the
// memo texts of a package that did not fit would otherwise keep the disk
// full until the next start-up's pack, which needs room of its own.
void cutBack(Database *db, const Extents &extents)
{
    for (auto it = extents.begin(); it != extents.end(); ++it)
        db->file(it.key())->cutBack(it.value());
}

void loadFiles(Database *db, const QHash<QString, QString> &present, const LoadProgress &progress,
               LoadResult &result)
{
    for (const QString &name : loadedNames()) {
        const QString path = present.value(name);
        if (path.isEmpty())
            continue;
        if (progress.file)
            progress.file(loadingText(name));
        Table table(db, ExchangeNames::stagingTable(name));
        LoadCounts counts;
        result.rows += LoadExchangeFile(table, path, SplitterVariant::Import, progress.record, &counts);
        result.shortLines += counts.shortLines;
        result.blankedControls += counts.blankedControls;
    }
}

// An achievement's key as a row of any of its tables holds it.
QString rowKey(const DbfFile &file, int recno, int item4, int region)
{
    return file.value(recno, item4).toString().trimmed() + QChar(0x1f) + file.value(recno, region).toString().trimmed();
}

// Child rows loaded this time whose key no staged achievement has: they
// would never be stored, and the user is told how many there are.
void countOrphans(Database *db, const Extents &before, const QHash<QString, QString> &present,
                  LoadResult &result)
{
    const std::shared_ptr<DbfFile> kjcg = db->file(kjcgTable());
    const int item4 = kjcg->fieldIndex(QStringLiteral("item_4"));
    const int region = kjcg->fieldIndex(QStringLiteral("item_dqdm"));
    if (item4 < 0 || region < 0)
        return;
    QSet<QString> keys;
    for (int recno = 0; recno < kjcg->recordCount(); ++recno) {
        if (!kjcg->isDeleted(recno))
            keys.insert(rowKey(*kjcg, recno, item4, region));
    }
    for (const QString &name : ExchangeNames::records()) {
        if (name == ExchangeNames::Kjcg || !present.contains(name))
            continue;
        const QString table = ExchangeNames::stagingTable(name);
        const std::shared_ptr<DbfFile> child = db->file(table);
        const int childItem4 = child->fieldIndex(QStringLiteral("item_4"));
        const int childRegion = child->fieldIndex(QStringLiteral("item_dqdm"));
        if (childItem4 < 0 || childRegion < 0)
            continue;
        int orphans = 0;
        for (int recno = before.value(table).records; recno < child->recordCount(); ++recno) {
            if (!child->isDeleted(recno) && !keys.contains(rowKey(*child, recno, childItem4, childRegion)))
                ++orphans;
        }
        if (orphans > 0)
            result.orphans.append({QFileInfo(present.value(name)).fileName(), orphans});
    }
}

void deleteStagedChildren(Database *db, const Numbering::RecordKey &key)
{
    for (const QString &table : childTables()) {
        db->execute(QStringLiteral("delete from %1 where item_4 = :item4 and item_dqdm = :region")
                        .arg(QFileInfo(table).completeBaseName()),
                    {{QStringLiteral("item4"), key.item4}, {QStringLiteral("region"), key.region}});
    }
}

} // namespace

QString kjcgTable()
{
    return ExchangeNames::stagingTable(ExchangeNames::Kjcg);
}

const QStringList &childTables()
{
    static const QStringList tables = {
        ExchangeNames::stagingTable(ExchangeNames::Zlqk), ExchangeNames::stagingTable(ExchangeNames::Cgwcdw),
        ExchangeNames::stagingTable(ExchangeNames::Cgwcr), ExchangeNames::stagingTable(ExchangeNames::Jdwyhmd)};
    return tables;
}

bool isPackageName(const QString &path)
{
    return QFileInfo(path).fileName().compare(ExchangeNames::ImportArchive, Qt::CaseInsensitive) == 0;
}

bool isOldPackageName(const QString &path, QString *code)
{
    static const QRegularExpression pattern(QStringLiteral("^CGSB(.{1,3})\\.ARJ$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QFileInfo(path).fileName());
    if (!match.hasMatch())
        return false;
    if (code)
        *code = match.captured(1);
    return true;
}

QString skippedMembersNote(const QStringList &members)
{
    if (members.isEmpty())
        return QString();
    QStringList quoted;
    for (const QString &member : members)
        quoted << QStringLiteral("“%1”").arg(member);
    return QStringLiteral("导入包中的文件%1不是导入包应有的文件，没有解压。").arg(quoted.join(QStringLiteral("、")));
}

void clearAll(Database *db)
{
    // The sender's unit row is kept as it arrived: nothing reads or clears it.
    for (const QString &name : ExchangeNames::records())
        emptyTable(db, ExchangeNames::stagingTable(name));
}

LoadResult load(Database *db, const QString &folder, const LoadProgress &progress)
{
    QHash<QString, QString> present;
    for (const QString &name : loadedNames()) {
        const QString path = ExchangeNames::findFile(folder, ExchangeNames::fileName(name));
        if (!path.isEmpty())
            present.insert(name, path);
    }
    if (present.size() < LeastFilesPresent)
        throw NotAPackage(QStringLiteral("文件的格式不正确"));
    // A folder or staging table that takes no writes is said so once, not
    // as a fault of the package's first line followed by the failed
    // cut-back.
    for (auto it = present.cbegin(); it != present.cend(); ++it)
        db->file(ExchangeNames::stagingTable(it.key()))->checkWritable();

    const Extents before = extentsOf(db);
    LoadResult result;
    try {
        try {
            loadFiles(db, present, progress, result);
            Table staged(db, kjcgTable());
            staged.open();
            numberList(staged);
            result.mainFileMissing = !present.contains(ExchangeNames::Kjcg);
            countOrphans(db, before, present, result);
        } catch (const std::bad_alloc &) {
            throw DbError(QStringLiteral("内存不足，导入包没有导入。"));
        }
    } catch (const DbError &error) {
        try {
            cutBack(db, before);
        } catch (const DbError &again) {
            throw DbError(error.message() + QLatin1Char('\n') + again.message());
        }
        throw;
    }
    return result;
}

QString LoadResult::notes() const
{
    QStringList lines;
    if (blankedControls > 0) {
        lines << QStringLiteral("导入的数据中有%1个控制字符（如从Word粘贴带来的换行符），已换成空格。")
                     .arg(blankedControls);
    }
    if (mainFileMissing) {
        lines << QStringLiteral("导入包中没有%1（科技成果主表），包内其他文件的数据不属于任何成果，不会入库。")
                     .arg(ExchangeNames::fileName(ExchangeNames::Kjcg));
    }
    for (const auto &[file, rows] : orphans)
        lines << QStringLiteral("%1中有%2行数据不属于导入的任何成果，不会入库。").arg(file).arg(rows);
    return lines.join(QLatin1Char('\n'));
}

void numberList(Table &staged)
{
    int number = 0;
    DbfSyncBatch oneSync;
    for (staged.first(); !staged.eof(); staged.next()) {
        const QString text = QString::number(++number);
        if (staged.asString(QStringLiteral("no")) == text)
            continue;
        staged.edit();
        staged.setString(QStringLiteral("no"), text);
        staged.post();
    }
    oneSync.finish();
    staged.first();
}

QString CategoryCounts::totalText() const
{
    return QStringLiteral("记录条数:%1条；").arg(total);
}

QString CategoryCounts::detailText() const
{
    return QStringLiteral("其中：应用技术%1条，基础理论%2条，软科学%3条。").arg(applied).arg(basic).arg(soft);
}

CategoryCounts countCategories(Database *db)
{
    Query query(db);
    query.setSql(QStringLiteral("select item_cglb as category, count(*) as n from %1 group by item_cglb")
                     .arg(QFileInfo(kjcgTable()).completeBaseName()));
    query.open();
    CategoryCounts counts;
    for (query.first(); !query.eof(); query.next()) {
        const QString category = query.asString(QStringLiteral("category")).trimmed();
        const int n = int(query.asNumber(QStringLiteral("n")));
        counts.total += n;
        if (category == AchievementList::categoryCode(0))
            counts.applied += n;
        else if (category == AchievementList::categoryCode(1))
            counts.soft += n;
        else if (category == AchievementList::categoryCode(2))
            counts.basic += n;
    }
    return counts;
}

Numbering::RecordKey keyOf(const DataSet &staged)
{
    return {staged.asString(QStringLiteral("item_4")).trimmed(),
            staged.asString(QStringLiteral("item_dqdm")).trimmed()};
}

bool titleInMain(Database *db, const QString &title)
{
    return Numbering::nameTaken(db, title.trimmed());
}

int nextDuplicate(Table &staged, int from)
{
    for (int row = from; row < staged.recordCount(); ++row) {
        staged.moveTo(row);
        if (titleInMain(staged.database(), staged.asString(QStringLiteral("item_3"))))
            return row;
    }
    return -1;
}

void deleteCurrent(Table &staged)
{
    if (staged.isEmpty())
        return;
    const int row = staged.recNo();
    deleteStagedChildren(staged.database(), keyOf(staged));
    staged.remove();
    numberList(staged);
    if (!staged.isEmpty())
        staged.moveTo(qMin(row, staged.recordCount() - 1));
}

void renameCurrent(Table &staged, const QString &title)
{
    staged.edit();
    try {
        staged.setString(QStringLiteral("item_3"), title);
        staged.post();
    } catch (...) {
        staged.cancel();
        throw;
    }
}

QString changeYear(Table &staged, const QString &year)
{
    const QString trimmed = year.trimmed();
    if (!Numbering::isValidYear(trimmed))
        throw DbError(Numbering::invalidYearText());
    if (staged.isEmpty())
        throw DbError(QStringLiteral("没有可以修改年份的导入成果。"));
    Database *db = staged.database();
    const Numbering::RecordKey from = keyOf(staged);
    const QStringList tables = QStringList{kjcgTable()} + childTables();
    // Staged child rows that still carry a number keep it to themselves.
    const QString number = Numbering::numberAfter(trimmed, Numbering::largestNumberOf(db, trimmed, tables));
    const Numbering::RecordKey to{number, from.region};
    try {
        Numbering::rekeyRows(db, tables, from, to);
    } catch (const DbError &error) {
        try {
            Numbering::rekeyRows(db, tables, to, from);
        } catch (const DbError &again) {
            throw DbError(error.message() + QLatin1Char('\n') + again.message());
        }
        throw;
    }
    staged.refresh();
    return number;
}

} // namespace ImportStaging
