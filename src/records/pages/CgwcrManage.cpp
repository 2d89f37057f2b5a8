#include "CgwcrManage.h"

#include "records/widgets/ListGrid.h"
#include "engine/DbfFile.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/widgets/Abort.h"
#include "records/forms/ChildList.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/pages/PersonList.h"
#include "records/widgets/NamedControls.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

TFormWcr::TFormWcr(QWidget *parent)
    : QuitOnlyDialog(parent)
{
    setObjectName(QStringLiteral("FormWcr"));
    setWindowTitle(QStringLiteral("本地专家列表"));
    auto *instruction = new QLabel(
        QStringLiteral("本地专家列表，请选择加入到该项目的专家(鼠标点击时按住ctrl键，可以多条选择)："), this);
    instruction->setWordWrap(true);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    StyleListGrid(DBGrid1);
    DBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid1->setStyleSheet(QStringLiteral("QTableView { selection-background-color: maroon; }"));
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    BitBtn1 = MakeButton(this, QStringLiteral("BitBtn1"), QStringLiteral("添加到项目中"), 100);
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("删除"), 80);
    BitBtn5 = MakeButton(this, QStringLiteral("BitBtn5"), QStringLiteral("退出"), 80);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormWcr::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &TFormWcr::Button1Click);
    connect(BitBtn5, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    for (QPushButton *b : {BitBtn1, Button1, BitBtn5})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(520, 420);
}

void TFormWcr::wire(AppContext &context)
{
    QuitOnlyDialog::wire(context);
    Table &known = *context.dm().TblwcrNew;
    known.setFieldTitle(QStringLiteral("item_180"), QStringLiteral("名称"));
    known.setFieldTitle(QStringLiteral("item_185"), QStringLiteral("工作单位"));
    context.dm().DSTwcrNew->setColumns({QStringLiteral("item_180"), QStringLiteral("item_185")});
    DBGrid1->setModel(context.dm().DSTwcrNew);
    DBGrid1->setColumnWidth(0, 120);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormWcr::showCount);
    // "删除" works on the row last clicked.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                runGuarded(this, [&] {
                    Table &known = *this->context().dm().TblwcrNew;
                    if (current.isValid() && known.isOpen() && current.row() < known.recordCount())
                        known.moveTo(current.row());
                });
            });
}

void TFormWcr::pickFor(PersonListWindow &list)
{
    m_list = &list;
    exec();
}

// The whole register, unfiltered.
void TFormWcr::showEvent(QShowEvent *event)
{
    QuitOnlyDialog::showEvent(event);
    runGuarded(this, [this] {
        Table &known = *context().dm().TblwcrNew;
        known.close();
        known.setFiltered(false);
        known.open();
        DBGrid1->clearSelection();
        Label1->setText(QStringLiteral("请选择记录(按住ctrl键进行多条选择)"));
    });
}

void TFormWcr::showCount()
{
    Label1->setText(QStringLiteral("选择了") + QString::number(chosenRows().size())
                    + QStringLiteral("记录！"));
}

QList<int> TFormWcr::chosenRows()
{
    QList<int> chosen;
    for (const QModelIndex &index : DBGrid1->selectionModel()->selectedRows())
        chosen << index.row();
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

void TFormWcr::BitBtn1Click()
{
    runGuarded(this, [this] {
        showCount();
        QList<int> chosen = chosenRows();
        if (chosen.isEmpty()) {
            if (Messages::show(this, QStringLiteral("提示信息"),
                               Messages::Texts::selectAllQuestion(),
                               QMessageBox::Information, QMessageBox::Yes | QMessageBox::No)
                != QMessageBox::Yes)
                return;
            DBGrid1->selectAll();
            chosen = chosenRows();
            Label1->setText(QStringLiteral("正在载入，请等待！"));
        }
        addToRecord(chosen);
        showCount();
        accept();
    });
}

// Each chosen person becomes a row of the current record, with every column
// of the register; a person already listed is added again.
void TFormWcr::addToRecord(const QList<int> &registerRows)
{
    TDM &dm = context().dm();
    const Table &known = *dm.TblwcrNew;
    Table &persons = *dm.TblCgwcr;
    const DataSet &record = context().recordHost().currentRecord();
    const QString item4 = record.asString(QStringLiteral("item_4"));
    const QString region = record.asString(QStringLiteral("item_dqdm"));
    if (!persons.isOpen())
        persons.open();
    DbfSyncBatch oneSync;
    try {
        for (int row : registerRows) {
            persons.append();
            for (const QString &field : known.fieldNames()) {
                if (persons.hasField(field))
                    persons.setValue(field, known.valueAt(row, known.fieldIndex(field)));
            }
            persons.setString(QStringLiteral("item_4"), item4);
            persons.setString(QStringLiteral("item_dqdm"), region);
            persons.post();
        }
        oneSync.finish();
    } catch (...) {
        if (persons.state() != DataSet::Browse)
            persons.cancel();
        if (m_list)
            m_list->afterQuickAdd();
        throw;
    }
    if (m_list)
        m_list->afterQuickAdd();
}

void TFormWcr::Button1Click()
{
    runGuarded(this, [this] {
        Table &known = *context().dm().TblwcrNew;
        if (!known.isOpen() || known.isEmpty())
            return;
        if (Messages::show(this, QStringLiteral("提示信息"), ChildList::deleteQuestion(),
                           QMessageBox::Information, QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
            return;
        const int position = known.recNo();
        known.remove();
        if (!known.isEmpty())
            known.moveTo(qMin(position, known.recordCount() - 1));
    });
}
