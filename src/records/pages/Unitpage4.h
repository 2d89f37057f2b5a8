#pragma once
#include <QDialog>

class TFpage4 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage4(QWidget *parent = nullptr);
};
