#include "UnitDuoyu.h"

#include "records/widgets/ListGrid.h"
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "engine/DbError.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/data/UnitDM.h"
#include "records/widgets/NamedControls.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>


TFormDuoyu::TFormDuoyu(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDuoyu"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请在下面列表中中删除多余选项"), this));
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    StyleListGrid(DBGrid1);
    layout->addWidget(DBGrid1, 1);
    Button1 = MakeButton(this, QStringLiteral("Button1"), QStringLiteral("删除"));
    Button2 = MakeButton(this, QStringLiteral("Button2"), QStringLiteral("退出"));
    layout->addLayout(ButtonRow({Button1, Button2}, -1, false));
    connect(Button1, &QPushButton::clicked, this, &TFormDuoyu::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
}

void TFormDuoyu::wire(AppContext &context)
{
    ContextWindow::wire(context);
    DBGrid1->setModel(context.dm().DataSource2);
}

void TFormDuoyu::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
}

void TFormDuoyu::Button1Click()
{
    runGuarded(this, [this] {
        DataSet *list = isWired() ? context().dm().DataSource2->dataSet() : nullptr;
        if (!list || list->recordCount() <= 1)
            return;
        list->moveTo(DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().row() : 0);
        list->remove();
    });
}

void TFormDuoyu::closeEvent(QCloseEvent *event)
{
    DataSet *list = isWired() ? context().dm().DataSource2->dataSet() : nullptr;
    int left = 0;
    runGuarded(this, [&] { left = list && list->isOpen() ? list->recordCount() : 0; });
    if (left >= 2) {
        Messages::show(this, QStringLiteral("提示信息"), QStringLiteral("还有重复信息，请删除。"),
                       QMessageBox::Information);
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
