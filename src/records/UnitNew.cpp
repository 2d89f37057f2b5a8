#include "UnitNew.h"

TFormNew *FormNew = nullptr;

TFormNew::TFormNew(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNew"));
    setWindowTitle(QStringLiteral("请填写"));
}
