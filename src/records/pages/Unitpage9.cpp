#include "Unitpage9.h"


TFpage9::TFpage9(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage9"));
    resize(800, 600);
}
