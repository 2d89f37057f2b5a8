#pragma once
#include <QDialog>

class TFormDuoyu : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDuoyu(QWidget *parent = nullptr);
};
