#include "UnitMemoEditor.h"

#include "engine/DataSet.h"
#include "records/widgets/NamedControls.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/data/UnitDM.h"
#include "records/unit/UnitProfile.h"
#include "records/widgets/GbkMemo.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

UnitMemoEditor::UnitMemoEditor(const QString &objectName, const QString &caption,
                               const QString &field, QWidget *parent)
    : QDialog(parent), m_field(field)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    Memo1 = new GbkMemo(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button1 = new QPushButton(QStringLiteral("保存"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("退出"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setMinimumSize(80, 28);
    }
    connect(Button1, &QPushButton::clicked, this, &UnitMemoEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &UnitMemoEditor::Button2Click);

    QHBoxLayout *buttons = ButtonRow({Button1, Button2});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    resize(600, 420);
}

void UnitMemoEditor::setPageMemo(QPlainTextEdit *memo)
{
    m_pageMemo = memo;
}

bool UnitMemoEditor::Button1Click()
{
    return runGuarded(this, [this] { storeText(); });
}

// The editor stays open: it and the page's memo then show what the unit
// row holds (a TAB is stored as a blank).
void UnitMemoEditor::storeText()
{
    Table &unit = *context().dm().Tblunit;
    const QString text = MemoTextToStore(Memo1->toPlainText());
    UnitProfile::writeUnitRow(unit, [&](Table &row) { row.setString(m_field, text); });
    const QString shown = MemoTextToShow(unit.asString(m_field));
    Memo1->setPlainText(shown);
    if (m_pageMemo)
        m_pageMemo->setPlainText(shown);
}

void UnitMemoEditor::Button2Click()
{
    reject();
}
