#pragma once
#include <QDialog>

class TFormWcr : public QDialog
{
    Q_OBJECT
public:
    explicit TFormWcr(QWidget *parent = nullptr);
};
