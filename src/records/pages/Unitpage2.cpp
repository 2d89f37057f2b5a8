#include "Unitpage2.h"


TFpage2::TFpage2(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage2"));
    resize(800, 600);
}
