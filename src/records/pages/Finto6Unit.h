#pragma once
#include "records/forms/ChildList.h"

class ByteLimitedEdit;
class QComboBox;

// The add/modify dialog of one patent.
class TFinto6 : public ChildListDialog
{
    Q_OBJECT
public:
    explicit TFinto6(QWidget *parent = nullptr);

    ByteLimitedEdit *edtzl_no = nullptr;    // 专利号, the field's 15 bytes
    ByteLimitedEdit *edtzl_name = nullptr;  // 专利名称
    QComboBox *cb_st = nullptr;             // 专利状况
    QComboBox *cb_ty = nullptr;             // 专利类型

protected:
    void loadControls(ChildList::Mode mode) override;
    void beforePost(DataSet &row) override;

private:
    void buildControls();
    void declareBindings();
};
