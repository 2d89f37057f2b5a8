#pragma once
#include "exchange/ImportStore.h"

#include "records/forms/AppContext.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QFrame;
class QHBoxLayout;
class QModelIndex;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTemporaryDir;
class ByteLimitedEdit;
class Table;
class TDM;

// The import window: a package "CGSBQY.ARJ" is unpacked by the archiver,
// its text files loaded into the staging tables and shown; the user removes
// duplicates, deletes or renames staged records, moves one to another year,
// and stores them in the main tables. It also repacks a package of the
// older naming "CGSBxxx.ARJ" as "cgsbqy.arj".
class TFormin : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFormin(QWidget *parent = nullptr);
    ~TFormin() override;

    QPushButton *Button1 = nullptr;   // 请选择导入文件
    QLineEdit *Edit1 = nullptr;       // the package chosen
    QPushButton *Button2 = nullptr;   // 改名
    QPushButton *Button3 = nullptr;   // 导入
    QPushButton *Button4 = nullptr;   // 排重
    QPushButton *Button6 = nullptr;   // 保存
    QPushButton *Button7 = nullptr;   // 删除
    QPushButton *Button8 = nullptr;   // 同名覆盖
    QPushButton *btnformat = nullptr; // 修改成果年份
    QPushButton *Button5 = nullptr;   // 退出
    QTableView *DBGrid1 = nullptr;
    QLabel *Label6 = nullptr;         // total
    QLabel *Label2 = nullptr;         // by category
    QFrame *Panel1 = nullptr;         // rename
    ByteLimitedEdit *Edit2 = nullptr;
    QPushButton *Button9 = nullptr;   // 确定
    QFrame *Panel4 = nullptr;         // loading
    QLabel *Label5 = nullptr;
    QFrame *Panelstat = nullptr;      // storing
    QProgressBar *Gauge1 = nullptr;

    // Chooses a file with the open dialog of the given title; tests answer
    // it without a dialog.
    using FileChooser = std::function<QString(QWidget *parent, const QString &title)>;
    void setFileChooser(FileChooser chooser);

    // The rows of the staged list and the count labels, read again.
    void showCounts();

public slots:
    void FormShow();
    void Button1Click();   // choose and unpack the package
    void Button2Click();   // repack an older package
    void Button3Click();   // load
    void Button4Click();   // duplicates
    void Button9Click();   // rename
    void Button7Click();   // delete
    void Button6Click();   // store
    void Button8Click();   // store over records of the same title
    void btnformatClick();
    void Button5Click();   // exit
    // Esc and the title bar's close box leave as "退出" does, and only
    // when it may be pressed.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    TDM &dm() const;
    void buildControls();
    QHBoxLayout *buildPackageNotes();
    QFrame *buildRenamePanel();
    QFrame *buildLoadingPanel();
    QFrame *buildStoringPanel();
    Table &staged() const;
    void setOnlyChoiceAndExit();
    void setStoringButtons();
    void choosePackage();
    // The commands that must wait while a package loads, off or back on.
    void setLoadingButtons(bool loading);
    void leave();
    void unpackPackage(const QString &path);
    void loadPackage();
    void checkDuplicates();
    void deleteStagedRecord();
    void repackOldPackage();
    void store(ImportStore::Mode mode);
    void afterStoring(const ImportStore::Result &result);
    void setDuplicateControlsEnabled(bool enabled);
    void followGridRow(const QModelIndex &current);
    QString chooseFile(const QString &title);

    FileChooser m_chooser;
    std::unique_ptr<QTemporaryDir> m_unpacked;
};
