#pragma once
#include <QDialog>

class TFormNew : public QDialog
{
    Q_OBJECT
public:
    explicit TFormNew(QWidget *parent = nullptr);
};

extern TFormNew *FormNew;
