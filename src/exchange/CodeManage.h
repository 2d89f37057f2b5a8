#pragma once
#include <QDialog>

class TFcodeManage : public QDialog
{
    Q_OBJECT
public:
    explicit TFcodeManage(QWidget *parent = nullptr);
};
