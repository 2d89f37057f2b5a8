#include "ValueText.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace ValueText {

// std::to_chars and std::from_chars are independent of the C locale, which
// the application sets from the desktop at start-up.
QString formatNumber(double value)
{
    char buf[NumberRoom];
    const char *end = formatNumber(value, buf);
    return QString::fromLatin1(buf, end - buf);
}

char *formatNumber(double value, char *out)
{
    if (!std::isfinite(value))
        return out;
    if (value == 0) {
        *out = '0';   // also for -0
        return out + 1;
    }
    // Whole numbers below 1E+15 read the same in the general form; most
    // stored numbers are such, and writing an integer costs far less.
    if (std::fabs(value) < 1e15 && std::trunc(value) == value)
        return std::to_chars(out, out + NumberRoom, qint64(value)).ptr;
    char *end = std::to_chars(out, out + NumberRoom, value, std::chars_format::general, 15).ptr;
    char *e = std::find(out, end, 'e');
    if (e == end)
        return end;
    // "1e-05" -> "1E-5", "1e+15" -> "1E+15"
    *e = 'E';
    char *digits = e + 2;
    char *firstKept = digits;
    while (firstKept + 1 < end && *firstKept == '0')
        ++firstKept;
    return std::copy(firstKept, end, digits);
}

bool parseNumber(const QString &text, double *value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    std::string s;
    s.reserve(size_t(trimmed.size()));
    for (const QChar ch : trimmed) {
        if (ch.unicode() >= 0x80)
            return false;
        s.push_back(char(ch.unicode()));
    }
    size_t start = 0;
    if (s[0] == '+')
        start = 1;   // from_chars takes "-" but not "+"
    const size_t first = start + (s[start] == '-' ? 1 : 0);
    if (first >= s.size() || !(std::isdigit(uchar(s[first])) || s[first] == '.'))
        return false;   // no "inf", "nan" or "+-1"
    if (start == 1 && s[1] == '-')
        return false;
    double parsed = 0;
    const char *end = s.data() + s.size();
    const auto result = std::from_chars(s.data() + start, end, parsed,
                                        std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
        return false;
    if (value)
        *value = parsed;
    return true;
}

QString formatDate(const QDate &date)
{
    char buf[DateRoom];
    const char *end = formatDate(date, buf);
    return QString::fromLatin1(buf, end - buf);
}

char *formatDate(const QDate &date, char *out)
{
    if (!date.isValid())
        return out;
    char *end = out + DateRoom;
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    out = std::to_chars(out, end, year).ptr;
    *out++ = '-';
    out = std::to_chars(out, end, month).ptr;
    *out++ = '-';
    return std::to_chars(out, end, day).ptr;
}

QDate parseDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})([-/.])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return QDate();
    return QDate(match.captured(1).toInt(), match.captured(3).toInt(),
                 match.captured(4).toInt());
}

namespace {

bool isAsciiBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The number the digits [from, from + count) make; -1 when one is no digit.
int digitsAt(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

QByteArrayView trimmedAscii(QByteArrayView text)
{
    while (!text.isEmpty() && isAsciiBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isAsciiBlank(text.back()))
        text.chop(1);
    return text;
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

bool parseDate(QByteArrayView ascii, QDate *date)
{
    if (!isAscii(ascii))
        return false;
    const QByteArrayView text = trimmedAscii(ascii);
    *date = QDate();
    // yyyy, a separator, one or two digits, the same separator, one or two digits
    const char separator = text.size() >= 8 ? text[4] : '\0';
    if (separator != '-' && separator != '/' && separator != '.')
        return true;
    const qsizetype second = text.indexOf(separator, 5);
    const qsizetype monthDigits = second - 5;
    const qsizetype dayDigits = text.size() - second - 1;
    if (second < 0 || monthDigits < 1 || monthDigits > 2 || dayDigits < 1 || dayDigits > 2)
        return true;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, monthDigits);
    const int day = digitsAt(text, second + 1, dayDigits);
    if (year >= 0 && month >= 0 && day >= 0)
        *date = QDate(year, month, day);
    return true;
}

} // namespace ValueText
