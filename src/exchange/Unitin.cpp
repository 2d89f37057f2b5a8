#include "Unitin.h"

TFormin *Formin = nullptr;

TFormin::TFormin(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formin"));
    setWindowTitle(QStringLiteral("数据导入"));
}
