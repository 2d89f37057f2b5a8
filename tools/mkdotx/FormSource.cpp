#include "FormSource.h"

#include <QFile>
#include <QRegularExpression>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &path, int line, const QString &what)
{
    throw std::runtime_error(QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(what).toStdString());
}

QList<FormCell> readCells(const QString &text)
{
    static const QRegularExpression spanMark(QStringLiteral("^<(\\d+)>"));
    QList<FormCell> cells;
    for (QString cell : text.split(QStringLiteral(" | "))) {
        cell = cell.trimmed();
        FormCell c;
        const QRegularExpressionMatch m = spanMark.match(cell);
        if (m.hasMatch()) {
            c.span = m.captured(1).toInt();
            cell = cell.mid(m.capturedLength());
        }
        c.text = cell;
        cells.append(c);
    }
    return cells;
}

FormBlock readLine(const QString &path, int number, const QString &line)
{
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    const QString word = blank < 0 ? line : line.left(blank);
    const QString rest = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
    FormBlock b{FormBlock::Paragraph, {}, {}, {}, {}, number};
    if (word == QLatin1String("title")) {
        b.kind = FormBlock::Title;
        b.text = rest;
    } else if (word == QLatin1String("subtitle")) {
        b.kind = FormBlock::Subtitle;
        b.text = rest;
    } else if (word == QLatin1String("heading")) {
        b.kind = FormBlock::Heading;
        b.text = rest;
    } else if (word == QLatin1String("text")) {
        b.text = rest;
    } else if (word == QLatin1String("page")) {
        b.kind = FormBlock::PageBreak;
    } else if (word == QLatin1String("table")) {
        b.kind = FormBlock::Table;
        for (const QString &w : rest.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            bool ok = false;
            b.widths.append(w.toInt(&ok));
            if (!ok || b.widths.last() <= 0)
                fail(path, number, QStringLiteral("column width \"%1\" is no positive number").arg(w));
        }
        if (b.widths.isEmpty())
            fail(path, number, QStringLiteral("a table needs its column widths"));
    } else if (word == QLatin1String("row")) {
        b.kind = FormBlock::Row;
        b.cells = readCells(rest);
    } else if (word == QLatin1String("band")) {
        b.kind = FormBlock::Band;
        b.text = rest;
    } else if (word == QLatin1String("rows")) {
        b.kind = FormBlock::Rows;
        const qsizetype gap = rest.indexOf(QLatin1Char(' '));
        b.list = rest.left(gap);
        b.cells = readCells(rest.mid(gap + 1));
    } else if (word == QLatin1String("end")) {
        b.kind = FormBlock::End;
    } else {
        fail(path, number, QStringLiteral("unknown line kind \"%1\"").arg(word));
    }
    return b;
}

} // namespace

QList<FormBlock> readFormSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    QList<FormBlock> blocks;
    int number = 0;
    bool inTable = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        FormBlock b = readLine(path, number, line);
        const bool rowKind = b.kind == FormBlock::Row || b.kind == FormBlock::Band || b.kind == FormBlock::Rows
                             || b.kind == FormBlock::End;
        if (rowKind != inTable && b.kind != FormBlock::Table)
            fail(path, number, inTable ? QStringLiteral("only rows may stand inside a table")
                                       : QStringLiteral("a row outside a table"));
        if (b.kind == FormBlock::Table && inTable)
            fail(path, number, QStringLiteral("a table inside a table"));
        inTable = (b.kind == FormBlock::Table) || (inTable && b.kind != FormBlock::End);
        blocks.append(b);
    }
    if (inTable)
        fail(path, number, QStringLiteral("the last table has no \"end\""));
    return blocks;
}

QStringList bookmarksIn(const QString &text)
{
    static const QRegularExpression mark(QStringLiteral("\\{([A-Za-z0-9_#]+)\\}"));
    QStringList names;
    for (const QRegularExpressionMatch &m : mark.globalMatch(text))
        names.append(m.captured(1));
    return names;
}
