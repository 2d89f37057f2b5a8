#include "Numbering.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "records/data/AchievementList.h"

#include <QFileInfo>


namespace Numbering {

namespace {

constexpr int SerialDigits = 6;
constexpr int LastSerial = 999999;
const QString KjcgFile = QStringLiteral("kjcg.DBF");

QString serialText(int serial)
{
    return QStringLiteral("%1").arg(serial, SerialDigits, 10, QLatin1Char('0'));
}

void filterOnKey(Table &table, const RecordKey &key)
{
    table.setFilter(AchievementList::recordKeyFilter(key.item4, key.region));
    table.setFiltered(true);
    table.open();
}

// Runs the change on the table's row in edit (or insert) mode and posts it;
// a failure drops the change before the error goes on.
template <class Change>
void postChange(DataSet &table, Change change)
{
    try {
        change();
        table.post();
    } catch (...) {
        if (table.state() == DataSet::Edit || table.state() == DataSet::Insert)
            table.cancel();
        throw;
    }
}

void setKey(DataSet &row, const RecordKey &key)
{
    row.setString(QStringLiteral("item_4"), key.item4);
    row.setString(QStringLiteral("item_dqdm"), key.region);
}

void writeMainItems(DataSet &record, const MainItems &items, const QString &managementNumber)
{
    record.setString(QStringLiteral("item_120"), managementNumber);
    record.setString(QStringLiteral("item_3"), items.name);
    record.setString(QStringLiteral("item_9"), items.firstUnit);
}

// Puts the main row back on its old number after its children could not
// follow it to the new one.
void restoreNumber(Database *db, const RecordKey &now, const RecordKey &old)
{
    Table kjcg(db, KjcgFile);
    filterOnKey(kjcg, now);
    if (kjcg.isEmpty())
        return;
    kjcg.first();
    kjcg.edit();
    postChange(kjcg, [&] { setKey(kjcg, old); });
}

} // namespace

QString ownRegion()
{
    return QStringLiteral(".");
}

bool isValidYear(const QString &year)
{
    if (year.size() != 4)
        return false;
    for (QChar c : year) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    const int value = year.toInt();
    return value >= 1900 && value <= 2050;
}

QString numberAfter(const QString &year, const QString &largest)
{
    if (largest.size() != 4 + SerialDigits)
        return year + serialText(1);
    const int serial = largest.mid(4).toInt();
    if (serial >= LastSerial)
        throw DbError(QStringLiteral("%1年的成果登记号已经用完（序号已到%2），不能再给新项目编号！")
                          .arg(year)
                          .arg(LastSerial));
    return year + serialText(serial + 1);
}

bool isRegistrationNumber(const QString &number)
{
    if (number.size() != 4 + SerialDigits)
        return false;
    for (QChar c : number) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString largestNumber(Database *db, const QString &year, const QString &table)
{
    // Only numbers of the program's own form count: a stray text of the year
    // must neither restart the serials nor stop the numbering.
    Query query(db);
    query.setSql(QStringLiteral("select max(item_4) as largest from %1 where item_4 glob :pattern").arg(table));
    query.setParam(QStringLiteral("pattern"), year + QStringLiteral("[0-9]").repeated(SerialDigits));
    query.open();
    return query.isEmpty() ? QString() : query.asString(QStringLiteral("largest")).trimmed();
}

QString invalidYearText()
{
    return QStringLiteral("不能输入1900到2050外的年份！");
}

QString largestNumberOf(Database *db, const QString &year, const QStringList &tables)
{
    QString largest;
    for (const QString &file : tables)
        largest = qMax(largest, largestNumber(db, year, QFileInfo(file).completeBaseName()));
    return largest;
}

QString nextNumber(Database *db, const QString &year)
{
    if (!isValidYear(year))
        throw DbError(invalidYearText());
    return numberAfter(year, largestNumberOf(db, year, QStringList{KjcgFile} + childTables()));
}

int newListPlace(Database *db, int categoryIndex, const QString &year)
{
    Query query(db);
    query.setSql(QStringLiteral("select count(*) as listed from kjcg"
                                " where item_cglb = :category and item_4 like :year"));
    query.setParam(QStringLiteral("category"), AchievementList::categoryCode(categoryIndex));
    query.setParam(QStringLiteral("year"), year.left(4).trimmed() + QLatin1Char('%'));
    query.open();
    return (query.isEmpty() ? 0 : int(query.asNumber(QStringLiteral("listed")))) + 1;
}

bool nameTaken(Database *db, const QString &name, const RecordKey &own)
{
    Query query(db);
    query.setSql(QStringLiteral("select item_4, item_dqdm from kjcg where item_3 = :name"));
    query.setParam(QStringLiteral("name"), name);
    query.open();
    for (query.first(); !query.eof(); query.next()) {
        const RecordKey found{query.asString(QStringLiteral("item_4")).trimmed(),
                              query.asString(QStringLiteral("item_dqdm")).trimmed()};
        if (own.isEmpty() || !(found == own))
            return true;
    }
    return false;
}

const QStringList &childTables()
{
    static const QStringList tables = {QStringLiteral("cgwcdw.DBF"), QStringLiteral("zlqk.dbf"),
                                       QStringLiteral("jdwyhmd.DBF"), QStringLiteral("cgwcr.DBF")};
    return tables;
}

int rekeyChildren(Database *db, const RecordKey &from, const RecordKey &to)
{
    return rekeyRows(db, childTables(), from, to);
}

int rekeyRows(Database *db, const QStringList &tables, const RecordKey &from, const RecordKey &to)
{
    if (from == to)
        return 0;
    int moved = 0;
    DbfSyncBatch oneSync;
    for (const QString &file : tables) {
        Table children(db, file);
        filterOnKey(children, from);
        // A row given the new key leaves the filtered rows.
        for (int left = children.recordCount(); left > 0; --left) {
            children.first();
            children.edit();
            postChange(children, [&] { setKey(children, to); });
            ++moved;
        }
    }
    oneSync.finish();
    return moved;
}

RecordKey storeNewRecord(Database *db, const MainItems &items, int listPosition)
{
    const RecordKey key{nextNumber(db, items.year), ownRegion()};
    Table kjcg(db, KjcgFile);
    kjcg.open();
    kjcg.append();
    postChange(kjcg, [&] {
        kjcg.setString(QStringLiteral("no"), QString::number(listPosition));
        kjcg.setString(QStringLiteral("item_cglb"), AchievementList::categoryCode(items.categoryIndex));
        setKey(kjcg, key);
        writeMainItems(kjcg, items, items.managementNumber);
    });
    return key;
}

RecordKey storeModifiedRecord(Database *db, const RecordKey &old, const MainItems &items)
{
    Table kjcg(db, KjcgFile);
    filterOnKey(kjcg, old);
    if (kjcg.isEmpty())
        throw DbError(QStringLiteral("没有找到登记号为%1的项目，它可能已被删除。").arg(old.item4));
    kjcg.first();

    const bool yearChanged = items.year != old.item4.left(4);
    const RecordKey now = yearChanged ? RecordKey{nextNumber(db, items.year), ownRegion()} : old;
    const QString category = AchievementList::categoryCode(items.categoryIndex);
    kjcg.edit();
    postChange(kjcg, [&] {
        kjcg.setString(QStringLiteral("item_cglb"), category);
        clearFieldsOfOtherCategories(kjcg, category);
        setKey(kjcg, now);
        writeMainItems(kjcg, items, items.managementNumber.trimmed());
    });
    if (!yearChanged)
        return now;

    try {
        rekeyChildren(db, old, now);
    } catch (const DbError &e) {
        QString message = e.message();
        try {
            rekeyChildren(db, now, old);
            restoreNumber(db, now, old);
            message += QStringLiteral("\n成果的下属数据未能改到新登记号，登记号仍为%1。").arg(old.item4);
        } catch (const DbError &again) {
            message += QLatin1Char('\n') + again.message();
        }
        throw DbError(message);
    }
    return now;
}

void clearFieldsOfOtherCategories(DataSet &record, const QString &category)
{
    const bool applied = category == QLatin1String("1");
    const QStringList otherFields =
        applied ? QStringList{QStringLiteral("ITEM_210"), QStringLiteral("ITEM_200")}
                : QStringList{QStringLiteral("ITEM_123"), QStringLiteral("ITEM_124_1"),
                              QStringLiteral("ITEM_16"), QStringLiteral("ITEM_33"),
                              QStringLiteral("ITEM_32"), QStringLiteral("ITEM_32_1"),
                              QStringLiteral("ITEM_125_1")};
    for (const QString &field : otherFields)
        record.setString(field, QString());

    // The evaluation forms that each group offers.
    const QStringList offered = applied ? QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                                      QStringLiteral("3"), QStringLiteral("5"),
                                                      QStringLiteral("9")}
                                        : QStringList{QStringLiteral("2"), QStringLiteral("4"),
                                                      QStringLiteral("6"), QStringLiteral("9")};
    const QString form = record.asString(QStringLiteral("ITEM_21")).trimmed();
    if (!offered.contains(form))
        record.setString(QStringLiteral("ITEM_21"), QString());
}

} // namespace Numbering
