#include "Unitpage6.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/HelpWindow.h"
#include "records/data/UnitDM.h"
#include "records/pages/Finto6Unit.h"
#include "records/pages/Unitpage2.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>


TFpage6::TFpage6(QWidget *parent)
    : ChildListWindow({listTitle(), listTitle(), QStringLiteral("DBGrid5"), QStringLiteral("btnSave01")},
                      parent)
{
    setObjectName(QStringLiteral("Fpage6"));
    // "修改" on an empty list adds; "删除" then has nothing to ask about.
    offerRowCommandsAlways();
    helpButton = addCommand(QStringLiteral("Button3"), QStringLiteral("帮助"));
    connect(helpButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { ShowHelpFor(&context(), context().recordHost().categoryIndex()); });
    });
}

QString TFpage6::listTitle()
{
    return QStringLiteral("专利情况");
}

void TFpage6::wire(AppContext &context)
{
    ChildListWindow::wire(context);
    Table &patents = *context.dm().tblzlqk;
    patents.setFieldTitle(QStringLiteral("ITEM_NO"), QStringLiteral("序号"));
    patents.setFieldTitle(QStringLiteral("PATENT_NO"), QStringLiteral("专利号"));
    patents.setFieldTitle(QStringLiteral("PATENT_NAM"), QStringLiteral("专利名称"));
    patents.setFieldTitle(QStringLiteral("V_st"), QStringLiteral("专利状况"));
    patents.setFieldTitle(QStringLiteral("V_ty"), QStringLiteral("专利类型"));
    context.dm().DSTzlqk->setColumns({QStringLiteral("ITEM_NO"), QStringLiteral("PATENT_NO"),
                                      QStringLiteral("PATENT_NAM"), QStringLiteral("V_st"),
                                      QStringLiteral("V_ty")});
    setRows(&patents, context.dm().DSTzlqk, QStringLiteral("ITEM_NO"));
    setKey({QStringLiteral("zlqk.dbf"), {QStringLiteral("item_4"), QStringLiteral("item_dqdm")}, {}});
    // A full patent number with its check digit ("ZL202410001234.5") must
    // show whole in the grid's own font.
    const int numberWidth = grid->fontMetrics().horizontalAdvance(QStringLiteral("ZL000000000000.0W")) + 16;
    setColumnWidths({50, qMax(130, numberWidth), 330, 90});
    if (auto *dialog = context.window<TFinto6>())
        setDialog(dialog);
}

// The serials are made dense before the user sees them.
void TFpage6::showEvent(QShowEvent *event)
{
    runGuarded(this, [this] {
        if (rows() && rows()->isOpen()) {
            renumber();
            rows()->first();
        }
    });
    ChildListWindow::showEvent(event);
}

void TFpage6::whenLeft()
{
    if (rows() && rows()->isOpen()) {
        renumber();
        rows()->first();
    }
    if (auto *page2 = context().window<TFpage2>())
        page2->RefreshItem51Controls(false);
    context().recordHost().pageLeft();
}
