#include "ChildRows.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbfFile.h"
#include "engine/TableJournal.h"
#include "records/data/UnitDM.h"

namespace ChildRows {

namespace {

const QString KeyCondition = QStringLiteral("coalesce(item_4,'')=:item_4 and coalesce(item_dqdm,'')=:item_dqdm");

QVariantMap keyParams(const Numbering::RecordKey &key)
{
    return {{QStringLiteral("item_4"), key.item4}, {QStringLiteral("item_dqdm"), key.region}};
}

void bindKey(Query &query, const Numbering::RecordKey &key)
{
    const QVariantMap params = keyParams(key);
    for (auto it = params.begin(); it != params.end(); ++it)
        query.setParam(it.key(), it.value());
}

} // namespace

QString tableOf(Kind kind)
{
    switch (kind) {
    case Kind::Units: return QStringLiteral("cgwcdw");
    case Kind::Persons: return QStringLiteral("cgwcr");
    case Kind::Committee: return QStringLiteral("jdwyhmd");
    case Kind::Patents: return QStringLiteral("zlqk");
    }
    return {};
}

QString serialOf(Kind kind)
{
    switch (kind) {
    case Kind::Units: return QStringLiteral("item_176");
    case Kind::Persons: return QStringLiteral("item_187");
    case Kind::Committee: return QStringLiteral("item_190");
    case Kind::Patents: return QStringLiteral("ITEM_NO");
    }
    return {};
}

std::unique_ptr<Query> read(TDM &dm, Kind kind, const Numbering::RecordKey &key, const QString &patentStatus)
{
    auto query = std::make_unique<Query>(dm.database());
    dm.addChildLookups(kind, *query);
    QString sql = QStringLiteral("select * from %1 where %2").arg(tableOf(kind), KeyCondition);
    const bool byStatus = kind == Kind::Patents && !patentStatus.isEmpty();
    if (byStatus)
        sql += QStringLiteral(" and coalesce(patent_st,'')=:patent_st");
    // The serial is the order the lists show; rows are stored in the order
    // they were typed (a committee's chairman, serial 1, is often added last).
    sql += QStringLiteral(" order by coalesce(%1,0), rowid").arg(serialOf(kind));
    query->setSql(sql);
    bindKey(*query, key);
    if (byStatus)
        query->setParam(QStringLiteral("patent_st"), patentStatus);
    query->open();
    return query;
}

int count(Database *db, Kind kind, const Numbering::RecordKey &key)
{
    Query query(db);
    query.setSql(QStringLiteral("select count(*) as n from %1 where %2").arg(tableOf(kind), KeyCondition));
    bindKey(query, key);
    query.open();
    return int(query.asNumber(QStringLiteral("n")));
}

namespace {

// The live rows of a table file with the key, compared as the key's SQL
// compares them (padding off, blank as empty).
void collectRows(const std::shared_ptr<DbfFile> &file, const Numbering::RecordKey &key,
                 QList<TableJournal::Row> &rows)
{
    const int item4 = file->fieldIndex(QStringLiteral("item_4"));
    const int region = file->fieldIndex(QStringLiteral("item_dqdm"));
    if (item4 < 0 || region < 0)
        return;
    for (int recno = 0; recno < file->recordCount(); ++recno) {
        if (!file->isDeleted(recno) && file->value(recno, item4).toString() == key.item4
            && file->value(recno, region).toString() == key.region)
            rows.append({file, recno});
    }
}

} // namespace

int deleteRecord(Database *db, const Numbering::RecordKey &key)
{
    QList<TableJournal::Row> rows;
    collectRows(db->file(QStringLiteral("kjcg.DBF")), key, rows);
    for (const QString &table : Numbering::childTables())
        collectRows(db->file(table), key, rows);
    // A table that takes no writes refuses the delete before anything is
    // noted, not half way through marking the rows.
    for (const TableJournal::Row &row : rows)
        row.first->checkWritable();
    TableJournal journal(db);
    QList<std::shared_ptr<DbfFile>> files;
    for (const TableJournal::Row &row : rows)
        files.append(row.first);
    journal.begin({}, files);
    try {
        journal.commit(rows);
    } catch (...) {
        journal.rollback();
        throw;
    }
    journal.complete();
    return int(rows.size());
}

} // namespace ChildRows
