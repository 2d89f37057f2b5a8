#include "Unitpage12.h"


TFpage12::TFpage12(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage12"));
    resize(800, 600);
}
