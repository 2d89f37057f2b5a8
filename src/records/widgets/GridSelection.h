#pragma once

class QTableView;

// Selects and scrolls to a row of a list grid, so the grid shows the
// dataset's current row; a row outside the grid's model is ignored.
void SelectGridRow(QTableView *grid, int row);
