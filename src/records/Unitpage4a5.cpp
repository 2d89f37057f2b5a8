#include "Unitpage4a5.h"

TFormstudy *Formstudy = nullptr;

TFormstudy::TFormstudy(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formstudy"));
    setWindowTitle(QStringLiteral("简要说明及补充"));
}
