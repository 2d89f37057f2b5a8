#include "AchievementList.h"

#include "records/data/ChildRows.h"

#include "engine/DataSet.h"
#include "engine/Database.h"

#include <QSet>

namespace AchievementList {

QStringList categoryNames()
{
    return {QStringLiteral("应用技术"), QStringLiteral("软科学"), QStringLiteral("基础理论")};
}

QString categoryCode(int categoryIndex)
{
    return QString::number(categoryIndex + 1);
}

QString listSql(int categoryIndex, const QString &yearText)
{
    if (categoryIndex < 0 || categoryIndex > 2)
        return {};
    const QString year = Database::escapeSql(yearText.left(4).trimmed());
    return QStringLiteral("select * from kjcg where item_cglb='") + categoryCode(categoryIndex)
           + QStringLiteral("' and item_4 like '") + year + QStringLiteral("%'");
}

QString ruleFilter(int categoryIndex)
{
    return categoryIndex == 0 ? QStringLiteral("lb='a' or lb='1'")
                              : QStringLiteral("lb='a' or lb='2'");
}

static bool isYear(const QString &year)
{
    if (year.size() < 4)
        return false;
    bool ok = false;
    year.toInt(&ok);
    return ok;
}

QStringList yearsOf(const QStringList &item4Values)
{
    QStringList years;
    QString previous;
    for (const QString &value : item4Values) {
        const QString year = value.trimmed().left(4);
        if (year == previous)
            continue;
        previous = year;
        if (isYear(year))
            years << year;
    }
    return years;
}

const QList<Section> &sections()
{
    static const QList<Section> list = {
        {QStringLiteral("btn_page01"), QStringLiteral("成果概况"), QStringLiteral("TFpage1"), false,
         QStringLiteral("成果概况没有填完,是否以后再填写该项目？")},
        {QStringLiteral("btn_page02"), QStringLiteral("知识产权，成果应用情况"),
         QStringLiteral("TFpage2"), true,
         QStringLiteral("知识产权，成果应用情况没有填完,是否以后再填写该项目？")},
        {QStringLiteral("btn_page03"), QStringLiteral("课题立项，评价情况"), QStringLiteral("TFpage3"),
         false, QStringLiteral("课题立项，评价没有填完,是否以后再填写该项目？")},
        {QStringLiteral("btn_page04"), QStringLiteral("第一完成单位情况"), QStringLiteral("TFpage4"),
         false, QStringLiteral("第一完成单位情况没有填完,是否以后再填写该项目？")},
        {QStringLiteral("btn_page05"), QStringLiteral("合作完成单位情况"), QStringLiteral("TFpage5"),
         false, {}},
        {QStringLiteral("btn_page07"), QStringLiteral("评价委员会名单"), QStringLiteral("TFpage7"),
         false, {}},
        {personsButton(), QStringLiteral("成果完成人员名单"), QStringLiteral("TFpage8"), false,
         QStringLiteral("成果完成人员名单没有填完,是否以后再填写该项目？？")},
        {QStringLiteral("btn_page09"), QStringLiteral("鉴定证书内容"), QStringLiteral("TFpage9"),
         false, {}},
    };
    return list;
}

bool belongsTo(const Section &section, const QString &category)
{
    return !section.appliedOnly || category == QLatin1String("1");
}

QString buttonOfRule(const QString &ruleButton)
{
    const QString code = ruleButton.trimmed();
    if (code == QLatin1String("01") || code == QLatin1String("02") || code == QLatin1String("03")
        || code == QLatin1String("04"))
        return QStringLiteral("btn_page") + code;
    return {};
}

QString personsButton()
{
    return QStringLiteral("btn_page08");
}

static QSet<QString> sectionsWithEmptyFields(Query &rules, const DataSet &record, int categoryIndex)
{
    rules.close();
    rules.setSql(QStringList{QStringLiteral("select * from checkup where "), ruleFilter(categoryIndex)});
    rules.open();
    QSet<QString> buttons;
    for (rules.first(); !rules.eof(); rules.next()) {
        if (record.isNull(rules.asString(QStringLiteral("id")).trimmed()))
            buttons.insert(buttonOfRule(rules.asString(QStringLiteral("button"))));
    }
    return buttons;
}

// The persons are counted by the record's key, so that no persons table a
// window shows is filtered or moved.
static bool hasPersons(const DataSet &record)
{
    const Numbering::RecordKey key{record.asString(QStringLiteral("ITEM_4")).trimmed(),
                                   record.asString(QStringLiteral("ITEM_DQDM")).trimmed()};
    return ChildRows::count(record.database(), ChildRows::Kind::Persons, key) > 0;
}

QStringList sectionsNotDone(Query &rules, const DataSet &record, int categoryIndex)
{
    if (!record.isOpen() || record.isEmpty())
        return {};
    QSet<QString> notDone = sectionsWithEmptyFields(rules, record, categoryIndex);
    if (!hasPersons(record))
        notDone.insert(personsButton());
    QStringList inPanelOrder;
    for (const Section &s : sections()) {
        if (notDone.contains(s.button))
            inPanelOrder << s.button;
    }
    return inPanelOrder;
}

QStringList requiredButtons(const QString &category)
{
    QStringList buttons;
    for (const Section &s : sections()) {
        if (!s.closeQuestion.isEmpty() && belongsTo(s, category))
            buttons << s.button;
    }
    return buttons;
}

bool isComplete(const QString &category, const QHash<QString, bool> &done)
{
    for (const QString &button : requiredButtons(category)) {
        if (!done.value(button, true))
            return false;
    }
    return true;
}

QString closeQuestion(const QString &category, const QHash<QString, bool> &done)
{
    for (const Section &s : sections()) {
        if (!s.closeQuestion.isEmpty() && belongsTo(s, category) && !done.value(s.button, true))
            return s.closeQuestion;
    }
    return {};
}

Filter recordKeyFilter(const QString &item4, const QString &itemDqdm)
{
    return Filter::exact({{QStringLiteral("item_4"), item4}, {QStringLiteral("item_dqdm"), itemDqdm}});
}

} // namespace AchievementList
