#pragma once
// Short ways to place the elements of the form's pages (millimetres within
// a band).

#include "report/Report.h"

namespace PageLayout {

using report::Element;
using report::TextStyle;

TextStyle style(double pointSize, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter,
                bool bold = false);
TextStyle centred(double pointSize, bool bold = false);

Element label(const QString &name, const QRectF &mm, const QString &text, const TextStyle &style);
Element field(const QString &name, const QString &field, const QRectF &mm, const TextStyle &style);
// Wraps within its box and is drawn smaller when it would not fit.
Element memo(const QString &name, const QRectF &mm, const QString &text, TextStyle style);
Element line(const QString &name, double x1, double y1, double x2, double y2, double penMm = 0.25);
Element box(const QString &name, const QRectF &mm, double penMm = 0.25);
Element counter(const QString &name, const QRectF &mm, const QString &prefix, const TextStyle &style);

} // namespace PageLayout
