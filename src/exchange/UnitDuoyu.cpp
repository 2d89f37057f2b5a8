#include "UnitDuoyu.h"

TFormDuoyu *FormDuoyu = nullptr;

TFormDuoyu::TFormDuoyu(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDuoyu"));
}
