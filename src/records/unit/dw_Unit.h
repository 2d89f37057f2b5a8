#pragma once
#include "records/forms/AppContext.h"
#include "records/forms/BoundForm.h"
#include "records/unit/OwnUnitProfile.h"

#include <QDialog>

class FirstUnitFields;
class QPushButton;

// The own-unit profile "单位情况" (dwqk.dbf): the fifteen first-unit values
// page 4 can be filled from. Opened from page 4; each showing reloads it.
class Tdw_Form : public QDialog, public ContextWindow, public BoundForm
{
    Q_OBJECT
public:
    explicit Tdw_Form(QWidget *parent = nullptr);

    void wire(AppContext &context) override;
    // The profile's row (the first of the table).
    DataSet &boundRow() const override;

    FirstUnitFields *fields = nullptr;
    QPushButton *Button1 = nullptr;  // "存储"
    QPushButton *Button2 = nullptr;  // "退出"

    // The check, the profile written, "存储成功！", stored() (page 4 fills
    // itself from it), closed. False when nothing was stored; the reason has
    // been shown.
    bool save();

signals:
    void stored();

public slots:
    bool Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void afterLoad(const DataSet &row) override;
    bool saveForLeave() override { return Button1Click(); }

private:
    void load();
    OwnUnitProfile::ColumnValues values() const;
};
