#include "PersonRules.h"

#include "records/forms/EntryRoutines.h"

#include <QHash>

namespace TitleCode {

QString ofItem(const QString &itemText)
{
    const QString code = CodeOfItem(itemText);
    if (code.size() == 2 && code.at(0) == QLatin1Char('1') && code.at(1) >= QLatin1Char('a')
        && code.at(1) <= QLatin1Char('c'))
        return code.mid(1);
    return code;
}

int itemIndex(const QStringList &items, const QString &stored)
{
    const QString code = stored.trimmed();
    if (code.isEmpty())
        return -1;
    int found = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i) != QLatin1String(" ") && ofItem(items.at(i)) == code)
            found = i;
    }
    return found;
}

} // namespace TitleCode

namespace PersonCodes {

namespace {

using CodeTexts = QList<std::pair<QString, QString>>;

// The codes of a field with their texts, in the order the grid offers them.
const CodeTexts &codeTextsOf(const QString &field)
{
    static const CodeTexts none;
    static const CodeTexts sexes = {{QStringLiteral("0"), QStringLiteral("男")},
                                    {QStringLiteral("1"), QStringLiteral("女")}};
    static const CodeTexts titles = {
        {QStringLiteral("1"), QStringLiteral("院士")},     {QStringLiteral("2"), QStringLiteral("正高")},
        {QStringLiteral("3"), QStringLiteral("副高")},     {QStringLiteral("4"), QStringLiteral("中级")},
        {QStringLiteral("5"), QStringLiteral("初级")},     {QStringLiteral("9"), QStringLiteral("其他")},
        {QStringLiteral("a"), QStringLiteral("两院院士")}, {QStringLiteral("b"), QStringLiteral("中科院院士")},
        {QStringLiteral("c"), QStringLiteral("工程院院士")}};
    static const CodeTexts educations = {
        {QStringLiteral("2"), QStringLiteral("博士研究生")}, {QStringLiteral("3"), QStringLiteral("硕士研究生")},
        {QStringLiteral("4"), QStringLiteral("大本")},       {QStringLiteral("5"), QStringLiteral("大专")},
        {QStringLiteral("6"), QStringLiteral("中专")},       {QStringLiteral("9"), QStringLiteral("其他")}};
    static const CodeTexts abroad = {{QStringLiteral("1"), QStringLiteral("是")},
                                     {QStringLiteral("0"), QStringLiteral("否")}};
    const QString f = field.toLower();
    if (f == QLatin1String("item_181") || f == QLatin1String("item_193"))
        return sexes;
    if (f == QLatin1String("item_183") || f == QLatin1String("item_198"))
        return titles;
    if (f == QLatin1String("item_184"))
        return educations;
    if (f == QLatin1String("item_188"))
        return abroad;
    return none;
}

} // namespace

QString textOf(const QString &field, const QString &code)
{
    const QString c = code.trimmed();
    for (const auto &[known, text] : codeTextsOf(field)) {
        if (known == c)
            return text;
    }
    return {};
}

QStringList choicesOf(const QString &field)
{
    QStringList choices;
    for (const auto &[code, text] : codeTextsOf(field))
        choices << code + QLatin1Char(' ') + text;
    return choices;
}

} // namespace PersonCodes

namespace PersonBirth {

QDate earliest()
{
    return QDate(1900, 1, 1);
}

QDate latest(const QDate &today)
{
    return today;
}

QDate defaultFor(const QDate &today)
{
    const QDate preset = today.addDays(-10950);
    return qBound(earliest(), preset, latest(today));
}

QString textOf(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy.MM"));
}

std::optional<QDate> dateOf(const QString &stored)
{
    const QString text = stored.trimmed();
    bool yearOk = false;
    bool monthOk = false;
    const int year = text.left(4).toInt(&yearOk);
    const int month = text.mid(5, 2).trimmed().toInt(&monthOk);
    const QDate date(year, monthOk ? month : 0, 1);
    if (!yearOk || !monthOk || !date.isValid())
        return std::nullopt;
    return date;
}

} // namespace PersonBirth

namespace CommitteeRole {

QStringList roles()
{
    return {chairman(), QStringLiteral("副主任委员"), member()};
}

QString chairman()
{
    return QStringLiteral("主任委员");
}

QString member()
{
    return QStringLiteral("委员");
}

QString rankOf(const QString &role)
{
    const int at = roles().indexOf(role.trimmed());
    return at < 0 ? QString() : QString::number(at + 1);
}

} // namespace CommitteeRole

namespace PersonRegister {

Action actionFor(int rowsWithName)
{
    if (rowsWithName == 0)
        return Action::Add;
    return rowsWithName == 1 ? Action::Overwrite : Action::Leave;
}

} // namespace PersonRegister
