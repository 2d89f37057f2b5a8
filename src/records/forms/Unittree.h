#pragma once
#include "records/forms/AppContext.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class DataSet;
class DropDownCombo;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class Table;

// The text of the root node; confirming it yields an empty text.
QString ClassTreeRootText();

// Fills the tree from a classification dataset whose rows are level, code and
// name in pre-order: one root "详细分类", below it every row of level L >= 1 as
// "code  name" under the last node of level L - 1 (or, when the table skips a
// level, under the last node of the nearest level above). Rows of level 0 or
// less are left out. The dataset is closed afterwards, also when a level is
// not a whole number: that throws DbError and the tree keeps the nodes so far.
void FillClassTree(DataSet &dataSet, QTreeWidget *tree);

// The classification chooser "分类选择". A page names exactly one target,
// an edit and the classification table that belongs to it; confirming writes
// the chosen node's text into that edit, cancelling leaves it alone.
class TFormTree : public QDialog, public ContextWindow
{
    Q_OBJECT
public:
    explicit TFormTree(QWidget *parent = nullptr);

    // Takes the data module's Table1.
    void wire(AppContext &context) override;

    // The data module's Table1, whose table name the chooser switches.
    void setTable(Table *table);
    Table *table() const;

    // Names the one target; the previous target is forgotten.
    void setTarget(QLineEdit *edit, const QString &tableFile);
    QLineEdit *target() const;
    QString targetTable() const;

    // setTarget, then shows the chooser modally, unless the table could not
    // be opened (the error is shown). True when the user confirmed.
    bool pick(QLineEdit *edit, const QString &tableFile);
    // Opening the combo picks into the edit.
    void attach(DropDownCombo *combo, QLineEdit *edit, const QString &tableFile);

    QTreeWidget *TreeView1;
    QPushButton *Button1;  // "确认"
    QPushButton *Button2;  // "取消"

public slots:
    // Re-reads the target's table into the tree. A row that stops the
    // reading is reported and the nodes read before it stay; a table that
    // cannot be opened throws DbError with the tree left empty.
    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void done(int result) override;

private:
    QPointer<Table> m_table;
    QPointer<QLineEdit> m_target;
    QString m_targetTable;
};
