#pragma once
#include "records/data/Numbering.h"

#include "records/forms/AppContext.h"

#include <QAbstractSpinBox>
#include <QDialog>

class ByteLimitedEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDM;
class TMainForm;

// The year of a record: an edit of four characters with an up-down control
// (1900 to 2050, step 1). It takes any text, so that a wrong character is
// reported instead of being swallowed.
class YearSpinBox : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit YearSpinBox(QWidget *parent = nullptr);
    QLineEdit *edit() const { return lineEdit(); }
    void setText(const QString &text);
    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;

protected:
    StepEnabled stepEnabled() const override;
};

// The only place where a record is created from the keyboard and where its
// main items (category, year and with it the number, name, management
// number, first unit) change. The caption is the mode: "请填写新项目！" makes
// a new record, "修改主要项目！" modifies the current one.
class TFormNew : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFormNew(QWidget *parent = nullptr);

    static QString newCaption();
    static QString modifyCaption();

    // The openers of the main window's "新增" and "修改主项".
    void openForNewRecord();
    void openForModify();

    QComboBox *ComboBox1 = nullptr;  // category
    YearSpinBox *cbYear = nullptr;
    ByteLimitedEdit *edt_120 = nullptr;
    ByteLimitedEdit *edt_3 = nullptr;
    ByteLimitedEdit *edt_9 = nullptr;
    QPushButton *Button1 = nullptr;  // 存储
    QPushButton *Button2 = nullptr;  // 退出

    // True while the dialog holds nothing unsaved; it closes only then.
    bool NewFormSaved = true;
    // Number and name of the record whose main items are being modified.
    QString OldItem3;
    QString OldItem4;

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void ComboBox1Change();
    void cbYearChange();
    void cbYearExit();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TDM &dm() const;
    TMainForm *mainForm() const;
    QString &currentListSql();
    void buildControls();
    // True when the record was stored and the dialog closed.
    bool store();
    bool storeChecked();
    bool storeNew(const Numbering::MainItems &items);
    bool storeModified(const Numbering::MainItems &items);
    Numbering::MainItems mainItems() const;
    bool nameIsTaken(const QString &name, const Numbering::RecordKey &own);
    void showStoredRecord(const Numbering::RecordKey &key, const QString &year);
    void lockMainWindowOnNewRecord();
    void markChanged();

    Numbering::RecordKey m_old;  // the record being modified
    QString m_listSql;           // the list's SQL when there is no main window
};
