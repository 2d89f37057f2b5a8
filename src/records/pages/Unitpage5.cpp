#include "Unitpage5.h"

#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/forms/HelpWindow.h"
#include "records/data/UnitDM.h"
#include "records/pages/Finto5Unit.h"

#include <QLayout>
#include <QPushButton>


namespace {

const QString SerialField = QStringLiteral("item_176");

} // namespace

TFpage5::TFpage5(QWidget *parent)
    : ChildListWindow({listTitle(), listTitle(), QStringLiteral("DBGrid2"), QStringLiteral("btnSave01")},
                      parent)
{
    setObjectName(QStringLiteral("Fpage5"));
    offerRowCommandsAlways();
    helpButton = addCommand(QStringLiteral("Button3"), QStringLiteral("帮助"));
    connect(helpButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { ShowHelpFor(&context(), context().recordHost().categoryIndex()); });
    });
}

QString TFpage5::listTitle()
{
    return QStringLiteral("合作完成单位情况");
}

void TFpage5::wire(AppContext &context)
{
    ChildListWindow::wire(context);
    Query &units = *context.dm().QryCgwcdw;
    const QList<std::pair<const char *, const char *>> columns = {
        {"item_176", "序号"},   {"item_170", "单位名称"}, {"item_171", "详细通信地址"},
        {"item_172", "邮政编码"}, {"item_173", "联系人"}};
    QStringList names;
    for (const auto &[field, title] : columns) {
        units.setFieldTitle(QString::fromLatin1(field), QString::fromUtf8(title));
        names << QString::fromLatin1(field);
    }
    context.dm().DSQcgwcdw->setColumns(names);
    setKey({QStringLiteral("cgwcdw.DBF"), {QStringLiteral("item_4"), QStringLiteral("item_dqdm")},
            SerialField});
    setRows(&units, context.dm().DSQcgwcdw, SerialField);
    setColumnWidths({50, 250, 260, 80});
    if (auto *dialog = context.window<TFinto5>())
        setDialog(dialog);
}

void TFpage5::afterStore(ChildList::Mode mode)
{
    if (mode == ChildList::Mode::Modify)
        placeRowAtItsSerial();
}

void TFpage5::whenLeft()
{
    context().recordHost().markSectionDone(QStringLiteral("btn_page05"));
}
