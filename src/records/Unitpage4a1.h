#pragma once
#include <QDialog>

class Tformadvantage : public QDialog
{
    Q_OBJECT
public:
    explicit Tformadvantage(QWidget *parent = nullptr);
};

extern Tformadvantage *formadvantage;
