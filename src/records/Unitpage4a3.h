#pragma once
#include <QDialog>

class Tformunitintrod : public QDialog
{
    Q_OBJECT
public:
    explicit Tformunitintrod(QWidget *parent = nullptr);
};

extern Tformunitintrod *formunitintrod;
