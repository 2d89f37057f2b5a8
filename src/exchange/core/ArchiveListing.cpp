#include "ArchiveListing.h"

#include <QRegularExpression>

namespace {

const QString Rule = QStringLiteral("------------ ---------- ----------");

struct Totals
{
    qint64 files = -1;
    qint64 size = -1;
    qint64 packedSize = -1;
};

bool isRule(const QString &line)
{
    return line.startsWith(Rule);
}

// The total line after the last rule: "     2 files          9          9 1.000".
Totals totalsAfterLastRule(const QStringList &lines)
{
    static const QRegularExpression total(QStringLiteral("^\\s*(\\d+) files?\\s+(\\d+)\\s+(\\d+)\\b"));
    Totals totals;
    for (int i = int(lines.size()) - 2; i >= 0; --i) {
        if (!isRule(lines.at(i)))
            continue;
        const QRegularExpressionMatch match = total.match(lines.at(i + 1));
        if (match.hasMatch()) {
            totals.files = match.captured(1).toLongLong();
            totals.size = match.captured(2).toLongLong();
            totals.packedSize = match.captured(3).toLongLong();
        }
        break;
    }
    return totals;
}

} // namespace

bool ArchiveListing::parse(const QByteArray &output, QList<Archiver::Member> &members)
{
    static const QRegularExpression nameLine(QStringLiteral("^(\\d+)\\) (.*)$"));
    // "Rev/Host OS  Original Compressed Ratio DateTime": the two sizes stand
    // before the ratio and the date, whatever the host's name holds.
    static const QRegularExpression sizeLine(
        QStringLiteral("^\\s*\\d+\\s.*?\\s(\\d+)\\s+(\\d+)\\s+\\d+\\.\\d{3}\\s+\\d\\d-\\d\\d-\\d\\d\\s"));
    members.clear();
    const QStringList lines = QString::fromLocal8Bit(output).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const Totals totals = totalsAfterLastRule(lines);
    if (totals.files < 0)
        return false;

    bool inList = false;
    bool sized = true;
    for (const QString &line : lines) {
        if (isRule(line)) {
            if (inList)
                break;
            inList = true;
            continue;
        }
        if (!inList)
            continue;
        const QRegularExpressionMatch name = nameLine.match(line);
        if (name.hasMatch()) {
            if (!sized || name.captured(1).toLongLong() != members.size() + 1)
                return false;
            members.append(Archiver::Member{name.captured(2), 0, 0});
            sized = false;
            continue;
        }
        const QRegularExpressionMatch size = sizeLine.match(line);
        if (size.hasMatch() && !members.isEmpty() && !sized) {
            members.last().size = size.captured(1).toLongLong();
            members.last().packedSize = size.captured(2).toLongLong();
            sized = true;
        }
    }
    if (!sized || members.size() != totals.files)
        return false;
    qint64 size = 0;
    qint64 packedSize = 0;
    for (const Archiver::Member &member : members) {
        size += member.size;
        packedSize += member.packedSize;
    }
    return size == totals.size && packedSize == totals.packedSize;
}
