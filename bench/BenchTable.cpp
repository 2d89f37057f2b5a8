#include "BenchTable.h"

#include <algorithm>
#include <cmath>

void BenchTable::addRow(const QString &operation, double value, const QString &reference, double referenceValue,
                        double maxRatio, Unit unit)
{
    m_rows.append({ operation, value, reference, referenceValue, maxRatio, unit });
}

void BenchTable::addNote(const QString &line)
{
    m_notes.append(line);
}

void BenchTable::addMismatch(const QString &what, qint64 engineRows, qint64 referenceRows)
{
    if (engineRows == referenceRows)
        return;
    addNote(QStringLiteral("MISMATCH: %1: engine %2 rows, reference %3 rows").arg(what).arg(engineRows).arg(referenceRows));
    ++m_mismatches;
}

double BenchTable::Row::ratio() const
{
    return value >= 0 && referenceValue > 0 ? value / referenceValue : NAN;
}

bool BenchTable::Row::met() const
{
    return !std::isnan(ratio()) && ratio() <= maxRatio;
}

QString BenchTable::format(double value, Unit unit)
{
    if (value < 0)
        return QStringLiteral("n/a");
    if (unit == Unit::Bytes)
        return QStringLiteral("%1 MB").arg(value / (1024.0 * 1024.0), 0, 'f', 1);
    // Sub-millisecond rows (a page save, a keyed read) would print as 0.0 ms.
    if (value < 0.001)
        return QStringLiteral("%1 us").arg(value * 1e6, 0, 'f', 1);
    if (value < 1.0)
        return QStringLiteral("%1 ms").arg(value * 1000.0, 0, 'f', 1);
    return QStringLiteral("%1 s").arg(value, 0, 'f', 2);
}

QString BenchTable::render() const
{
    const QStringList header = { QStringLiteral("operation"), QStringLiteral("engine"), QStringLiteral("reference"),
                                 QStringLiteral("ref. figure"), QStringLiteral("ratio"), QStringLiteral("target"),
                                 QString() };
    QList<QStringList> cells{ header };
    for (const Row &row : m_rows) {
        const double ratio = row.ratio();
        cells.append({ row.operation, format(row.value, row.unit), row.reference,
                       format(row.referenceValue, row.unit),
                       std::isnan(ratio) ? QStringLiteral("n/a") : QStringLiteral("%1x").arg(ratio, 0, 'f', 2),
                       QStringLiteral("<= %1x").arg(row.maxRatio), row.met() ? QStringLiteral("ok")
                                                                              : QStringLiteral("MISS") });
    }
    QList<int> widths(header.size(), 0);
    for (const QStringList &line : cells)
        for (int c = 0; c < line.size(); ++c)
            widths[c] = qMax(widths[c], int(line[c].size()));

    QString text;
    for (int r = 0; r < cells.size(); ++r) {
        QStringList padded;
        for (int c = 0; c < cells[r].size(); ++c)
            padded.append(c == 0 || c == 2 ? cells[r][c].leftJustified(widths[c]) : cells[r][c].rightJustified(widths[c]));
        text += padded.join(QStringLiteral("  ")).trimmed() + u'\n';
        if (r == 0)
            text += QString(text.size() - 1, u'-') + u'\n';
    }
    for (const QString &note : m_notes)
        text += note + u'\n';
    return text;
}

int BenchTable::misses() const
{
    return m_mismatches
           + int(std::count_if(m_rows.begin(), m_rows.end(), [](const Row &row) { return !row.met(); }));
}
