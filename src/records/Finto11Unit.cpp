#include "Finto11Unit.h"

TFinto11 *Finto11 = nullptr;

TFinto11::TFinto11(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Finto11"));
    resize(508, 273);
}
