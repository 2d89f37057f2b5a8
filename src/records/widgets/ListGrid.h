#pragma once
#include <QString>
#include <QStringList>

class QTableView;

// The one look of every list grid, the main list's: the Song face at 12
// pixels for rows and titles, no row numbers, titles that stay plain when a
// row is chosen, rows of 18 pixels, read-only, whole rows chosen one at a
// time. The titles of the columns a user must fill (maroonTitles, by their
// text: "姓名") are drawn in maroon, the others in the usual colour.
void StyleListGrid(QTableView *grid, const QStringList &maroonTitles = {});

// A column wide enough for a text field of `bytes` GBK bytes in the grid's
// font (a Chinese character is two bytes), and for its title; at most
// `widest` pixels.
int ColumnWidthFor(const QTableView *grid, int bytes, const QString &title, int widest = 320);
