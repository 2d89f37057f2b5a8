#include "FieldValue.h"

#include "DbError.h"
#include "GbkText.h"
#include "ValueText.h"

#include <QDate>
#include <cmath>

namespace {

[[noreturn]] void refuse(const DbfField &field, const QString &text, const QString &what)
{
    throw DbError(QStringLiteral("字段“%1”：“%2”不是有效的%3。").arg(field.name, text, what));
}

QVariant textValue(const DbfField &field, const QString &text)
{
    const QString bad = GbkText::firstUnencodable(text);
    if (!bad.isEmpty())
        throw DbError(QStringLiteral("字段“%1”中的字符“%2”无法按GBK编码保存，请改用其他字符。")
                          .arg(field.name, bad));
    return text;
}

QVariant numberValue(const DbfField &field, double number)
{
    if (field.type == 'I') {
        if (!std::isfinite(number) || std::fabs(number) > 2147483647.0)
            refuse(field, ValueText::formatNumber(number), QStringLiteral("整数"));
        return int(std::llround(number));
    }
    return number;
}

QVariant logicalFromText(const DbfField &field, const QString &text)
{
    const QString t = text.trimmed().toUpper();
    if (t == QLatin1String("T") || t == QLatin1String("Y") || t == QLatin1String("1")
        || t == QLatin1String("TRUE"))
        return true;
    if (t == QLatin1String("F") || t == QLatin1String("N") || t == QLatin1String("0")
        || t == QLatin1String("FALSE"))
        return false;
    refuse(field, text, QStringLiteral("逻辑值"));
}

} // namespace

namespace FieldValue {

QVariant fromText(const DbfField &field, const QString &text)
{
    if (field.isText())
        return text.isEmpty() ? QVariant() : textValue(field, text);
    if (text.trimmed().isEmpty())
        return {};
    switch (field.type) {
    case 'N':
    case 'F':
    case 'I': {
        double number = 0;
        if (!ValueText::parseNumber(text, &number))
            refuse(field, text, QStringLiteral("数字"));
        return numberValue(field, number);
    }
    case 'D': {
        const QDate date = ValueText::parseDate(text.trimmed());
        if (!date.isValid())
            refuse(field, text, QStringLiteral("日期"));
        return date;
    }
    case 'L':
        return logicalFromText(field, text);
    default:
        return text;
    }
}

QVariant fromVariant(const DbfField &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    const int type = value.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray)
        return fromText(field, value.toString());
    if (field.isText())
        return fromText(field, toText(value));
    if (field.isNumber() && type != QMetaType::QDate) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            refuse(field, value.toString(), QStringLiteral("数字"));
        return numberValue(field, number);
    }
    if (field.type == 'D' && type == QMetaType::QDate)
        return value;
    if (field.type == 'D' && type == QMetaType::QDateTime)
        return value.toDateTime().date();
    if (field.type == 'L' && type == QMetaType::Bool)
        return value;
    if (field.type == 'L' && value.canConvert<qlonglong>())
        return value.toLongLong() != 0;
    return fromText(field, toText(value));
}

QString toText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return ValueText::formatNumber(value.toDouble());
    case QMetaType::QDate:
        return ValueText::formatDate(value.toDate());
    case QMetaType::QDateTime:
        return ValueText::formatDate(value.toDateTime().date());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

bool isBlank(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return true;
    const int type = value.typeId();
    return (type == QMetaType::QString && value.toString().isEmpty());
}

} // namespace FieldValue
