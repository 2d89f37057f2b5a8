#include "Unitpage11.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/unit/Finto11Unit.h"
#include "records/data/UnitDM.h"

#include <QTableView>


TFpage11::TFpage11(QWidget *parent)
    : ChildListWindow({listTitle(), QStringLiteral("学科带头人情况"), QStringLiteral("DBGrid4"),
                       QStringLiteral("Button3")},
                      parent)
{
    setObjectName(QStringLiteral("Fpage11"));
}

QString TFpage11::listTitle()
{
    return QStringLiteral("学科带头人名单");
}

void TFpage11::wire(AppContext &context)
{
    ChildListWindow::wire(context);
    Table &leaders = *context.dm().Tblexpert;
    leaders.setFieldTitle(QStringLiteral("item_180"), QStringLiteral("姓名"));
    leaders.setFieldTitle(QStringLiteral("item_182"), QStringLiteral("出生年月"));
    leaders.setFieldTitle(QStringLiteral("item_186"), QStringLiteral("简要说明"));
    context.dm().DSTexpert->setColumns({QStringLiteral("item_180"), QStringLiteral("item_182"),
                                        QStringLiteral("V_181"), QStringLiteral("V_124_1"),
                                        QStringLiteral("item_186")});
    setRows(&leaders, context.dm().DSTexpert, QStringLiteral("item_187"));
    setKey({QStringLiteral("unitexpert.dbf"), {QStringLiteral("unitcode")}, QString()});
    if (auto *dialog = context.window<TFinto11>())
        setDialog(dialog);
}
