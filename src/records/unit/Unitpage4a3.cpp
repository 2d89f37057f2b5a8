#include "Unitpage4a3.h"


Tformunitintrod::Tformunitintrod(QWidget *parent)
    : UnitMemoEditor(QStringLiteral("formunitintrod"), QStringLiteral("单位简介"),
                     QStringLiteral("unitintrod"), parent)
{
}
