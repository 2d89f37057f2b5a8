#include "ListGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QTableView>

namespace {

QFont songFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

constexpr int CellPadding = 14;

// Titles whose text is one of the required columns' are drawn in maroon,
// whatever column they come to stand in.
class MarkedTitles : public QHeaderView
{
public:
    MarkedTitles(const QStringList &marked, QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent), m_marked(marked)
    {
    }

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        if (m_marked.contains(option->text.trimmed()))
            option->palette.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    }

private:
    QStringList m_marked;
};

} // namespace

void StyleListGrid(QTableView *grid, const QStringList &maroonTitles)
{
    grid->setFont(songFont());
    if (!maroonTitles.isEmpty())
        grid->setHorizontalHeader(new MarkedTitles(maroonTitles, grid));
    QHeaderView *titles = grid->horizontalHeader();
    titles->setFont(songFont());
    titles->setHighlightSections(false);
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
