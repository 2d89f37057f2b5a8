#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class Table;

// Moves the current staged achievement of the import to another year: the
// record and its staged child rows get the next number of that year among
// the staged records.
class Tformformat : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit Tformformat(QWidget *parent = nullptr);

    QLineEdit *edt_4 = nullptr;
    QPushButton *btnsave = nullptr;
    QPushButton *btnexit = nullptr;

    // The staged list whose current row is moved.
    void setStaged(Table *staged);

public slots:
    void FormShow();
    void btnsaveClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void changeYear();

    Table *m_staged = nullptr;
};
