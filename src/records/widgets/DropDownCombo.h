#pragma once
#include <QComboBox>

// An arrow-only combo box whose own list stays empty: opening it asks for a
// chooser window instead (the classification chooser of the pages).
class DropDownCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownCombo(QWidget *parent = nullptr);
    void showPopup() override;

signals:
    void dropDown();
};
