#pragma once
#include <QDialog>

class TFpage8 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage8(QWidget *parent = nullptr);
};
