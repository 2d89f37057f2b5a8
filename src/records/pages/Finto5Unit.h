#pragma once
#include "records/forms/ChildList.h"

class ByteLimitedEdit;
class QLineEdit;

// The add/modify dialog of one cooperating unit of page 5. A new unit goes
// last; in the modify mode a changed number moves the unit.
class TFinto5 : public ChildListDialog
{
    Q_OBJECT
public:
    explicit TFinto5(QWidget *parent = nullptr);

    ByteLimitedEdit *edtdw_170 = nullptr;  // unit name
    ByteLimitedEdit *edtdw_171 = nullptr;  // postal address
    QLineEdit *edtdw_172 = nullptr;        // postal code, six digits at most
    ByteLimitedEdit *edtdw_173 = nullptr;  // contact person
    QLineEdit *edt_176 = nullptr;          // serial number

protected:
    void loadControls(ChildList::Mode mode) override;
    void presetForAdd() override;
    bool staysOpenAfterAdd() const override { return false; }
    void beforePost(DataSet &row) override;

private:
    void buildControls();
    void declareBindings();
};
