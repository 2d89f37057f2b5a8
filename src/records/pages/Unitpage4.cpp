#include "Unitpage4.h"


TFpage4::TFpage4(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage4"));
    resize(800, 600);
}
