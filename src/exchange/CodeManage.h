#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class Table;
class TDM;

// The code-table window "代码管理": each of four option tables (project
// source sub-classes, library classification, subject classification,
// ministries) is refreshed from its distributed archive or from a ready
// table file. On any failure the table stays as it was.
class TFcodeManage : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFcodeManage(QWidget *parent = nullptr);

    QGroupBox *GroupBox1 = nullptr;  // 栏目选项维护
    QLineEdit *Edit1 = nullptr;  // 课题来源子类
    QLineEdit *Edit3 = nullptr;  // 中图分类
    QLineEdit *Edit4 = nullptr;  // 学科分类
    QLineEdit *Edit5 = nullptr;  // 隶属部委
    QPushButton *Button3 = nullptr;  // 退出

    // Asks for the file to open; empty when cancelled. Tests set their own.
    using FileChooser = std::function<QString(QWidget *parent, const QString &title)>;
    void setFileChooser(FileChooser chooser);
    // The archiver program; the one installed when empty.
    void setArchiverProgram(const QString &program);

    // One table of the window and how it is refreshed.
    struct Group;

public slots:
    void Button3Click();

private:
    TDM &dm() const;
    QGroupBox *buildGroup(const Group &group);
    QString chooseFile();
    void refreshFromArchive(const Group &group);
    void refreshFromTableFile(const Group &group);
    // The text file unpacked; empty when the user cancelled.
    QString unpackText(const Group &group, const QString &archive, const QString &workFolder);
    // Closes the table's datasets around the replacement, opens them after.
    void replaceTable(const Group &group, const std::function<void()> &replace);
    QLineEdit *editOf(const Group &group) const;

    FileChooser m_chooser;
    QString m_archiverProgram;
};
