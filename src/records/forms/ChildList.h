#pragma once
#include "engine/DataSet.h"
#include "engine/DataSetModel.h"
#include "records/forms/BoundForm.h"
#include "records/forms/PageWindow.h"

#include <QPointer>
#include <QString>
#include <functional>

class QBoxLayout;
class QLayout;
class QMargins;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class ChildListDialog;

// The lists of child rows (leaders, patents, cooperating units, persons,
// committee) share one pattern: a list window over the rows, one add/modify
// dialog whose window caption alone says whether it appends a row or edits
// the current one, and a serial that is rewritten 1..N in list order after
// every change.
namespace ChildList {

enum class Mode { Other, Add, Modify };

// "新增－－【" + list name + "】" and "修改－－【" + list name + "】".
QString addCaption(const QString &listName);
QString modifyCaption(const QString &listName);
// Add or Modify for the two captions of the list; Other for any other text.
Mode modeOf(const QString &caption, const QString &listName);

// Writes 1, 2, ... N (as text) into the serial field of each row that holds
// another value, from the first row in the dataset's order. afterPost runs
// after each row is posted (a query with cached updates applies them there).
void renumberSerials(DataSet &rows, const QString &serialField,
                     const std::function<void()> &afterPost = {});

// The row at `from` (0-based, in list order) given the number `to` takes
// the place that number names (the first for a number below 1, the last for
// one beyond the list); the others keep their order around it. Returns the
// rows' present positions in their new order.
QList<int> orderAfterMove(int count, int from, int to);

// The question before a row is deleted.
QString deleteQuestion();

// A box with the application title, no icon and one OK button: the plain
// notices of the dialogs ("非法年份", "输入序号必须为数字！").
void ShowPlainMessage(QWidget *parent, const QString &text);

// The serial typed in a dialog: a number that is not whole is refused with
// its plain notice. An empty one is refused with `emptyMessage`, or, when
// that is empty, stops the store without a word. Never a change of its own.
Binding serialBinding(QWidget *dialog, const QString &field, QLineEdit *edit, const QString &emptyMessage = {});

// The rows of one owner (a record: item_4 and item_dqdm; a unit: unitcode)
// in a list's table: the key fields, and the serial order the list is read
// in ("item_194, item_190" for the committee).
struct Key
{
    QString table;        // "jdwyhmd.DBF"
    QStringList fields;   // {"item_4", "item_dqdm"}
    QString orderBy;      // empty: the table's own order
};
// The select of a query for the key: one bound parameter per field.
QString keySelect(const Key &key);

} // namespace ChildList

// Where a list window's buttons and grid go, by the names its form gives them.
struct ChildListLayout
{
    QString listName;          // in the dialog's caption: "学科带头人名单"
    QString title;             // the title panel: "学科带头人情况"
    QString gridName;          // "DBGrid4"
    QString modifyButtonName;  // "Button3" or "btnSave01"
    QStringList maroonTitles;  // the required columns' titles: "姓名"
};

// The list window: a read-only grid over the rows, "新增", "修改", "删除" and
// "退出" (a list adds its own further commands with addCommand). The rows and
// the grid's model are given by the list; the dialog by setDialog.
class ChildListWindow : public PageWindow
{
    Q_OBJECT
public:
    explicit ChildListWindow(const ChildListLayout &layout, QWidget *parent = nullptr);

    QString listName() const { return m_layout.listName; }

    void setRows(DataSet *rows, DataSetModel *model, const QString &serialField);
    // Where the dialog appends new rows: the rows themselves unless a list
    // shows a query but appends to its table (the committee).
    void setAppendTarget(DataSet *target);
    DataSet *appendTarget() const;
    // The key of the owner whose rows the list shows, and its serial order.
    void setKey(const ChildList::Key &key);
    const ChildList::Key &key() const { return m_key; }
    // Shows the rows whose key fields equal the values (in the key's field
    // order), read in the serial order; the values are bound, never joined
    // into SQL.
    void showRowsOf(const QStringList &values);
    // The section pages' lists: with an empty main list the new-record
    // dialog comes first; then the rows of the current record, the record's
    // name in the caption, shown modally.
    void openForCurrentRecord();
    // Widths of the first columns, kept whenever the grid is filled again.
    void setColumnWidths(const QList<int> &widths);
    DataSet *rows() const { return m_rows; }
    QString serialField() const { return m_serialField; }
    void setDialog(ChildListDialog *dialog);
    ChildListDialog *dialog() const { return m_dialog; }
    void leave() override { quitClick(); }

    // Reads the rows again in their order and rewrites the serials 1..N,
    // with the grid detached meanwhile.
    void renumber();
    // "删除" and "修改" are offered only while the list has rows.
    void setRowCommandsEnabled(bool enabled);
    // Lists whose "修改" adds on an empty list, and whose "删除" then does
    // nothing, offer both always.
    void offerRowCommandsAlways() { m_rowCommandsAlwaysOffered = true; }
    // Writes pending changes of the rows to the table (cached updates).
    virtual void applyRowChanges();
    // The grid edits in place: a changed cell is written to its own row and
    // applied at once, or refused with a message and the row left as stored.
    // Text cells take no more than their field holds.
    void editInPlace();

    QLabel *TitlePanel = nullptr;
    QTableView *grid = nullptr;
    QPushButton *addButton = nullptr;     // "新增" (Button2)
    QPushButton *modifyButton = nullptr;  // "修改"
    QPushButton *deleteButton = nullptr;  // "删除" (Button1)
    QPushButton *quitButton = nullptr;    // "退出" (quit01)

    // Hooks of the lists, in the order they run around a store and a leave.
    // After a row is stored and before the list is renumbered (the
    // committee re-ranks its roles, the persons list keeps the register).
    virtual void afterStore(ChildList::Mode mode);
    // When the list is left, however (page 5 marks its section done, the
    // patents list writes its counts back into page 2).
    virtual void whenLeft();

public slots:
    void addClick();
    void modifyClick();
    void deleteClick();
    virtual void quitClick();

protected:
    // After a modify: the current row goes to the place its new serial
    // names, the others keep their order around it (the renumbering that
    // follows keeps that order, whatever order equal serials come in).
    void placeRowAtItsSerial();
    // The grid's current cell went from `column` of `row` to another column.
    virtual void columnLeft(int row, int column);
    // A further command, placed before "退出".
    QPushButton *addCommand(const QString &name, const QString &caption);
    // Reads the rows again in their serial order (a table re-reads its
    // file, a query runs again with its key).
    virtual void reloadRows();
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void openDialog(ChildList::Mode mode);
    void deleteCurrentRow();
    void followCurrentRow();
    void moveToGridRow(int row);
    void applyColumnWidths();
    void applyEditedRow();

    ChildListLayout m_layout;
    ChildList::Key m_key;
    QPointer<DataSet> m_appendTarget;
    QPointer<DataSet> m_rows;
    QPointer<DataSetModel> m_model;
    QString m_serialField;
    QList<int> m_columnWidths;
    QPointer<ChildListDialog> m_dialog;
    QHBoxLayout *m_commands = nullptr;
    bool m_followingCurrent = false;
    bool m_rowCommandsAlwaysOffered = false;
};

// The add/modify dialog of a list: "存储" (Button1) and "退出" (Button2). A
// dialog declares its bindings once (field, control, stored form, check);
// the dialog runs the order of a store and a leave.
//
// Store: a blank dialog closes without storing; the input check (its
// warning and an Abort); then a new row (add, in the list's append target)
// or the list's current row (modify) gets the fields and is posted; the
// list's afterStore hook; the list is renumbered (a failure there is shown,
// but the row is stored and the store goes on); "存储成功！". After an add
// the dialog is cleared for the next row (or closes), after a modify it
// closes. A caption of neither mode stores nothing.
// Leave ("退出", Escape): a blank dialog closes at once; a changed one asks
// first. "否" always leaves without storing; after "是" a store that does
// not go through keeps the dialog open.
class ChildListDialog : public QuitOnlyDialog, public BoundForm
{
    Q_OBJECT
public:
    explicit ChildListDialog(QWidget *parent = nullptr);

    void setList(ChildListWindow *list);
    ChildListWindow *list() const { return m_list; }
    ChildList::Mode mode() const;
    // Escape and the window manager's close press "退出".
    void leave() override { Button2Click(); }

    // The list's current row; a new row goes to the list's append target.
    DataSet &boundRow() const override;
    DataSet &rowToWrite() const override;

    QPushButton *Button1 = nullptr;  // "存储"
    QPushButton *Button2 = nullptr;  // "退出"

public slots:
    // True when the dialog is done with the entry (stored, or nothing to
    // store); false when a check or the database refused it.
    bool Button1Click();
    void Button2Click();

protected:
    // Modify: the bound controls from the current row; add: the entry's
    // texts emptied, then presetForAdd().
    virtual void loadControls(ChildList::Mode mode);
    // The values a new row starts with, beyond the empty texts.
    virtual void presetForAdd() {}
    virtual bool staysOpenAfterAdd() const { return true; }
    virtual QString leaveQuestion() const;

    // The entry, as its bindings' parts make it up (Binding::partOfEntry).
    // Nothing worth storing: "存储" closes without a row. A dialog whose
    // bindings name no such part always stores.
    bool isBlankForStore() const;
    // Nothing entered: "退出" closes without a question.
    bool isBlankForLeave() const;
    // Ready for the next row.
    void clearAfterAdd();
    // Where the caret waits when the dialog opens and after each added row.
    virtual QWidget *firstField() const;

    // The dialog's layout: the fields, then "存储" and "退出" centred below.
    void layOutWithButtons(QLayout *fields, const QMargins &margins);

    bool appendsRow(const DataSet &row) const override;
    bool saveForLeave() override { return Button1Click(); }

    // Rows of the list before the row being added was appended.
    int rowsBeforeAdd() const { return m_rowsBeforeAdd; }
    void showEvent(QShowEvent *event) override;

private:
    bool entryIsBlank(Binding::EntryPart part, bool trimmed) const;
    void store();
    void storeRow(ChildList::Mode mode);
    void keepStoredRowCurrent(DataSet &rows, ChildList::Mode mode, int position);
    void putCaretInFirstField();

    QPointer<ChildListWindow> m_list;
    int m_rowsBeforeAdd = 0;
};
