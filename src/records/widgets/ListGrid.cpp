#include "ListGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

namespace {

QFont songFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

constexpr int CellPadding = 14;

} // namespace

void StyleListGrid(QTableView *grid, bool maroonTitles)
{
    grid->setFont(songFont());
    QHeaderView *titles = grid->horizontalHeader();
    titles->setFont(songFont());
    titles->setHighlightSections(false);
    if (maroonTitles) {
        QPalette palette = titles->palette();
        palette.setColor(QPalette::ButtonText, QColor(128, 0, 0));
        titles->setPalette(palette);
    }
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
}

int ColumnWidthFor(const QTableView *grid, int bytes, const QString &title, int widest)
{
    const QFontMetrics metrics(grid->font());
    // Half a Chinese character per byte: the width of "中" is two bytes' worth.
    const int perByte = (metrics.horizontalAdvance(QChar(0x4E2D)) + 1) / 2;
    const int forText = bytes * perByte + CellPadding;
    const int forTitle = QFontMetrics(grid->horizontalHeader()->font()).horizontalAdvance(title)
                         + CellPadding + 8;
    return qMin(qMax(forText, forTitle), widest);
}
