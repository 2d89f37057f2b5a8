#pragma once
#include <QDialog>

class TFpage1 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage1(QWidget *parent = nullptr);
};

extern TFpage1 *Fpage1;
