#pragma once
#include <QDialog>

class TFormout : public QDialog
{
    Q_OBJECT
public:
    explicit TFormout(QWidget *parent = nullptr);
};
