#include "Unitpage8.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"

#include <QTableView>
#include "records/data/UnitDM.h"
#include "records/pages/Finto8Unit.h"

TFpage8::TFpage8(QWidget *parent)
    : PersonListWindow(QStringLiteral("DBGrid4"), parent)
{
    setObjectName(QStringLiteral("Fpage8"));
}

void TFpage8::wire(AppContext &context)
{
    PersonListWindow::wire(context);
    Query &persons = *context.dm().QryCgwcr;
    PersonGrid::showPersonColumns(persons, *context.dm().DSQcgwcr);
    setKey({QStringLiteral("cgwcr.DBF"), {QStringLiteral("item_4"), QStringLiteral("item_dqdm")},
            QStringLiteral("item_187")});
    setRows(&persons, context.dm().DSQcgwcr, QStringLiteral("item_187"));
    PersonGrid::drawCodeTexts(grid, {QStringLiteral("item_181"), QStringLiteral("item_183"),
                                     QStringLiteral("item_184"), QStringLiteral("item_188")});
    setColumnWidths({40, 70, 40, 64, 70, 76, 86, 140});
    editInPlace();
    if (auto *dialog = context.window<TFinto8>())
        setDialog(dialog);
}

void TFpage8::whenLeft()
{
    context().recordHost().pageLeft();
}

void TFpage8::columnLeft(int row, int column)
{
    auto *model = qobject_cast<DataSetModel *>(grid->model());
    if (!rows() || !model || model->columns().value(column) != serialField())
        return;
    const int duplicates = PersonGrid::otherRowsWithSerial(*rows(), serialField(), row);
    for (int i = 0; i < duplicates; ++i)
        ChildList::ShowPlainMessage(this, QStringLiteral("序号有重复，请重新输入序号！"));
}
