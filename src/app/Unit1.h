#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "records/forms/AppContext.h"

class DropDownCombo;
class QComboBox;
class QGroupBox;
class QIdentityProxyModel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QueryBuilderPanel;
class QTableView;
class QToolButton;
class DataSet;
class Database;
class Query;
class SectionButton;

class TDM;


// The main window: category and year of the list, the list of achievements
// (its current row is the current record), the section buttons with their
// done marks, the query panel and the commands. While a required section of
// the current record is not done, the list, the filters and most commands
// stay disabled.
class TMainForm : public QWidget, public ContextWindow, public RecordHost
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);

    // Binds the grid to the list query.
    void wire(AppContext &context) override;

    // The pages' host: the current record is the list's current row.
    DataSet &currentRecord() override;
    bool ensureCurrentRecord() override;
    void markSectionDone(const QString &buttonName) override;
    void pageLeft() override;
    int categoryIndex() const override;
    void unitPageLeft() override;
    void recordsChanged() override;

    // The SQL of the list shown, to come back to after other queries ran.
    QString CurrentListSql;

    // Filters and list.
    QComboBox *ComboBox1 = nullptr;  // category
    QComboBox *cbYear = nullptr;
    QTableView *DBGrid1 = nullptr;

    // Section buttons on Panel8, one per section of the record in its
    // order; each opens its section's window.
    QWidget *Panel8 = nullptr;
    QList<SectionButton *> sectionButtons() const { return m_sectionButtons; }
    // The button by its object name ("btn_page01"); null for no section.
    SectionButton *sectionButton(const QString &name) const;

    // Commands.
    QPushButton *Button1 = nullptr;  // 新增
    QPushButton *Button5 = nullptr;  // 修改主项
    QPushButton *Button4 = nullptr;  // 删除
    QPushButton *BitBtn1 = nullptr;  // 导入
    QPushButton *BitBtn2 = nullptr;  // 导出
    QPushButton *BitBtn4 = nullptr;  // 打印
    QPushButton *BitBtn3 = nullptr;  // 更新指标项
    QPushButton *Button2 = nullptr;  // 单位情况
    QPushButton *BitBtn7 = nullptr;  // 退出

    // Query panel.
    QGroupBox *QueryPanel = nullptr;
    QComboBox *ComboBox2 = nullptr;  // items
    QComboBox *ComboBox4 = nullptr;  // operators
    QComboBox *Combobox3 = nullptr;  // values from the code tables
    QLineEdit *Edit2 = nullptr;      // free value
    DropDownCombo *ComboBox5 = nullptr;  // library classification chooser
    DropDownCombo *ComboBox6 = nullptr;  // subject classification chooser
    QPlainTextEdit *MMSysV = nullptr;
    QPlainTextEdit *MMUserV = nullptr;
    QToolButton *SpeedButton24 = nullptr;  // 加入
    QToolButton *SpeedButton15 = nullptr;  // and
    QToolButton *SpeedButton17 = nullptr;  // not
    QToolButton *SpeedButton18 = nullptr;  // or
    QToolButton *SpeedButton20 = nullptr;  // (
    QToolButton *SpeedButton21 = nullptr;  // )
    QToolButton *SpeedButton23 = nullptr;  // 剪切
    QToolButton *SpeedButton16 = nullptr;  // 查询
    QToolButton *SpeedButton26 = nullptr;  // 恢复
    // What the query panel's controls do.
    QueryBuilderPanel *queryBuilder = nullptr;

    // The controls that the completeness lock switches.
    QList<QWidget *> lockSet() const;
    // The controls that stay disabled while the unit table is empty; the
    // unit page enables them once the unit's profile is complete.
    QList<QWidget *> unitDependentControls() const;
    void setUnitDependentEnabled(bool enabled);

    // Start-up after the splash and the first-run unit page: the query
    // items, the year list, the first-run state, the list and its lock.
    void prepareFilters();

    // What every change of the current record runs: the marks of its
    // sections, then the lock.
    void evaluateCurrentRecord();
    // The list of the chosen category and year read again, numbered, with
    // the marks and the lock of its first row.
    void reloadList();
    // The filters as another window chooses them: the list, the marks and
    // the lock follow at once; nothing changes when the choice is the
    // current one (a year the year list does not offer is no choice).
    void chooseCategory(int categoryIndex);
    void chooseYear(const QString &year);
    // The year list read again from the records, keeping the chosen year
    // while records of it remain; false when the choice had to change.
    bool refreshYearList();

    // The list and the lock.
    void LoadAchievementList();
    void FillYearCombo(QComboBox *combo, DataSet &dataSet);
    void MarkIncompletePages();
    bool CheckPagesDone();
    void RenumberList();
    // After a new record: the list follows its category and year.
    void FollowNewRecordFilter(int categoryIndex, const QString &yearText);
    // The question to ask before closing, empty when every required
    // section of the current record is done.
    QString closeQuestion() const;

public slots:
    void FormShow();
    void ComboBox1Change();
    void DBGrid1CellClick();
    void Button4Click();  // 删除
    void Button6Click();  // 新增
    void Button3Click();  // 修改主项
    void Button2Click();  // 单位情况
    void BitBtn4Click();  // 打印
    void BitBtn1Click();  // 导入
    void BitBtn2Click();  // 导出
    void BitBtn3Click();  // 更新指标项
    void BitBtn7Click();  // 退出

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TDM &dm() const;
    QString currentField(const QString &field) const;
    void buildFilters(QWidget *panel);
    void buildGrid();
    void buildSectionPanel();
    void openSection(const QString &windowClass);
    void showSectionsOfCategory(int categoryIndex);
    void buildCommands(QWidget *panel);
    void buildQueryPanel();
    QToolButton *speedButton(const QString &name, const QString &caption);
    void applyColumnWidths();
    void showCurrentRow();
    void setLockSetEnabled(bool enabled);
    QList<QWidget *> readingControls() const;
    bool recordTakesWrites() const;
    bool unitReady() const;
    void currentRowMoved(int row);
    void warnWhenLocked();
    void prepareQueryItems();
    void fillYearList();
    void showUnitPageOnFirstRun();
    void deleteCurrentRecord();
    void showListAfterDelete(int position);
    void showRecordAfterDelete(int position);
    void showListAfterFailedDelete(int position);

    QIdentityProxyModel *m_listModel = nullptr;
    QList<SectionButton *> m_sectionButtons;
    bool m_shown = false;
    bool m_followingCurrent = false;
    bool m_lockWarningDue = false;
};

