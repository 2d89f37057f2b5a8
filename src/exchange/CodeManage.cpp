#include "CodeManage.h"

TFcodeManage *FcodeManage = nullptr;

TFcodeManage::TFcodeManage(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FcodeManage"));
    setWindowTitle(QStringLiteral("代码管理"));
}
