#include "Finto8Unit.h"


TFinto8::TFinto8(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Finto8"));
}
