#include "UnitPage1.h"

TFpage1 *Fpage1 = nullptr;

TFpage1::TFpage1(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage1"));
    resize(800, 600);
}
