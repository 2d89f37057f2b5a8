#include "Finto5Unit.h"


TFinto5::TFinto5(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Finto5"));
}
