#include "PageControls.h"

#include "records/widgets/ByteLimitedEdit.h"

#include <QGridLayout>
#include <QLabel>

QString RequiredLabelStyle()
{
    return QStringLiteral("color: #800000;");
}

QLabel *MakeFieldLabel(const QString &text, QWidget *buddy, QWidget *parent, bool required)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    if (required)
        label->setStyleSheet(RequiredLabelStyle());
    return label;
}

ByteLimitedEdit *MakeByteEdit(const QString &name, int maxBytes, QWidget *parent)
{
    ByteLimitedEdit *edit = MakeFieldEdit(parent, name);
    edit->setMaxBytes(maxBytes);
    return edit;
}

void PutLabelled(QGridLayout *grid, int row, int column, const QString &label, QWidget *control)
{
    QWidget *parent = grid->parentWidget();
    grid->addWidget(MakeFieldLabel(label, control, parent), row, column * 2, Qt::AlignRight);
    grid->addWidget(control, row, column * 2 + 1);
}

void PutWide(QGridLayout *grid, int row, const QString &label, QWidget *control)
{
    QWidget *parent = grid->parentWidget();
    grid->addWidget(MakeFieldLabel(label, control, parent), row, 0, Qt::AlignRight);
    grid->addWidget(control, row, 1, 1, 3);
}
