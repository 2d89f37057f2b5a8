#pragma once
#include <QDialog>

class TFormstudy : public QDialog
{
    Q_OBJECT
public:
    explicit TFormstudy(QWidget *parent = nullptr);
};

extern TFormstudy *Formstudy;
