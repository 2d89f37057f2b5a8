#pragma once
#include "records/forms/SectionPage.h"

class ByteLimitedEdit;
class ClearableDate;
class MoneyEdit;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QToolButton;
class Table;

// Section page 3 "课题立项，评价情况": where the project came from (source,
// kind of national plan, sub-class), its approval number and name, the funds
// spent on it by source, and how it was evaluated. Serves every category;
// the evaluation forms differ between applied technology and the others.
class TFpage3 : public SectionPage
{
    Q_OBJECT
public:
    explicit TFpage3(QWidget *parent = nullptr);

    static QString badDateMessage(const QString &stored);

    // True while the approval number and name are required: the national
    // plan was ticked when the page was last filled from its record.
    bool nationalPlanMarked() const { return m_nationalPlanMarked; }

    QGroupBox *Pl_126 = nullptr;
    QCheckBox *cb_126_01 = nullptr;
    QGroupBox *Pl_140 = nullptr;
    QToolButton *SpeedButton11 = nullptr;  // 清除
    QLabel *Lb_41 = nullptr;
    QComboBox *CB_41 = nullptr;
    QLabel *Label1 = nullptr;  // 课题立项编号, maroon while required
    ByteLimitedEdit *Edt_127 = nullptr;
    ByteLimitedEdit *Edt_127_1 = nullptr;
    MoneyEdit *Edt_141 = nullptr;
    MoneyEdit *Edt_148 = nullptr;
    MoneyEdit *Edt_142_1 = nullptr;
    MoneyEdit *Edt_142_2 = nullptr;
    MoneyEdit *Edt_142_3 = nullptr;
    MoneyEdit *Edt_142 = nullptr;
    MoneyEdit *Edt_143 = nullptr;
    MoneyEdit *Edt_144 = nullptr;
    MoneyEdit *Edt_243 = nullptr;
    MoneyEdit *Edt_244 = nullptr;
    MoneyEdit *Edt_145 = nullptr;
    MoneyEdit *Edt_149 = nullptr;
    QComboBox *cb_21 = nullptr;
    QComboBox *cb_21_l = nullptr;
    ByteLimitedEdit *Edt_130 = nullptr;
    ClearableDate *date34 = nullptr;  // DTP_34, CheckBox_34, edt_34
    ByteLimitedEdit *edt_22 = nullptr;

public slots:
    void SpeedButton11Click();

protected:
    void beforeLoad() override;
    void afterLoad(const DataSet &record) override;
    void checkBeforeLeaving() override;

private:
    QWidget *buildSource();
    QWidget *buildApproval();
    QWidget *buildFunding();
    QWidget *buildEvaluation();
    void declareBindings();
    Binding subclass();
    void sourceToggled(QAbstractButton *source);
    // The sub-classes of a project source, with the blank item; the list
    // and its label are hidden when the source has none.
    void fillSubclasses(const QString &sourceCode);
    void localPartChanged();
    void totalPartChanged();

    // A total too long for its form, made by what the user changed.
    bool totalTooLong() const;

    bool m_loading = false;
    bool m_leaving = false;
    bool m_nationalPlanMarked = false;
};
