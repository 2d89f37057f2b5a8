#include "Unitpage6.h"


TFpage6::TFpage6(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage6"));
    resize(800, 600);
}
