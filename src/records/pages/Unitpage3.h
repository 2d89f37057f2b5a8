#pragma once
#include <QDialog>

class TFpage3 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage3(QWidget *parent = nullptr);
};
