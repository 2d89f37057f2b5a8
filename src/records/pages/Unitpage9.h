#pragma once
#include <QDialog>

class TFpage9 : public QDialog
{
    Q_OBJECT
public:
    explicit TFpage9(QWidget *parent = nullptr);
};
