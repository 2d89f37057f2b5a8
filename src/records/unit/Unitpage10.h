#pragma once
#include <QDialog>

class TFpage10 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage10(QWidget *parent = nullptr);
};
