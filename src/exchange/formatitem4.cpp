#include "formatitem4.h"

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "exchange/ImportStaging.h"
#include "records/widgets/Abort.h"
#include "records/widgets/Messages.h"
#include "records/widgets/NamedControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QVBoxLayout>


Tformformat::Tformformat(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formformat"));
    setWindowTitle(QStringLiteral("修改成果年份"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("成果年份"), this));
    edt_4 = new QLineEdit(this);
    edt_4->setObjectName(QStringLiteral("edt_4"));
    edt_4->setMaxLength(4);
    edt_4->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), edt_4));
    row->addWidget(edt_4);
    layout->addLayout(row);
    btnsave = MakeButton(this, QStringLiteral("btnsave"), QStringLiteral("保存"));
    btnexit = MakeButton(this, QStringLiteral("btnexit"), QStringLiteral("退出"));
    layout->addLayout(ButtonRow({btnsave, btnexit}, -1, false));
    connect(btnsave, &QPushButton::clicked, this, &Tformformat::btnsaveClick);
    connect(btnexit, &QPushButton::clicked, this, &QDialog::reject);
}

void Tformformat::setStaged(Table *staged)
{
    m_staged = staged;
}

void Tformformat::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tformformat::FormShow()
{
    const bool any = m_staged && m_staged->isOpen() && !m_staged->isEmpty();
    edt_4->setText(any ? m_staged->asString(QStringLiteral("item_4")).left(4) : QString());
    edt_4->selectAll();  // a new year is typed over the old one
    btnsave->setEnabled(any);
}

void Tformformat::btnsaveClick()
{
    runGuarded(this, [this] { changeYear(); });
}

// The year-change rule's refusals are warnings of the dialog; what else
// stops the change is shown as every handler shows it.
void Tformformat::changeYear()
{
    if (!m_staged || m_staged->isEmpty())
        return;
    if (Messages::show(this, QStringLiteral("请注意！"), QStringLiteral("确定要更改成果年份吗？"),
                       QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    try {
        ImportStaging::changeYear(*m_staged, edt_4->text());
    } catch (const DbError &error) {
        Messages::ShowWarning(this, error.message());
        return;
    }
    Messages::ShowWarning(this, QStringLiteral("成果年份修改成功！"));
}
