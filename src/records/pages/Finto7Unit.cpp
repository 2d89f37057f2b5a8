#include "Finto7Unit.h"


TFinto7::TFinto7(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Finto7"));
}
