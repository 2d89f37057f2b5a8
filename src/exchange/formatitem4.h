#pragma once
#include <QDialog>

class Tformformat : public QDialog
{
    Q_OBJECT
public:
    explicit Tformformat(QWidget *parent = nullptr);
};
