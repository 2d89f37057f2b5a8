#include "PrintPreparation.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/data/AchievementList.h"
#include "records/data/UnitDM.h"

#include <QSet>

namespace PrintPreparation {

namespace {

// Stores the fields into the current record; on failure the error is shown,
// the change dropped, and false returned.
bool postFields(Query &record, const QList<QPair<QString, QString>> &fields, QWidget *parent)
{
    if (fields.isEmpty())
        return true;
    try {
        record.edit();
        for (const auto &[name, value] : fields)
            record.setString(name, value);
        record.post();
        return true;
    } catch (...) {
        if (record.state() != DataSet::Browse)
            record.cancel();
        Guard::showCurrent(parent);
        return false;
    }
}

QString childSql(const QString &table, const QString &order)
{
    return QStringLiteral("select *  from  %1  where  item_4=:item_4\n"
                          "and  item_dqdm=:item_dqdm\n"
                          "order  by  %2")
        .arg(table, order);
}

void reopenChildList(Query &query, const QString &sql, const QString &item4, const QString &dqdm)
{
    query.close();
    query.setSql(sql);
    query.setParam(QStringLiteral("item_4"), item4);
    query.setParam(QStringLiteral("item_dqdm"), dqdm);
    query.open();
}

// The patent types are not exchanged: a record that came in by import has
// its status but no types. Whatever of the two is empty is derived from the
// record's patents; what is stored stays.
QList<QPair<QString, QString>> missingPatentFields(Query &record, Table &patents)
{
    if (patents.isEmpty())
        return {};
    const bool noTypes = record.asString(QStringLiteral("patent_ty")).isEmpty();
    const bool noStatus = record.asString(QStringLiteral("ITEM_51_1")).isEmpty();
    if (!noTypes && !noStatus)
        return {};
    const PatentFields derived = derivePatentFields(patents);
    QList<QPair<QString, QString>> fields;
    if (noTypes)
        fields.append({QStringLiteral("patent_ty"), derived.types});
    if (noStatus)
        fields.append({QStringLiteral("ITEM_51_1"), derived.status});
    return fields;
}

bool prepareRecord(TDM &dm, const std::function<bool()> &recordComplete, QWidget *parent);

} // namespace

QString withSemicolon(const QString &item51)
{
    if (item51.isEmpty() || item51.contains(u';'))
        return item51;
    return item51 + u';';
}

PatentFields derivePatentFields(DataSet &patents)
{
    bool applied = false;
    bool granted = false;
    QSet<QString> types;
    for (patents.first(); !patents.eof(); patents.next()) {
        const QString status = patents.asString(QStringLiteral("patent_st"));
        applied = applied || status == QLatin1String("1");
        granted = granted || status == QLatin1String("2");
        types.insert(patents.asString(QStringLiteral("patent_ty")));
    }
    PatentFields fields;
    for (const char *type : {"1", "2", "3"}) {
        if (types.contains(QLatin1String(type)))
            fields.types += QLatin1String(type) + QStringLiteral(";");
    }
    fields.status = granted ? QStringLiteral("3") : applied ? QStringLiteral("2") : QStringLiteral("1");
    return fields;
}

bool prepare(TDM &dm, const std::function<bool()> &recordComplete, QWidget *parent)
{
    bool ready = false;
    runGuarded(parent, [&] { ready = prepareRecord(dm, recordComplete, parent); });
    return ready;
}

namespace {

bool prepareRecord(TDM &dm, const std::function<bool()> &recordComplete, QWidget *parent)
{
    Query &record = *dm.Qrykjcg;
    if (record.isEmpty()) {
        recordComplete();
        return false;
    }
    const QString item4 = record.asString(QStringLiteral("ITEM_4"));
    const QString dqdm = record.asString(QStringLiteral("ITEM_DQDM"));

    const QString item51 = record.asString(QStringLiteral("ITEM_51"));
    if (!item51.isEmpty()
        && !postFields(record, {{QStringLiteral("ITEM_51"), withSemicolon(item51)}}, parent))
        return false;

    if (!recordComplete() || record.isEmpty())
        return false;

    reopenChildList(*dm.QryCgwcdw, childSql(QStringLiteral("cgwcdw"), QStringLiteral("item_176 ")),
                    item4, dqdm);
    Table &patents = *dm.tblzlqk;
    patents.close();
    patents.setFiltered(false);
    patents.setFilter(AchievementList::recordKeyFilter(item4, dqdm));
    patents.setFiltered(true);
    patents.open();
    if (!postFields(record, missingPatentFields(record, patents), parent))
        return false;
    reopenChildList(*dm.QryJdwyhmd, childSql(QStringLiteral("Jdwyhmd"), QStringLiteral("item_190")),
                    item4, dqdm);
    reopenChildList(*dm.QryCgwcr, childSql(QStringLiteral("cgwcr"), QStringLiteral("item_187 ")),
                    item4, dqdm);
    return true;
}

} // namespace

} // namespace PrintPreparation
