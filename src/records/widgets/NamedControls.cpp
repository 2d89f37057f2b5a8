#include "NamedControls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, int minWidth)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (minWidth > 0) {
        button->setMinimumSize(minWidth, 28);
        PadCaption(button);
    }
    return button;
}

void PadCaption(QPushButton *button)
{
    constexpr int Margin = 14;
    const int room = button->fontMetrics().horizontalAdvance(button->text()) + 2 * Margin;
    button->setMinimumWidth(qMax(button->minimumWidth(), room));
}

QComboBox *MakePickList(QWidget *parent, const QString &name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(false);
    return combo;
}

QHBoxLayout *ButtonRow(const QList<QPushButton *> &buttons, int gap, bool centred)
{
    auto *row = new QHBoxLayout;
    if (centred)
        row->addStretch(1);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        if (i > 0 && gap >= 0)
            row->addSpacing(gap);
        row->addWidget(buttons.at(i));
    }
    if (centred)
        row->addStretch(1);
    return row;
}
