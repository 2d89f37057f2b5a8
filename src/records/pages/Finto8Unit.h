#pragma once
#include "records/forms/ChildList.h"

class ByteLimitedEdit;
class QComboBox;
class DateEntry;
class QLineEdit;

// A technical title in a pick list of "code  text" items, stored and found
// again through TitleCode (the committee's title list uses it too).
Binding TitleBinding(const QString &field, QComboBox *combo, PageBindings::FillList fill);
// Placed first: against an empty list every entry counts as a change, so
// that leaving asks before typed entries are dropped.
Binding AnyRowToCompare();

// The add/modify dialog of one completing person, used by both person lists.
class TFinto8 : public ChildListDialog
{
    Q_OBJECT
public:
    explicit TFinto8(QWidget *parent = nullptr);

    QLineEdit *edtry_187 = nullptr;        // 序号
    ByteLimitedEdit *edtry_180 = nullptr;  // 姓名
    QComboBox *cbry_181 = nullptr;         // 性别
    DateEntry *dtpry_182 = nullptr;        // 出生年月
    QComboBox *cbry_183 = nullptr;         // 技术职称
    QComboBox *cbry_184 = nullptr;         // 文化程度
    QComboBox *cbry_188 = nullptr;         // 是否留学归国
    ByteLimitedEdit *edtry_185 = nullptr;  // 工作单位
    ByteLimitedEdit *edtry_186 = nullptr;  // 对成果创造性贡献

    // True when the entries equal the list's current row (the serial aside).
    bool IsPersonInputUnchanged() const { return isUnchanged(); }

protected:
    void loadControls(ChildList::Mode mode) override;
    void presetForAdd() override;
    void beforePost(DataSet &row) override;
    bool staysOpenAfterAdd() const override { return false; }
    QString leaveQuestion() const override;
    QWidget *firstField() const override;

private:
    void buildControls();
    void declareBindings();
    Binding birthBinding();
    void fillLists();
};
