#include "PrintUnit.h"

TPrintForm *PrintForm = nullptr;

TPrintForm::TPrintForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("数据打印"));
}
