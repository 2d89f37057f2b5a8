#include "Unitpage11.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/unit/Finto11Unit.h"
#include "records/main/UnitDM.h"

#include <QTableView>

TFpage11 *Fpage11 = nullptr;

TFpage11::TFpage11(QWidget *parent)
    : ChildListWindow({listTitle(), QStringLiteral("学科带头人情况"), QStringLiteral("DBGrid4"),
                       QStringLiteral("Button3")},
                      parent)
{
    setObjectName(QStringLiteral("Fpage11"));
    connectParts();
}

QString TFpage11::listTitle()
{
    return QStringLiteral("学科带头人名单");
}

// The data module and the dialog are made after this window at start-up.
void TFpage11::connectParts()
{
    if (!rows() && DM) {
        Table &leaders = *DM->Tblexpert;
        leaders.setFieldTitle(QStringLiteral("item_180"), QStringLiteral("姓名"));
        leaders.setFieldTitle(QStringLiteral("item_182"), QStringLiteral("出生年月"));
        leaders.setFieldTitle(QStringLiteral("item_186"), QStringLiteral("简要说明"));
        DM->DSTexpert->setColumns({QStringLiteral("item_180"), QStringLiteral("item_182"),
                                   QStringLiteral("V_181"), QStringLiteral("V_124_1"),
                                   QStringLiteral("item_186")});
        setRows(&leaders, DM->DSTexpert, QStringLiteral("item_187"));
        setColumnWidths({100, 90, 60, 200});
    }
    if (!dialog() && Finto11)
        setDialog(Finto11);
}

void TFpage11::showEvent(QShowEvent *event)
{
    connectParts();
    ChildListWindow::showEvent(event);
}
