#pragma once
#include "records/forms/BoundForm.h"
#include "records/forms/PageWindow.h"
#include "records/unit/UnitCodeList.h"

#include <QList>
#include <QPair>
#include <QString>

class ByteLimitedEdit;
class GbkMemo;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class Table;
class TDM;
class UnitMemoEditor;

// The unit information page "单位情况": the profile of the registering unit,
// one row of unit.dbf. The main window loads it (LoadUnitPage) and shows it;
// the page saves itself. Its memos are edited in three editors that store
// their text at once; its four code lists take up to ten classification
// codes each, picked in the classification chooser.
class TFpage4a : public PageWindow, public BoundForm
{
    Q_OBJECT
public:
    explicit TFpage4a(QWidget *parent = nullptr);

    // One list of ten code edits on its panel, and where it is stored.
    using CodeList = UnitCodeList;

    // Byte limits from the unit table's fields.
    void wire(AppContext &context) override;
    // The unit table's current row (its first).
    DataSet &boundRow() const override;

    // Fills every control from the current row of the unit table.
    void LoadUnitPage();
    // LoadUnitPage, then the page modally: the main window's way in.
    void showLoaded();
    void leave() override { quit01Click(); }

    // The nine required texts in order: the first empty one is warned about
    // and the caller ends (Abort).
    void CheckUnitPageInput();
    // True when no field that the page edits differs from the row.
    bool IsUnitPageUnchanged() const;
    // Writes the page into the unit row (a first row when there is none)
    // and marks the unit section done. Throws DbError; the row is then left
    // as it was.
    void SaveUnitPage();
    // The four code lists, in the order they are loaded.
    const QList<CodeList> &codeLists() const { return m_codeLists; }

    ByteLimitedEdit *edt_9 = nullptr;
    ByteLimitedEdit *edt_420 = nullptr;
    ByteLimitedEdit *Edt_37 = nullptr;
    ByteLimitedEdit *Edt_38 = nullptr;
    ByteLimitedEdit *Edt_39 = nullptr;
    ByteLimitedEdit *Edt_40 = nullptr;
    ByteLimitedEdit *Edt_60 = nullptr;
    ByteLimitedEdit *Edt_41 = nullptr;
    ByteLimitedEdit *Edt_41_2 = nullptr;
    ByteLimitedEdit *Edt_61 = nullptr;
    QComboBox *cb_62 = nullptr;    // unit attribute
    QComboBox *CB_41_3 = nullptr;  // enterprise ownership
    QCheckBox *cb_163 = nullptr;   // converted research institute
    QComboBox *cb_64 = nullptr;    // province
    GbkMemo *Memo1 = nullptr;      // studydirec
    GbkMemo *Memo2 = nullptr;      // advantage
    GbkMemo *Memo3 = nullptr;      // unitintrod

    QPushButton *btnSave01 = nullptr;  // "存储"
    QPushButton *quit01 = nullptr;     // "退出"
    QPushButton *BitBtndtr = nullptr;  // "学科带头人情况"
    // Built hidden, never shown.
    QPushButton *Button1 = nullptr;  // "按照本单位情况填入"
    QPushButton *Button2 = nullptr;  // the silent save
    QPushButton *Button3 = nullptr;  // the load
    QPushButton *Button4 = nullptr;  // "删除"
    QPushButton *Button5 = nullptr;  // "所属二级单位情况"

public slots:
    void btnSave01Click();
    // The save without a message; true when it went through.
    bool Button2Click();
    void Button4Click();
    // The second-level units of the registering unit.
    void Button5Click();
    void quit01Click();
    void cb_62Change();
    void BitBtndtrClick();
    void Memo1Click();
    void Memo2Click();
    void Memo3Click();

protected:
    void afterLoad(const DataSet &unit) override;
    bool appendsRow(const DataSet &unit) const override;
    bool saveForLeave() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TDM &dm() const;
    QWidget *buildIdentity();
    QWidget *buildDirections();
    QGroupBox *buildCodeList(const QString &title, const QString &field, const QString &prefix,
                             const QString &tableFile);
    QWidget *buildCommands();
    void declareBindings();
    static Binding unitMemo(const QString &field, GbkMemo *memo);
    bool saveAndReport(bool explicitSave);
    void leavePage();
    void openMemoEditor(UnitMemoEditor *editor, GbkMemo *memo);
    void openLeaders();

    QList<CodeList> m_codeLists;
};
