#include "Unitpage4a5.h"


TFormstudy::TFormstudy(QWidget *parent)
    : UnitMemoEditor(QStringLiteral("Formstudy"), QStringLiteral("简要说明及补充"),
                     QStringLiteral("studydirec"), parent)
{
}
