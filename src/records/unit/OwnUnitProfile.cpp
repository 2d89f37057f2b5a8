#include "OwnUnitProfile.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"

namespace OwnUnitProfile {

const QStringList &columns()
{
    static const QStringList names = {
        QStringLiteral("item_9"),    QStringLiteral("item_420"), QStringLiteral("item_37"),
        QStringLiteral("item_38"),   QStringLiteral("item_39"),  QStringLiteral("item_40"),
        QStringLiteral("item_60"),   QStringLiteral("item_62"),  QStringLiteral("item_163"),
        QStringLiteral("item_41_3"), QStringLiteral("item_64"),  QStringLiteral("item_63"),
        QStringLiteral("item_41"),   QStringLiteral("item_41_2"), QStringLiteral("item_61"),
    };
    return names;
}

namespace {

bool hasRows(Database &db)
{
    Query count(&db);
    count.setSql(QStringLiteral("select count(*) as n from dwqk"));
    count.open();
    return count.asNumber(QStringLiteral("n")) > 0;
}

QString updateStatement()
{
    QStringList assignments;
    for (const QString &column : columns())
        assignments << column + QStringLiteral("=:") + column;
    return QStringLiteral("update dwqk set ") + assignments.join(QLatin1Char(','));
}

QString insertStatement()
{
    QStringList parameters;
    for (const QString &column : columns())
        parameters << QLatin1Char(':') + column;
    return QStringLiteral("insert into dwqk (") + columns().join(QLatin1Char(','))
           + QStringLiteral(") values (") + parameters.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

void store(Database &db, const QStringList &values)
{
    if (values.size() != columns().size())
        throw DbError(QStringLiteral("本单位情况的数据项个数不对，未能存储。"));
    Query statement(&db);
    statement.setSql(hasRows(db) ? updateStatement() : insertStatement());
    for (int i = 0; i < values.size(); ++i)
        statement.setParam(columns().at(i), values.at(i));
    statement.execSql();
}

const Query &readForFill(Query &profile, QWidget *parent)
{
    profile.close();
    profile.open();
    if (profile.asString(QStringLiteral("item_9")).isEmpty()) {
        Messages::show(parent, QStringLiteral("提示信息"),
                       QStringLiteral("本单位情况还没设置，请先设置单位基本情况"), QMessageBox::Information);
        throw Abort{};
    }
    return profile;
}

} // namespace OwnUnitProfile
