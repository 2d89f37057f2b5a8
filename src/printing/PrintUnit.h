#pragma once
#include <QDialog>

class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintForm(QWidget *parent = nullptr);
};
