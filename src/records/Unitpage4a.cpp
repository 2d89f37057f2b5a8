#include "Unitpage4a.h"

TFpage4a *Fpage4a = nullptr;

TFpage4a::TFpage4a(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage4a"));
    setWindowTitle(QStringLiteral("单位情况"));
    resize(800, 600);
}
