#include "Unitpage7.h"

#include "engine/DbfFile.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/widgets/Abort.h"
#include "records/forms/AppContext.h"
#include "records/data/AchievementList.h"
#include "records/forms/HelpWindow.h"
#include "records/data/UnitDM.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/PersonList.h"
#include "records/pages/PersonRules.h"

#include <QPushButton>

TFpage7::TFpage7(QWidget *parent)
    : ChildListWindow({listTitle(), listTitle(), QStringLiteral("DBGrid3"), QStringLiteral("btnSave01")},
                      parent)
{
    setObjectName(QStringLiteral("Fpage7"));
    // Unlike the other pages it has a close box; closing through it leaves
    // the section's done mark as it was (only 退出 sets it).
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    // "修改" on an empty list adds; "删除" then has nothing to ask about.
    offerRowCommandsAlways();
    helpButton = addCommand(QStringLiteral("Button3"), QStringLiteral("帮助"));
    connect(helpButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { ShowHelpFor(&context(), context().recordHost().categoryIndex()); });
    });
}

QString TFpage7::listTitle()
{
    return QStringLiteral("评价委员会名单");
}

void TFpage7::wire(AppContext &context)
{
    ChildListWindow::wire(context);
    TDM &dm = context.dm();
    Query &members = *dm.QryJdwyhmd;
    const QList<std::pair<const char *, const char *>> columns = {
        {"item_191", "评价委员会职务"}, {"item_192", "姓名"},     {"item_193", "性别"},
        {"item_195", "工作单位"},       {"item_196", "所学专业"}, {"item_197", "现从事专业"},
        {"item_198", "职称"}};
    QStringList names;
    for (const auto &[field, title] : columns) {
        members.setFieldTitle(QString::fromLatin1(field), QString::fromUtf8(title));
        names << QString::fromLatin1(field);
    }
    dm.DSQjdwyhmd->setColumns(names);
    // Ranked first; members of one rank keep their serial order.
    setKey({QStringLiteral("jdwyhmd.DBF"), {QStringLiteral("item_4"), QStringLiteral("item_dqdm")},
            QStringLiteral("item_194, item_190")});
    setRows(&members, dm.DSQjdwyhmd, QStringLiteral("item_190"));
    setAppendTarget(dm.Tbljdwyhmd);
    PersonGrid::drawCodeTexts(grid, {QStringLiteral("item_193"), QStringLiteral("item_198")});
    setColumnWidths({110, 80, 50, 200, 110, 110});
    if (auto *dialog = context.window<TFinto7>())
        setDialog(dialog);
}

void TFpage7::afterStore(ChildList::Mode)
{
    const DataSet &record = context().recordHost().currentRecord();
    Table &committee = *context().dm().Tbljdwyhmd;
    committee.close();
    committee.setFilter(AchievementList::recordKeyFilter(record.asString(QStringLiteral("item_4")),
                                                         record.asString(QStringLiteral("item_dqdm"))));
    committee.setFiltered(true);
    committee.open();
    const QString rankField = QStringLiteral("item_194");
    DbfSyncBatch oneSync;
    for (int i = 0; i < committee.recordCount(); ++i) {
        committee.moveTo(i);
        const QString rank = CommitteeRole::rankOf(committee.asString(QStringLiteral("item_191")));
        if (rank.isEmpty() || committee.asString(rankField).trimmed() == rank)
            continue;
        committee.edit();
        committee.setString(rankField, rank);
        committee.post();
    }
    oneSync.finish();
}

void TFpage7::quitClick()
{
    runGuarded(this, [this] { context().recordHost().markSectionDone(QStringLiteral("btn_page07")); });
    accept();
}

void TFpage7::whenLeft()
{
    context().recordHost().pageLeft();
}
