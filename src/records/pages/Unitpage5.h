#pragma once
#include <QDialog>

class TFpage5 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage5(QWidget *parent = nullptr);
};
