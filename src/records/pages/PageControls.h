#pragma once
#include "records/data/FormOptions.h"

#include <QString>

class ByteLimitedEdit;
class QGridLayout;
class QLabel;
class QWidget;

// Controls the section pages share.

// Labels of required entries are maroon.
QString RequiredLabelStyle();

// A label that names its control (its accessible name and mnemonic).
QLabel *MakeFieldLabel(const QString &text, QWidget *buddy, QWidget *parent, bool required = false);

// An edit of at most maxBytes GBK bytes under the form's name.
ByteLimitedEdit *MakeByteEdit(const QString &name, int maxBytes, QWidget *parent);

// A label right-aligned in column 2 * column and its control beside it.
void PutLabelled(QGridLayout *grid, int row, int column, const QString &label, QWidget *control);

// A label in column 0 and its control across the three columns beside it.
void PutWide(QGridLayout *grid, int row, const QString &label, QWidget *control);

// An option box under the form's caption, its code at the end of its name
// (namePrefix + code), as the input check and the stored codes read it.
template <class Box>
Box *MakeOptionBox(const OptionText &option, const QString &namePrefix, QWidget *panel)
{
    auto *box = new Box(QString::fromUtf8(option.caption), panel);
    box->setObjectName(namePrefix + QString::fromLatin1(option.code));
    return box;
}
