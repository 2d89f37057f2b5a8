#pragma once
#include <QDialog>

class TFpage4a : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage4a(QWidget *parent = nullptr);
};

extern TFpage4a *Fpage4a;
