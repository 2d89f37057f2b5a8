#include "Unitpage12.h"

#include "engine/DbfFile.h"
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/data/UnitDM.h"

TFpage12::TFpage12(QWidget *parent)
    : PersonListWindow(QStringLiteral("DBGrid4"), parent)
{
    setObjectName(QStringLiteral("Fpage12"));
}

void TFpage12::wire(AppContext &context)
{
    PersonListWindow::wire(context);
    Table &persons = *context.dm().TblCgwcr;
    PersonGrid::showPersonColumns(persons, *context.dm().DSTcgwcr);
    setKey({QStringLiteral("cgwcr.DBF"), {QStringLiteral("item_4"), QStringLiteral("item_dqdm")}, {}});
    setRows(&persons, context.dm().DSTcgwcr, QStringLiteral("item_187"));
    PersonGrid::drawCodeTexts(grid, {QStringLiteral("item_181"), QStringLiteral("item_183"),
                                     QStringLiteral("item_184"), QStringLiteral("item_188")});
    setColumnWidths({40, 70, 40, 64, 70, 76, 86, 140});
}

void TFpage12::showEvent(QShowEvent *event)
{
    runGuarded(this, [this] {
        showRowsOfCurrentRecord();
        numberInTableOrder();
        answerStudyAbroad();
    });
    PersonListWindow::showEvent(event);
}

// The persons of the record the main window shows, read by its key, not
// the table as some other window last left it.
void TFpage12::showRowsOfCurrentRecord()
{
    const DataSet &record = context().recordHost().currentRecord();
    if (record.isOpen() && !record.isEmpty())
        showRowsOf({record.asString(QStringLiteral("item_4")), record.asString(QStringLiteral("item_dqdm"))});
}

void TFpage12::done(int result)
{
    runGuarded(this, [this] { numberInTableOrder(); });
    PersonListWindow::done(result);
}

void TFpage12::numberInTableOrder()
{
    if (rows() && rows()->isOpen()) {
        renumber();
        rows()->first();
    }
}

// Study abroad is answered "1" or "0"; anything else is taken as "0".
void TFpage12::answerStudyAbroad()
{
    DataSet *persons = rows();
    if (!persons || !persons->isOpen())
        return;
    const QString field = QStringLiteral("item_188");
    DbfSyncBatch oneSync;
    for (int i = 0; i < persons->recordCount(); ++i) {
        persons->moveTo(i);
        if (persons->asString(field).trimmed() == QLatin1String("1")
            || persons->asString(field).trimmed() == QLatin1String("0"))
            continue;
        persons->edit();
        persons->setString(field, QStringLiteral("0"));
        persons->post();
    }
    oneSync.finish();
    persons->first();
}
