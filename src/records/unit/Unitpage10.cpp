#include "Unitpage10.h"


TFpage10::TFpage10(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Fpage10"));
    setWindowTitle(QStringLiteral("Fpage10"));
    resize(800, 600);
}
