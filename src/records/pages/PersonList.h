#pragma once
#include "records/forms/ChildList.h"

class DataSetModel;
class Table;

// The grids of persons and committee members show the texts of the codes.
namespace PersonGrid {
// Titles and visible columns of the person grids, in their order.
void showPersonColumns(DataSet &persons, DataSetModel &model);
// Each listed column draws its code as two blanks and the code's text; a
// code without a text is shown as stored.
// In place, those columns offer their codes' choices ("0 男", "1 女").
void drawCodeTexts(QTableView *grid, const QStringList &columns);
// How many rows other than `row` hold the serial that `row` holds.
int otherRowsWithSerial(const DataSet &rows, const QString &serialField, int row);
} // namespace PersonGrid

namespace PersonRegister {
// A new person joins the register of persons entered before: added when no
// row carries the name, written over the one row that does, left alone
// when several do. The name is a bound value, never part of a filter text.
void keep(Table &personRegister, const DataSet &person);
} // namespace PersonRegister

// The completing persons of the current record, listed by page 8 (the list
// query) and by the second list window (the person table). Both add and
// modify through TFinto8, take persons from the register ("快速添加") and
// cannot be left while empty.
class PersonListWindow : public ChildListWindow
{
    Q_OBJECT
public:
    PersonListWindow(const QString &gridName, QWidget *parent);

    static QString listTitle();  // "成果完成人员名单"

    QPushButton *quickAddButton = nullptr;  // 快速添加 (Button5)
    QPushButton *helpButton = nullptr;      // 帮助 (Button4)

    // A new person is kept in the register; a modified one goes to the
    // place its serial names.
    void afterStore(ChildList::Mode mode) override;
    // Persons were appended to the person table by the picker: the record's
    // persons are numbered in table order, then the list densely.
    virtual void afterQuickAdd();

public slots:
    void quitClick() override;

protected:
    void showEvent(QShowEvent *event) override;
};
