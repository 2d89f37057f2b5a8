#pragma once
#include <QDialog>

class TFinto6 : public QDialog
{
    Q_OBJECT
public:
    explicit TFinto6(QWidget *parent = nullptr);
};
