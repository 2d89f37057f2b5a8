#include "OwnUnitProfile.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"

namespace OwnUnitProfile {

namespace {

bool hasRows(Database &db)
{
    Query count(&db);
    count.setSql(QStringLiteral("select count(*) as n from dwqk"));
    count.open();
    return count.asNumber(QStringLiteral("n")) > 0;
}

QStringList columnsOf(const ColumnValues &values)
{
    QStringList columns;
    for (const auto &[column, value] : values)
        columns << column;
    return columns;
}

QString updateStatement(const QStringList &columns)
{
    QStringList assignments;
    for (const QString &column : columns)
        assignments << column + QStringLiteral("=:") + column;
    return QStringLiteral("update dwqk set ") + assignments.join(QLatin1Char(','));
}

QString insertStatement(const QStringList &columns)
{
    QStringList parameters;
    for (const QString &column : columns)
        parameters << QLatin1Char(':') + column;
    return QStringLiteral("insert into dwqk (") + columns.join(QLatin1Char(','))
           + QStringLiteral(") values (") + parameters.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

void store(Database &db, const ColumnValues &values)
{
    if (values.isEmpty())
        throw DbError(QStringLiteral("本单位情况没有数据项，未能存储。"));
    const QStringList columns = columnsOf(values);
    Query statement(&db);
    statement.setSql(hasRows(db) ? updateStatement(columns) : insertStatement(columns));
    for (const auto &[column, value] : values)
        statement.setParam(column, value);
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
