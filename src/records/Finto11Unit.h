#pragma once
#include <QDialog>

class TFinto11 : public QDialog
{
    Q_OBJECT
public:
    explicit TFinto11(QWidget *parent = nullptr);
};

extern TFinto11 *Finto11;
