#pragma once
#include <QDialog>

class TFpage7 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage7(QWidget *parent = nullptr);
};
