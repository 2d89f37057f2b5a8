#include "CgwcrManage.h"


TFormWcr::TFormWcr(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormWcr"));
}
