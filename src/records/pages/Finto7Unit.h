#pragma once
#include <QDialog>

class TFinto7 : public QDialog
{
    Q_OBJECT
public:
    explicit TFinto7(QWidget *parent = nullptr);
};
