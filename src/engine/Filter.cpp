#include "Filter.h"

#include "DbError.h"
#include "FieldValue.h"

#include <QDate>
#include <QStringList>

namespace {

QString trimRight(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == QLatin1Char(' '))
        --n;
    return text.left(n);
}

// A cursor over the filter text; each reader returns false when the text
// at the cursor is not what it reads.
class Reader
{
public:
    explicit Reader(const QString &text) : m_text(text) {}

    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_text.size();
    }

    bool name(QString *out)
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size()
               && (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == QLatin1Char('_')))
            ++m_pos;
        *out = m_text.mid(start, m_pos - start);
        return !out->isEmpty() && !out->front().isDigit();
    }

    bool symbol(QChar c)
    {
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    bool quoted(QString *out)
    {
        if (!symbol(QLatin1Char('\'')))
            return false;
        out->clear();
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c != QLatin1Char('\'')) {
                out->append(c);
            } else if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\'')) {
                out->append(c);
                ++m_pos;
            } else {
                return true;
            }
        }
        return false;  // no closing quote
    }

    bool digits(QString *out)
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit())
            ++m_pos;
        *out = m_text.mid(start, m_pos - start);
        return !out->isEmpty()
               && (m_pos >= m_text.size() || !m_text[m_pos].isLetter());
    }

    // " and " between comparisons, in any letter case.
    bool andWord()
    {
        skipBlanks();
        if (m_text.mid(m_pos, 3).compare(QLatin1String("and"), Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype after = m_pos + 3;
        if (after < m_text.size() && (m_text[after].isLetterOrNumber() || m_text[after] == QLatin1Char('_')))
            return false;
        m_pos = after;
        return true;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

[[noreturn]] void badFilter(const QString &expression, const QString &why)
{
    throw DbError(QStringLiteral("过滤条件“%1”有误：%2").arg(expression, why));
}

Filter::Condition readCondition(Reader &reader, const QString &expression)
{
    Filter::Condition condition;
    if (!reader.name(&condition.field))
        badFilter(expression, QStringLiteral("缺少字段名。"));
    if (!reader.symbol(QLatin1Char('=')))
        badFilter(expression, QStringLiteral("字段“%1”后面应为“=”。").arg(condition.field));
    QString value;
    if (reader.quoted(&value)) {
        if (value.endsWith(QLatin1Char('*'))) {
            condition.prefix = true;
            value.chop(1);
        }
    } else if (!reader.digits(&value)) {
        badFilter(expression, QStringLiteral("字段“%1”的比较值应放在单引号中。").arg(condition.field));
    }
    condition.text = condition.prefix ? value : trimRight(value);
    return condition;
}

} // namespace

Filter Filter::parse(const QString &expression)
{
    Filter filter;
    filter.m_text = expression;
    Reader reader(expression);
    if (reader.atEnd())
        return filter;
    for (;;) {
        filter.m_conditions.append(readCondition(reader, expression));
        if (reader.atEnd())
            break;
        if (!reader.andWord())
            badFilter(expression, QStringLiteral("条件之间只能用“and”连接。"));
    }
    return filter;
}

Filter Filter::exact(const QList<std::pair<QString, QString>> &fieldValues)
{
    Filter filter;
    QStringList parts;
    for (const auto &[field, value] : fieldValues) {
        filter.m_conditions.append(Condition{field, trimRight(value), false});
        parts.append(field + QStringLiteral("='") + QString(value).replace(QLatin1Char('\''), QLatin1String("''"))
                     + QLatin1Char('\''));
    }
    filter.m_text = parts.join(QLatin1String(" and "));
    return filter;
}

void Filter::bind(const DbfFile &file)
{
    const QString &expression = m_text;
    m_bound.clear();
    for (const Condition &condition : std::as_const(m_conditions)) {
        Bound bound;
        bound.field = file.fieldIndex(condition.field);
        if (bound.field < 0)
            badFilter(expression, QStringLiteral("表“%1”中没有字段“%2”。")
                                      .arg(file.tableName(), condition.field));
        const DbfField &field = file.field(bound.field);
        bound.text = field.isText() || condition.prefix;
        if (!bound.text) {
            try {
                bound.value = FieldValue::fromText(field, condition.text);
            } catch (const DbError &e) {
                badFilter(expression, e.message());
            }
        }
        m_bound.append(bound);
    }
}

bool Filter::matchesValue(int condition, const QVariant &stored) const
{
    const Condition &c = m_conditions[condition];
    const Bound &b = m_bound[condition];
    if (b.text) {
        const QString text = trimRight(FieldValue::toText(stored));
        return c.prefix ? text.startsWith(c.text) : text == c.text;
    }
    if (FieldValue::isBlank(b.value) || FieldValue::isBlank(stored))
        return FieldValue::isBlank(b.value) == FieldValue::isBlank(stored);
    if (b.value.typeId() == QMetaType::QDate)
        return stored.toDate() == b.value.toDate();
    if (b.value.typeId() == QMetaType::Bool)
        return stored.toBool() == b.value.toBool();
    return stored.toDouble() == b.value.toDouble();
}

bool Filter::matches(const DbfFile &file, int recno) const
{
    for (int i = 0; i < m_conditions.size(); ++i) {
        if (!matchesValue(i, file.value(recno, m_bound[i].field)))
            return false;
    }
    return true;
}

bool Filter::matches(const QList<QVariant> &record) const
{
    for (int i = 0; i < m_conditions.size(); ++i) {
        if (!matchesValue(i, record.value(m_bound[i].field)))
            return false;
    }
    return true;
}
