#include "PrintUnit.h"


TPrintForm::TPrintForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("数据打印"));
}
