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
    return text.left(text.indexOf(QLatin1Char(' ')) + 1) + QLatin1Char(';');
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

const QList<RequiredText> &requiredTexts()
{
    static const QList<RequiredText> texts = {
        {QStringLiteral("edt_9"), QStringLiteral("\"单位名称\"不能为空！")},
        {QStringLiteral("Edt_37"), QStringLiteral("\"通讯地址\"不能为空！")},
        {QStringLiteral("Edt_38"), QStringLiteral("\"邮政编码\"不能为空！")},
        {QStringLiteral("edt_420"), QStringLiteral("\"单位法人\"不能为空！")},
        {QStringLiteral("Edt_39"), QStringLiteral("\"单位电话\"不能为空！")},
        {QStringLiteral("Edt_40"), QStringLiteral("\"单位传真\"不能为空！")},
        {QStringLiteral("Memo3"), QStringLiteral("\"单位简介\"不能为空！")},
        {QStringLiteral("Edt_41"), QStringLiteral("\"联系部门\"不能为空！")},
        {QStringLiteral("Edt_41_2"), QStringLiteral("\"联系部门电话\"不能为空！")},
    };
    return texts;
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
