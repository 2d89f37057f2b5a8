#include "Unitin.h"


TFormin::TFormin(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formin"));
    setWindowTitle(QStringLiteral("数据导入"));
}
