#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The one table the benchmark prints: each operation's figure beside a
// reference measured in the same run, their ratio and the ratio to reach.
class BenchTable
{
public:
    enum class Unit { Seconds, Bytes };

    // A row whose ratio value / reference must stay at or under maxRatio.
    void addRow(const QString &operation, double value, const QString &reference, double referenceValue,
                double maxRatio, Unit unit = Unit::Seconds);
    // A line printed under the table (sizes, method notes).
    void addNote(const QString &line);

    // Engine and reference counted different rows: their times compare
    // nothing, so the run fails.
    void addMismatch(const QString &what, qint64 engineRows, qint64 referenceRows);

    QString render() const;
    // Rows whose ratio is above its target (or could not be measured), and
    // mismatches.
    int misses() const;

private:
    struct Row
    {
        QString operation;
        double value;
        QString reference;
        double referenceValue;
        double maxRatio;
        Unit unit;
        double ratio() const;
        bool met() const;
    };
    static QString format(double value, Unit unit);

    QList<Row> m_rows;
    QStringList m_notes;
    int m_mismatches = 0;
};
