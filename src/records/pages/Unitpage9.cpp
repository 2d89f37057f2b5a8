#include "Unitpage9.h"

TFpage9 *Fpage9 = nullptr;

TFpage9::TFpage9(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage9"));
    resize(800, 600);
}
