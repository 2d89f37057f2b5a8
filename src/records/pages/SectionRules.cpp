#include "SectionRules.h"

#include "engine/ValueText.h"

namespace Funding {

QString sumText(const QStringList &amounts)
{
    double sum = 0;
    for (const QString &text : amounts) {
        double value = 0;
        if (ValueText::parseNumber(text.trimmed(), &value))
            sum += value;
    }
    return ValueText::formatNumber(sum);
}

bool sumTooLong(const QString &sumText)
{
    return sumText.size() > 7;
}

} // namespace Funding

namespace PatentSummary {

Summary of(const QList<Patent> &patents)
{
    Summary s;
    bool typePresent[3] = {false, false, false};
    for (const Patent &p : patents) {
        if (p.status == QLatin1String("1"))
            ++s.applications;
        else if (p.status == QLatin1String("2"))
            ++s.grants;
        const int type = p.type.toInt();
        if (type >= 1 && type <= 3)
            typePresent[type - 1] = true;
    }
    for (int type = 1; type <= 3; ++type) {
        if (typePresent[type - 1])
            s.types += QString::number(type) + QLatin1Char(';');
    }
    s.status = s.grants > 0 ? QStringLiteral("3")
                            : (s.applications > 0 ? QStringLiteral("2") : QStringLiteral("1"));
    return s;
}

} // namespace PatentSummary

namespace ApplicationStatus {

bool isStable(const QString &statusText)
{
    return statusText.contains(QStringLiteral("稳定"));
}

bool isNotApplied(const QString &statusText)
{
    return statusText.contains(QStringLiteral("未应用"));
}

bool needsReason(const QString &statusText)
{
    return !statusText.contains(QStringLiteral("稳定应用"));
}

bool storesNoReason(const QString &statusText)
{
    return statusText.startsWith(QLatin1Char('1'));
}

} // namespace ApplicationStatus
