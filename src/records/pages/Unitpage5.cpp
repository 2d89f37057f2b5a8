#include "Unitpage5.h"


TFpage5::TFpage5(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage5"));
    resize(800, 600);
}
