#pragma once
#include <QDialog>

class TFpage11 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage11(QWidget *parent = nullptr);
};

extern TFpage11 *Fpage11;
