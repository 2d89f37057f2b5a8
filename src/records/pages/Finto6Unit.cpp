#include "Finto6Unit.h"


TFinto6::TFinto6(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Finto6"));
}
