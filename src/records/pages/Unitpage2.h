#pragma once
#include "records/forms/SectionPage.h"

class ByteLimitedEdit;
class MoneyEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class Table;

// Section page 2 "知识产权，成果应用情况" (applied technology only): the
// forms of intellectual property with the patent counts taken from the
// patents list, the application status with the reason for not applying,
// the forms of extension and the economic effect.
class TFpage2 : public SectionPage
{
    Q_OBJECT
public:
    explicit TFpage2(QWidget *parent = nullptr);

    // The patents table filtered to the current record, open.
    Table &patentsOfRecord() const;

    // Shows the detail controls of the ticked forms and derives the patent
    // counts, status and types from the record's patents. reloadSoftware:
    // the registered-software edits take the record's texts again (a click
    // on a form box does so; returning from the patents list keeps what was
    // typed).
    void RefreshItem51Controls(bool reloadSoftware = true);

    QGroupBox *pl51 = nullptr;
    QCheckBox *cb_51_1 = nullptr;  // 专利
    QCheckBox *cb_51_3 = nullptr;  // 软件著作权
    QCheckBox *cb_51_9 = nullptr;  // 其他
    QLineEdit *edt_51_1 = nullptr;  // patent status, hidden
    QLineEdit *patent_ty = nullptr;  // patent types, hidden
    MoneyEdit *edt_51_2 = nullptr;
    MoneyEdit *edt_51_3 = nullptr;
    QToolButton *Button1 = nullptr;  // 进入填写专利
    ByteLimitedEdit *Edt_52 = nullptr;
    ByteLimitedEdit *Edt_53 = nullptr;
    QComboBox *CB_32 = nullptr;
    QGroupBox *pl_32_1 = nullptr;
    QGroupBox *Pl_160 = nullptr;
    QGroupBox *pl_161 = nullptr;
    MoneyEdit *Edt_45 = nullptr;
    MoneyEdit *Edt_150 = nullptr;
    MoneyEdit *Edt_162 = nullptr;
    MoneyEdit *Edt_151_1 = nullptr;
    MoneyEdit *Edt_152_1 = nullptr;
    MoneyEdit *Edt_153 = nullptr;
    MoneyEdit *Edt_154 = nullptr;
    QComboBox *cb_46 = nullptr;
    QComboBox *cb_47 = nullptr;

public slots:
    void Button1Click();
    void cb_32Change();

protected:
    bool loadForShowing() override;
    void afterLoad(const DataSet &record) override;
    void afterPost() override;

private:
    QWidget *buildProperty();
    QWidget *buildApplication();
    QWidget *buildEconomy();
    void declareBindings();
    Binding patentCount(const QString &field, MoneyEdit *edit);
    Binding patentDerived(const QString &field, QLineEdit *edit);
    void applyStatusRules(bool alsoTransferIncome);
    void deletePatentsOfRecord();

    QList<QWidget *> m_patentControls;
    QList<QWidget *> m_softwareControls;
};
