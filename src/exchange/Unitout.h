#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>
#include <QList>
#include <QString>

class ExchangeFolders;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTreeView;
class TDM;

// The export window "数据导出": the user selects achievements (all, one
// year's, or by hand), chooses a folder, and "导出" writes the exchange
// files of the selected records with their child rows and the unit's
// profile and packs them into "cgsbqy.arj" in that folder.
//
// The files are written and packed in a folder of our own; the archive
// reaches the user's folder only when the archiver ended cleanly, and
// replaces an existing one only then. Nothing else of the user's folder is
// touched.
class TFormout : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFormout(QWidget *parent = nullptr);
    void wire(AppContext &context) override;

    QTableView *DBGrid1 = nullptr;
    QLabel *Label1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;  // 导出范围
    QRadioButton *RadioButton5 = nullptr;  // 全部
    QRadioButton *RadioButton7 = nullptr;  // 年份
    QComboBox *ComboBox2 = nullptr;  // years
    QComboBox *DriveComboBox1 = nullptr;
    QTreeView *DirectoryListBox1 = nullptr;
    QLineEdit *Edit1 = nullptr;  // the target folder
    QPushButton *Button2 = nullptr;  // 导出
    QPushButton *Button1 = nullptr;  // 退出

    // Positions of the selected rows in the export list, ascending.
    QList<int> selectedRows() const;
    // The archiver program; the one installed when empty.
    void setArchiverProgram(const QString &program);
    ExchangeFolders *folders() const { return m_folders; }

public slots:
    void FormShow();
    void RadioButton5Click();  // 全部
    void RadioButton7Click();  // 年份
    void ComboBox2Change();
    void Button2Click();  // 导出
    void Button1Click();  // 退出

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    TDM &dm() const;
    void buildGrid();
    QWidget *buildRange();
    QWidget *buildFolders();
    void fillYears();
    void uncheckRange();
    void showAllRecords();
    void selectAllShown();
    void showSelectionCount();
    void showFilteredList(const QString &filter);
    bool confirmReplacing(const QString &folder);
    bool confirmSelectingAll();
    void exportSelection();
    bool packInto(const QString &workFolder, const QString &folder);
    QString finishExport(const QList<int> &rows);
    void refreshMainWindow();

    ExchangeFolders *m_folders = nullptr;
    QString m_archiverProgram;
};
