#include "Unitpage4a3.h"

Tformunitintrod *formunitintrod = nullptr;

Tformunitintrod::Tformunitintrod(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formunitintrod"));
    setWindowTitle(QStringLiteral("单位简介"));
}
