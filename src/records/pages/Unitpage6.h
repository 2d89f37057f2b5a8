#pragma once
#include <QDialog>

class TFpage6 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage6(QWidget *parent = nullptr);
};
