#include "GridSelection.h"

#include <QItemSelectionModel>
#include <QTableView>

void SelectGridRow(QTableView *grid, int row)
{
    const QAbstractItemModel *model = grid->model();
    if (!model || row < 0 || row >= model->rowCount())
        return;
    const QModelIndex index = model->index(row, 0);
    grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
}
