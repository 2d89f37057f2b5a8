#include "Unitpage3.h"


TFpage3::TFpage3(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage3"));
    resize(800, 600);
}
