#include "UnitDuoyu.h"


TFormDuoyu::TFormDuoyu(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDuoyu"));
}
