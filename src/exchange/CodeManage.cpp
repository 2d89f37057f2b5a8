#include "CodeManage.h"


TFcodeManage::TFcodeManage(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FcodeManage"));
    setWindowTitle(QStringLiteral("代码管理"));
}
