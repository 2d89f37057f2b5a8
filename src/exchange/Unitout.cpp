#include "Unitout.h"


TFormout::TFormout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Formout"));
    setWindowTitle(QStringLiteral("数据导出"));
}
