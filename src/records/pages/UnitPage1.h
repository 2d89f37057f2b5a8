#pragma once
#include "records/forms/SectionPage.h"

class ByteLimitedEdit;
class DropDownCombo;
class GbkMemo;
class QComboBox;
class DateEntry;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;

// Section page 1 "成果概况": management number, recommending unit,
// registration date, research period, secrecy, key words, classification
// codes, level, research form, the category's form, stage, transfer scope,
// attribute, field or goal, application industry, summary and bulletin.
class TFpage1 : public SectionPage
{
    Q_OBJECT
public:
    explicit TFpage1(QWidget *parent = nullptr);

    ByteLimitedEdit *Edt_120 = nullptr;
    ByteLimitedEdit *Edt_128 = nullptr;
    DateEntry *DTP_121 = nullptr;
    QLineEdit *edt_8_y_s = nullptr;
    QLineEdit *edt_8_m_s = nullptr;
    QLineEdit *edt_8_y_e = nullptr;
    QLineEdit *edt_8_m_e = nullptr;
    QComboBox *CB_1 = nullptr;
    ByteLimitedEdit *edt_14_1 = nullptr;
    ByteLimitedEdit *edt_14_2 = nullptr;
    ByteLimitedEdit *edt_14_3 = nullptr;
    ByteLimitedEdit *Edt_15 = nullptr;
    ByteLimitedEdit *edt_15_1 = nullptr;
    ByteLimitedEdit *edt_12 = nullptr;
    ByteLimitedEdit *edt_12_1 = nullptr;
    DropDownCombo *cb_15 = nullptr;
    DropDownCombo *cb_15_1 = nullptr;
    DropDownCombo *CB_12 = nullptr;
    DropDownCombo *CB_12_1 = nullptr;
    QComboBox *cb_2 = nullptr;
    QComboBox *cb_201 = nullptr;
    QComboBox *cb_16 = nullptr;
    QComboBox *cb_33 = nullptr;
    QComboBox *Cb_125_1 = nullptr;
    QComboBox *cb_210 = nullptr;
    QLabel *Lb_125_1 = nullptr;
    QGroupBox *PL_123 = nullptr;
    QLabel *Label22 = nullptr;
    QGroupBox *Pl_124_1 = nullptr;
    QGroupBox *PL_200 = nullptr;
    QGroupBox *PL_125 = nullptr;
    QTabWidget *memoTabs = nullptr;
    GbkMemo *Mo_13_1 = nullptr;
    GbkMemo *Mo_13 = nullptr;

public slots:
    // Leaving a period edit tidies its year or month.
    void periodEditExit(QLineEdit *edit);

protected:
    void afterLoad(const DataSet &record) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildFields();
    QWidget *buildOptionGroups();
    QTabWidget *buildMemos();
    void declareBindings();
    Binding registrationDate();
    QList<QLabel *> m_appliedLabels;
    QLabel *m_formLabel = nullptr;  // 成果体现形式 beside cb_210
};
