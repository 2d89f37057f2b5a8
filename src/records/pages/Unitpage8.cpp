#include "Unitpage8.h"


TFpage8::TFpage8(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage8"));
    resize(800, 600);
}
