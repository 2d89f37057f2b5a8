#include "Unitpage7.h"


TFpage7::TFpage7(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage7"));
    resize(800, 600);
}
