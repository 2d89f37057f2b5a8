#include "Unitpage4a1.h"


Tformadvantage::Tformadvantage(QWidget *parent)
    : UnitMemoEditor(QStringLiteral("formadvantage"), QStringLiteral("研发优势简要说明"),
                     QStringLiteral("advantage"), parent)
{
}
