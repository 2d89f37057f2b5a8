#include "FormSheet.h"

#include "CodeLookup.h"
#include "PageLayout.h"

using namespace PageLayout;
using report::BandKind;

namespace {
constexpr double Pen = 0.3;
constexpr double OptionLine = 5.5;
constexpr double Tick = 3.6;
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
    const double captionWidth = cells.size() == 1 ? CaptionWidth : std::min(CaptionWidth, part * 0.45);
    QList<double> edges;
    for (int i = 0; i < cells.size(); ++i) {
        const double x = part * i;
        if (i > 0)
            edges << x;
        edges << x + captionWidth;
        TextStyle c = centred(9.5);
        c.wrap = true;
        c.shrink = true;
        m_page.add(BandKind::Title, label(QString(), QRectF(x + 0.5, m_y, captionWidth - 1, height),
                                          cells[i].first, c));
        m_page.add(BandKind::Title, value(cells[i].second,
                                          QRectF(x + captionWidth + 1, m_y + 0.3,
                                                 part - captionWidth - 2, height - 0.6)));
    }
    ruledRow(height, edges);
    m_y += height;
}

void FormSheet::choiceRow(const QString &caption, const QString &field, const QStringList &codes,
                          int perLine, const QString &prefix)
{
    const int lines = int((codes.size() + perLine - 1) / perLine);
    const double height = lines * OptionLine + 2;
    const double optionWidth = (Width - CaptionWidth - 2) / perLine;
    TextStyle c = centred(9.5);
    c.wrap = true;
    c.shrink = true;
    m_page.add(BandKind::Title, label(QString(), QRectF(0.5, m_y, CaptionWidth - 1, height), caption, c));
    const QString group = field.toLower();
    for (int i = 0; i < codes.size(); ++i) {
        const double x = CaptionWidth + 1.5 + (i % perLine) * optionWidth;
        const double top = m_y + 1 + (i / perLine) * OptionLine + (OptionLine - Tick) / 2;
        const QString name = prefix + field + u'_' + codes[i];
        m_page.add(BandKind::Title, box(QString(), QRectF(x, top, Tick, Tick), 0.2));
        m_page.add(BandKind::Title, label(name, QRectF(x, top - 0.3, Tick, Tick + 0.6), QString(),
                                          centred(9, true)));
        QString text = m_codes ? m_codes->optionText(group, codes[i]) : QString();
        if (text.isEmpty())
            text = codes[i];
        TextStyle t = style(8.5);
        t.shrink = true;
        m_page.add(BandKind::Title, label(QString(), QRectF(x + Tick + 1, top - 1, optionWidth - Tick - 2,
                                                            Tick + 2), text, t));
    }
    ruledRow(height, {CaptionWidth});
    m_y += height;
}

void FormSheet::memoRow(const QString &caption, const QString &field, double height)
{
    TextStyle c = centred(9.5);
    c.wrap = true;
    m_page.add(BandKind::Title, label(QString(), QRectF(0.5, m_y, CaptionWidth - 1, height), caption, c));
    report::Element e = memo(QString(), QRectF(CaptionWidth + 1.5, m_y + 1, Width - CaptionWidth - 3,
                                                height - 2), QString(),
                             style(10, Qt::AlignLeft | Qt::AlignTop));
    e.kind = report::Kind::Field;
    e.field = field;
    m_page.add(BandKind::Title, e);
    ruledRow(height, {CaptionWidth});
    m_y += height;
}

void FormSheet::textBlock(const QString &text, double height, double pointSize)
{
    m_page.add(BandKind::Title, memo(QString(), QRectF(0, m_y, Width, height), text,
                                     style(pointSize, Qt::AlignLeft | Qt::AlignTop)));
    m_y += height;
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
