#pragma once
#include <QDialog>

class Tdw_Form : public QDialog
{
    Q_OBJECT
public:
    explicit Tdw_Form(QWidget *parent = nullptr);
};
