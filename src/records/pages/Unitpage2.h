#pragma once
#include <QDialog>

class TFpage2 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage2(QWidget *parent = nullptr);
};
