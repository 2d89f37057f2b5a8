#pragma once
#include <QDialog>

class TFinto5 : public QDialog
{
    Q_OBJECT
public:
    explicit TFinto5(QWidget *parent = nullptr);
};
