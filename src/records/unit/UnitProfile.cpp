#include "UnitProfile.h"

#include "engine/DataSet.h"

namespace UnitProfile {

QString registeringUnitCode()
{
    return QStringLiteral("9990001000");
}

QString unitLevel()
{
    return QStringLiteral("1");
}

QString endLevel()
{
    return QStringLiteral("1");
}

QString chiefExperts()
{
    return QStringLiteral("   9999999999");
}

QString enterpriseAttribute()
{
    return QStringLiteral("3");
}

QString pickCode(const QString &itemText)
{
    return itemText.left(3).trimmed();
}

QString codeListEntry(const QString &editText)
{
    const QString text = editText.trimmed();
    if (text.isEmpty())
        return {};
    // A code typed without its name is kept whole.
    const int blank = text.indexOf(QLatin1Char(' '));
    return (blank < 0 ? text + QLatin1Char(' ') : text.left(blank + 1)) + QLatin1Char(';');
}


QStringList splitCodeList(const QString &stored)
{
    QStringList codes;
    QString rest = stored;
    while (!rest.trimmed().isEmpty() && codes.size() < CodeListCapacity) {
        const int end = rest.indexOf(QLatin1Char(';'));
        codes << (end < 0 ? rest : rest.left(end)).trimmed();
        rest = end < 0 ? QString() : rest.mid(end + 1);
    }
    return codes;
}

EnterpriseFields enterpriseFields(const QString &attribute, const QString &ownership,
                                  bool converted)
{
    if (attribute.trimmed() != enterpriseAttribute())
        return {};
    return {ownership, converted ? QStringLiteral("1") : QStringLiteral("0")};
}

void writeUnitRow(Table &unit, const std::function<void(Table &)> &write)
{
    if (!unit.isOpen())
        unit.open();
    try {
        if (unit.isEmpty()) {
            // The registering unit's row from its first write on: every
            // export sends it by its code.
            unit.append();
            unit.setValues({{QStringLiteral("unitcode"), registeringUnitCode()},
                            {QStringLiteral("unitlevel"), unitLevel()},
                            {QStringLiteral("endlevel"), endLevel()},
                            {QStringLiteral("chiefexper"), chiefExperts()}});
        } else {
            unit.edit();
        }
        write(unit);
        unit.post();
    } catch (...) {
        if (unit.state() != DataSet::Browse)
            unit.cancel();
        throw;
    }
}

} // namespace UnitProfile
