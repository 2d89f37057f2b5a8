#pragma once
#include <QDialog>

class TFinto8 : public QDialog
{
    Q_OBJECT
public:
    explicit TFinto8(QWidget *parent = nullptr);
};
