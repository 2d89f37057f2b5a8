#include "formatitem4.h"

Tformformat *formformat = nullptr;

Tformformat::Tformformat(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formformat"));
    setWindowTitle(QStringLiteral("修改成果年份"));
}
