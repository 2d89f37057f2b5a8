#include "CgwcrManage.h"

TFormWcr *FormWcr = nullptr;

TFormWcr::TFormWcr(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormWcr"));
}
