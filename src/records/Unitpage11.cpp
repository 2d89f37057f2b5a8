#include "Unitpage11.h"

TFpage11 *Fpage11 = nullptr;

TFpage11::TFpage11(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage11"));
    resize(800, 600);
}
