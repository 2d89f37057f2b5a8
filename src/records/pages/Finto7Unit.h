#pragma once
#include "records/forms/ChildList.h"

class ByteLimitedEdit;
class QComboBox;
class QLineEdit;

// The add/modify dialog of one member of the evaluation committee.
class TFinto7 : public ChildListDialog
{
    Q_OBJECT
public:
    explicit TFinto7(QWidget *parent = nullptr);

    QLineEdit *edt_190 = nullptr;          // serial (hidden)
    QComboBox *cbwy_191 = nullptr;         // 评价委员会职务
    ByteLimitedEdit *Edtwy_192 = nullptr;  // 姓名
    QComboBox *cbwy_193 = nullptr;         // 性别
    ByteLimitedEdit *edtwy_195 = nullptr;  // 工作单位
    ByteLimitedEdit *edtwy_196 = nullptr;  // 所学专业
    ByteLimitedEdit *edtwy_197 = nullptr;  // 从事专业
    QComboBox *cbwy_198 = nullptr;         // 职称

    bool IsCommitteeMemberUnchanged() const { return isUnchanged(); }

public slots:
    // A second chairman is refused: "只能有一个主任委员", back to "委员".
    void cbwy_191Change();

protected:
    void loadControls(ChildList::Mode mode) override;
    // The defaults of a new member (person).
    void presetForAdd() override;
    void beforePost(DataSet &row) override;
    bool staysOpenAfterAdd() const override { return false; }

private:
    void buildControls();
    void declareBindings();
};
