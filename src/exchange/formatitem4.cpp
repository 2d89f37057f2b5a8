#include "formatitem4.h"


Tformformat::Tformformat(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formformat"));
    setWindowTitle(QStringLiteral("修改成果年份"));
}
