#include "Unitpage4a1.h"

Tformadvantage *formadvantage = nullptr;

Tformadvantage::Tformadvantage(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formadvantage"));
    setWindowTitle(QStringLiteral("研发优势简要说明"));
}
