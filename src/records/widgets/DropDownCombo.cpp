#include "DropDownCombo.h"

DropDownCombo::DropDownCombo(QWidget *parent) : QComboBox(parent)
{
    setFixedWidth(22);
}

void DropDownCombo::showPopup()
{
    emit dropDown();
}
