#pragma once
#include <QDialog>

class TFormin : public QDialog
{
    Q_OBJECT
public:
    explicit TFormin(QWidget *parent = nullptr);
};
