#pragma once
#include "records/pages/PersonList.h"

// Page 8: the completing persons of the current achievement (cgwcr.DBF
// through the list query), in serial order. Leaving it evaluates the
// completeness lock again.
class TFpage8 : public PersonListWindow
{
    Q_OBJECT
public:
    explicit TFpage8(QWidget *parent = nullptr);

    void wire(AppContext &context) override;
    void whenLeft() override;

protected:
    // Leaving the serial cell tells of each other person holding that
    // serial; nothing is changed or refused.
    void columnLeft(int row, int column) override;
};
