#include "UnitCodes.h"

#include "records/unit/UnitProfile.h"

namespace UnitCodes {

namespace {

constexpr int PrefixLength = 7;
constexpr int SerialDigits = 2;

// The serial of a child code of the prefix, or 0 when the code is not one.
int childSerial(const QString &prefix, const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.length() != PrefixLength + SerialDigits + 1 || !trimmed.startsWith(prefix)
        || !trimmed.endsWith(QLatin1Char('0')))
        return 0;
    const QString digits = trimmed.mid(PrefixLength, SerialDigits);
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    return digits.toInt();
}

} // namespace

bool isRegisteringUnit(const QString &unitCode)
{
    return unitCode.trimmed() == UnitProfile::registeringUnitCode();
}

NextCode nextChildCode(const QString &parentCode, const QStringList &childCodes)
{
    const QString prefix = parentCode.trimmed().left(PrefixLength);
    if (prefix.length() < PrefixLength)
        return {QString(), QStringLiteral("所属一级单位代码不足七位，不能增加二级单位！")};
    int highest = 0;
    for (const QString &code : childCodes)
        highest = qMax(highest, childSerial(prefix, code));
    if (highest >= MaxChildren)
        return {QString(), QStringLiteral("所属二级单位已满99个，不能再增加！")};
    return {prefix + QStringLiteral("%1").arg(highest + 1, SerialDigits, 10, QLatin1Char('0'))
                + QLatin1Char('0'),
            QString()};
}

} // namespace UnitCodes
