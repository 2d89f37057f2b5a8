#pragma once
#include <QDialog>

class TFpage12 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage12(QWidget *parent = nullptr);
};
