#include "dw_Unit.h"


Tdw_Form::Tdw_Form(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dw_Form"));
    setWindowTitle(QStringLiteral("单位情况"));
}
