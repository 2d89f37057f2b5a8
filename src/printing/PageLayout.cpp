#include "PageLayout.h"

namespace PageLayout {

TextStyle style(double pointSize, Qt::Alignment align, bool bold)
{
    TextStyle s;
    s.pointSize = pointSize;
    s.align = align;
    s.bold = bold;
    return s;
}

TextStyle centred(double pointSize, bool bold)
{
    return style(pointSize, Qt::AlignCenter, bold);
}

Element label(const QString &name, const QRectF &mm, const QString &text, const TextStyle &style)
{
    Element e;
    e.kind = report::Kind::Label;
    e.name = name;
    e.mm = mm;
    e.text = text;
    e.style = style;
    return e;
}

Element field(const QString &name, const QString &field, const QRectF &mm, const TextStyle &style)
{
    Element e = label(name, mm, QString(), style);
    e.kind = report::Kind::Field;
    e.field = field;
    return e;
}

Element memo(const QString &name, const QRectF &mm, const QString &text, TextStyle style)
{
    style.wrap = true;
    style.shrink = true;
    Element e = label(name, mm, text, style);
    e.kind = report::Kind::Memo;
    return e;
}

Element line(const QString &name, double x1, double y1, double x2, double y2, double penMm)
{
    Element e;
    e.kind = report::Kind::Line;
    e.name = name;
    e.mm = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    e.penMm = penMm;
    return e;
}

Element box(const QString &name, const QRectF &mm, double penMm)
{
    Element e;
    e.kind = report::Kind::Box;
    e.name = name;
    e.mm = mm;
    e.penMm = penMm;
    return e;
}

Element counter(const QString &name, const QRectF &mm, const QString &prefix, const TextStyle &style)
{
    Element e = label(name, mm, prefix, style);
    e.kind = report::Kind::Counter;
    return e;
}

} // namespace PageLayout
