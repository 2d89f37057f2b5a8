#include "FormSheet.h"

#include "CodeLookup.h"
#include "OptionCaptions.h"
#include "PageLayout.h"
#include "report/ReportOutput.h"

#include <algorithm>
#include <cmath>

using namespace PageLayout;
using report::BandKind;

namespace {
constexpr double Pen = 0.3;
constexpr double OptionLine = 5.5;
constexpr double Tick = 3.6;
}

TextStyle FormSheet::captionStyle()
{
    TextStyle c = centred(9.5);
    c.wrap = true;
    c.shrink = true;
    return c;
}

TextStyle FormSheet::optionStyle()
{
    TextStyle t = style(8.5);
    t.shrink = true;
    return t;
}

// Wide enough for the caption on one line at its own size, within the
// bounds given; no caption, no column.
double FormSheet::captionWidthFor(const QString &caption, double least, double most)
{
    if (caption.isEmpty())
        return 0;
    const double natural = report::textWidthMm(caption, captionStyle()) + 3;
    return std::clamp(natural, least, std::max(least, most));
}

FormSheet::FormSheet(report::Report &page, const CodeLookup *codes)
    : m_page(page), m_codes(codes)
{
}

void FormSheet::heading(const QString &text, double pointSize)
{
    m_page.add(BandKind::Title, label(QString(), QRectF(0, m_y, Width, pointSize * 0.6 + 4), text,
                                      centred(pointSize, true)));
    m_y += pointSize * 0.6 + 5;
}

void FormSheet::sectionTitle(const QString &text)
{
    m_page.add(BandKind::Title, label(QString(), QRectF(0, m_y + 1, Width, 7), text,
                                      style(12, Qt::AlignLeft | Qt::AlignVCenter, true)));
    m_y += 8;
}

void FormSheet::ruledRow(double height, const QList<double> &columnEdges)
{
    m_page.add(BandKind::Title, box(QString(), QRectF(0, m_y, Width, height), Pen));
    for (double x : columnEdges)
        m_page.add(BandKind::Title, line(QString(), x, m_y, x, m_y + height, Pen));
}

report::Element FormSheet::value(const QString &source, const QRectF &mm) const
{
    TextStyle s = style(9.5);
    s.wrap = true;
    s.shrink = true;
    if (source.isEmpty() || source.startsWith(QLatin1String("label:")))
        return label(source.mid(6), mm, QString(), s);
    report::Element e = field(QString(), source, mm, s);
    return e;
}

void FormSheet::fieldRow(const QString &caption, const QString &field, double height)
{
    cellsRow({{caption, field}}, height);
}

void FormSheet::cellsRow(const QList<QPair<QString, QString>> &cells, double height)
{
    const double part = Width / cells.size();
    QList<double> edges;
    for (int i = 0; i < cells.size(); ++i) {
        const double x = part * i;
        if (i > 0)
            edges << x;
        const double captionWidth = captionWidthFor(cells[i].first, cells.size() == 1 ? CaptionWidth
                                                                   : std::min(CaptionWidth, part * 0.45),
                                                    part * 0.6);
        if (captionWidth > 0) {
            edges << x + captionWidth;
            m_page.add(BandKind::Title, label(QString(), QRectF(x + 0.5, m_y, captionWidth - 1, height),
                                              cells[i].first, captionStyle()));
        }
        m_page.add(BandKind::Title, value(cells[i].second,
                                          QRectF(x + captionWidth + 1, m_y + 0.3,
                                                 part - captionWidth - 2, height - 0.6)));
    }
    ruledRow(height, edges);
    m_y += height;
}

// Options run left to right in cells of equal width, each taking as many
// cells as its caption needs at its own size, so that no caption is
// shrunk; a line is full when its cells are.
void FormSheet::choiceRow(const QString &caption, const QString &field, const QStringList &codes,
                          int perLine, const QString &prefix, const QString &group)
{
    const double captionWidth = captionWidthFor(caption, CaptionWidth, 62);
    const double cellWidth = (Width - captionWidth - 2) / perLine;
    const TextStyle text = optionStyle();
    const QString key = group.isEmpty() ? field.toLower() : group;
    struct Placed
    {
        QString code;
        QString caption;
        int line;
        int cell;
    };
    QList<Placed> placed;
    int line = 0;
    int cell = 0;
    for (const QString &code : codes) {
        if (code == LineBreak) {
            if (cell > 0) {
                ++line;
                cell = 0;
            }
            continue;
        }
        const QString name = OptionCaptions::caption(m_codes, key, code);
        const double need = Tick + 1.5 + report::textWidthMm(name, text) + 2.5;
        const int span = std::clamp(int(std::ceil(need / cellWidth - 0.001)), 1, perLine);
        if (cell + span > perLine) {
            ++line;
            cell = 0;
        }
        placed.append({code, name, line, cell});
        cell += span;
    }
    const double height = (line + 1) * OptionLine + 2;
    m_page.add(BandKind::Title, label(QString(), QRectF(0.5, m_y, captionWidth - 1, height), caption,
                                      captionStyle()));
    for (const Placed &p : placed) {
        const double x = captionWidth + 1.5 + p.cell * cellWidth;
        const double top = m_y + 1 + p.line * OptionLine + (OptionLine - Tick) / 2;
        m_page.add(BandKind::Title, box(QString(), QRectF(x, top, Tick, Tick), 0.2));
        m_page.add(BandKind::Title, label(prefix + field + u'_' + p.code,
                                          QRectF(x, top - 0.3, Tick, Tick + 0.6), QString(),
                                          centred(9, true)));
        m_page.add(BandKind::Title, label(QString(), QRectF(x + Tick + 1.5, top - 1,
                                                            Width - (x + Tick + 1.5), Tick + 2),
                                          p.caption, text));
    }
    ruledRow(height, {captionWidth});
    m_y += height;
}

void FormSheet::memoRow(const QString &caption, const QString &field, double height)
{
    const double captionWidth = caption.isEmpty() ? 0 : CaptionWidth;
    if (captionWidth > 0) {
        TextStyle c = centred(9.5);
        c.wrap = true;
        m_page.add(BandKind::Title,
                   label(QString(), QRectF(0.5, m_y, captionWidth - 1, height), caption, c));
    }
    report::Element e = memo(QString(), QRectF(captionWidth + 2, m_y + 1.5, Width - captionWidth - 4,
                                                height - 3), QString(),
                             style(10.5, Qt::AlignLeft | Qt::AlignTop));
    e.kind = report::Kind::Field;
    e.field = field;
    m_page.add(BandKind::Title, e);
    ruledRow(height, captionWidth > 0 ? QList<double>{captionWidth} : QList<double>{});
    m_y += height;
}

void FormSheet::textBlock(const QString &text, double height, double pointSize)
{
    m_page.add(BandKind::Title, memo(QString(), QRectF(0, m_y, Width, height), text,
                                     style(pointSize, Qt::AlignLeft | Qt::AlignTop)));
    m_y += height;
}

void FormSheet::columnList(const QStringList &lines, double height, double pointSize)
{
    const double pitch = pointSize * 0.5;  // 4.5 mm a line at 9 pt
    const int fitInColumn = std::max(1, int(height / pitch));
    const int columns = std::max(1, int((lines.size() + fitInColumn - 1) / fitInColumn));
    const int perColumn = std::max(1, int((lines.size() + columns - 1) / columns));
    const double columnWidth = Width / columns;
    TextStyle line = style(pointSize);
    line.shrink = true;  // a line too long for its column gets smaller, never cut
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF box(int(i / perColumn) * columnWidth, m_y + int(i % perColumn) * pitch, columnWidth - 2, pitch);
        m_page.add(BandKind::Title, label(QString(), box, lines.at(i), line));
    }
    m_y += std::min(height, perColumn * pitch);
}

void FormSheet::finish()
{
    m_page.band(BandKind::Title).heightMm = std::max(m_y, 1.0);
    m_page.band(BandKind::PageFooter).heightMm = 8;
    m_page.add(BandKind::PageFooter,
               label(QStringLiteral("QRPage"), QRectF(70, 1, 40, 6), QString(), centred(10)));
}

QStringList twoDigitCodes(int from, int to)
{
    QStringList codes;
    for (int i = from; i <= to; ++i)
        codes << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    return codes;
}
