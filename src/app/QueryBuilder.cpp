#include "QueryBuilder.h"

#include "records/data/AchievementList.h"

namespace QueryBuilder {

namespace {

const QChar Quote = QLatin1Char('\'');
// The escape character of a "包含" value; it is found as typed as well.
const QChar LikeEscape = QLatin1Char('\\');
const QString NodeSeparator = QStringLiteral("  ");
// A pick-list item begins with its code, at most three characters long.
constexpr int CodeLength = 3;

bool contains(const QString &text, const char16_t *part)
{
    return text.contains(QString::fromUtf16(part));
}

QString doubledQuotes(const QString &value)
{
    QString result = value;
    return result.replace(Quote, QStringLiteral("''"));
}

// The value with % and _ found as themselves; *escaped tells whether an
// escape character was needed.
QString literalLikeText(const QString &value, bool *escaped)
{
    QString result;
    *escaped = false;
    for (const QChar c : value) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == LikeEscape) {
            result += LikeEscape;
            *escaped = true;
        }
        result += c;
    }
    return result;
}

// The condition with every quoted value (quotes included) blanked; *open
// tells whether the text ends inside a quoted value.
QString blankedValues(const QString &condition, bool *open = nullptr)
{
    QString result = condition;
    bool inside = false;
    for (QChar &c : result) {
        if (c == Quote) {
            // A doubled quote inside a value closes and reopens it: the
            // value goes on either way.
            inside = !inside;
            c = QLatin1Char(' ');
        } else if (inside) {
            c = QLatin1Char(' ');
        }
    }
    if (open)
        *open = inside;
    return result;
}

bool isPieceCharacter(QChar c)
{
    if (c.unicode() > 0x7f)
        return false;
    const char ch = char(c.unicode());
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')
           || QByteArrayView("_()=<> \t\r\n").contains(ch);
}

// The four digits of the year; a text that has none restricts nothing.
QString yearDigits(const QString &yearText)
{
    const QString year = yearText.left(4);
    if (year.size() != 4)
        return {};
    for (const QChar c : year) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    }
    return year;
}

} // namespace

QStringList operators()
{
    return {ContainsOperator,     QStringLiteral("="),  QStringLiteral("<"),
            QStringLiteral(">"),  QStringLiteral("<="), QStringLiteral(">="),
            QStringLiteral("<>"), QString()};
}

bool isMinistryItem(const QString &itemName)
{
    return contains(itemName, u"隶属部委");
}

bool isProvinceItem(const QString &itemName)
{
    return contains(itemName, u"单位所在省市");
}

Input inputFor(const QString &itemName, int listCount, bool libraryTreePresent,
               bool subjectTreePresent)
{
    if (libraryTreePresent && contains(itemName, u"图分类号"))
        return Input::LibraryTree;
    if (subjectTreePresent && contains(itemName, u"科分类号"))
        return Input::SubjectTree;
    if (listCount >= 2 || isProvinceItem(itemName))
        return Input::CodeList;
    return Input::FreeText;
}

QString conditionValue(const QString &itemName, bool typed, const QString &typedText,
                       const QString &listText)
{
    if (!typed)
        return listText.left(CodeLength).trimmed();
    if (!contains(itemName, u"分类号"))
        return typedText;
    const int separator = typedText.indexOf(NodeSeparator);
    return (separator < 0 ? typedText : typedText.left(separator)).trimmed();
}

QString conditionPiece(const QString &field, const QString &op, const QString &value)
{
    const QString start = QLatin1Char(' ') + field;
    if (op != ContainsOperator)
        return start + QLatin1Char(' ') + op + Quote + doubledQuotes(value) + Quote;
    bool escaped = false;
    const QString pattern = QLatin1Char('%') + literalLikeText(value, &escaped) + QLatin1Char('%');
    QString piece = start + QStringLiteral(" like ") + Quote + doubledQuotes(pattern) + Quote;
    if (escaped)
        piece += QStringLiteral(" escape ") + Quote + LikeEscape + Quote;
    return piece;
}

bool parenthesesInOrder(const QString &condition)
{
    QString rest = blankedValues(condition);
    for (;;) {
        const int open = rest.indexOf(QLatin1Char('('));
        const int close = rest.indexOf(QLatin1Char(')'));
        if (open < 0 || close < 0)
            return true;
        if (close < open)
            return false;
        rest = rest.mid(close + 1);
    }
}

bool isBuiltFromPieces(const QString &condition)
{
    bool open = false;
    const QString outside = blankedValues(condition, &open);
    if (open)
        return false;
    for (const QChar c : outside) {
        if (!isPieceCharacter(c))
            return false;
    }
    return true;
}

QStringList searchSql(const QString &condition, int categoryIndex, const QString &yearText)
{
    return {QStringLiteral("select * from kjcg"), QStringLiteral(" where  ("), condition.trimmed(),
            QStringLiteral(" ) and (item_cglb='") + AchievementList::categoryCode(categoryIndex)
                + QStringLiteral("' and item_4 like '") + yearDigits(yearText)
                + QStringLiteral("%')")};
}

} // namespace QueryBuilder
