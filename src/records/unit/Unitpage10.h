#pragma once
#include "records/forms/BoundForm.h"
#include "records/forms/PageWindow.h"
#include "records/unit/UnitCodeList.h"

class ByteLimitedEdit;
class GbkMemo;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The second-level units "二级单位情况" of the registering unit: rows of the
// unit table whose parent is the registering unit and whose level is "2".
// The edits show the unit chosen in the list; "增加" gives a new unit its
// code, "存储" writes the edits into the chosen unit.
class TFpage10 : public PageWindow, public BoundForm
{
    Q_OBJECT
public:
    explicit TFpage10(QWidget *parent = nullptr);

    void wire(AppContext &context) override;
    // The unit chosen in the list.
    DataSet &boundRow() const override;

    // The unit page's way in: the parent's name and code, its units listed,
    // the window shown.
    void openFor(const QString &parentName, const QString &parentCode);
    // Lists the second-level units of the parent (its code bound, never
    // joined into the statement).
    void showUnitsOf(const QString &parentCode);
    void leave() override { quit01Click(); }

    QLabel *Panel4 = nullptr;  // the parent's name
    QLabel *Panel5 = nullptr;  // the parent's code, used when adding
    QTableView *DBGrid1 = nullptr;
    QLineEdit *edt_unit = nullptr;  // the chosen unit's code, shown only
    ByteLimitedEdit *Edt_9 = nullptr;
    ByteLimitedEdit *Edt_37 = nullptr;
    ByteLimitedEdit *Edt_38 = nullptr;
    ByteLimitedEdit *Edt_39 = nullptr;
    ByteLimitedEdit *Edt_40 = nullptr;
    ByteLimitedEdit *Edt_41 = nullptr;
    ByteLimitedEdit *Edt_41_2 = nullptr;
    ByteLimitedEdit *Edt_61 = nullptr;
    GbkMemo *Memoad = nullptr;    // advantage
    GbkMemo *Memointr = nullptr;  // unitintrod
    UnitCodeList advantageFields;    // Panel6, item_124_1
    UnitCodeList advantageSubjects;  // Panel7, item_15

    QPushButton *btnSave01 = nullptr;  // "存储"
    QPushButton *quit01 = nullptr;     // "退出"
    QPushButton *Button2 = nullptr;    // "增加"
    QPushButton *Button3 = nullptr;    // "删除"
    QPushButton *BitBtndtr = nullptr;  // "学科带头人情况"
    QPushButton *Button1 = nullptr;    // "按照本单位情况填入", built hidden

public slots:
    // False when no unit was added (the reason has been shown).
    bool Button2Click();
    bool btnSave01Click();
    void Button3Click();
    void quit01Click();
    void BitBtndtrClick();
    // Fills the edits from the own-unit profile; false when there is none.
    bool Button1Click();

protected:
    bool saveForLeave() override { return btnSave01Click(); }

private:
    QWidget *buildParents();
    QWidget *buildEdits();
    QWidget *buildLists();
    QWidget *buildCommands();
    void declareBindings();
    void addUnit();
    void save();
    void deleteUnit();
    void fillFromProfile();
    void showCurrentUnit();
    void chooseGridRow(int row);
    bool keepTypedInput();
};
