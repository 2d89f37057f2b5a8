#include "DbfFieldCodec.h"

#include "DbError.h"
#include "FieldValue.h"
#include "GbkText.h"
#include "ValueText.h"

#include <QDateTime>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\0';
}

// [first, last) without blanks on either side.
void trimBlanks(const char *&first, const char *&last)
{
    while (first < last && isBlank(*first))
        ++first;
    while (last > first && isBlank(last[-1]))
        --last;
}

QVariant readNumber(const char *bytes, int width)
{
    const char *first = bytes;
    const char *last = bytes + width;
    trimBlanks(first, last);
    if (first < last && *first == '+')
        ++first;
    if (first == last)
        return QVariant();
    double value = 0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    // "12." is how some writers leave a number with no decimals.
    const bool rest = result.ptr == last || (result.ptr + 1 == last && *result.ptr == '.');
    if (result.ec != std::errc() || !rest || !std::isfinite(value))
        return QVariant();   // e.g. "****" for a value that did not fit
    return value;
}

int digitsOf(const char *p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

QVariant readDate(const char *bytes, int width)
{
    if (width < 8)
        return QVariant();
    const QDate date(digitsOf(bytes, 4), digitsOf(bytes + 4, 2), digitsOf(bytes + 6, 2));
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant readLogical(char c)
{
    switch (c) {
    case 'T': case 't': case 'Y': case 'y':
        return true;
    case 'F': case 'f': case 'N': case 'n':
        return false;
    default:
        return QVariant();
    }
}

[[noreturn]] void refuse(const DbfField &field, const QString &kind, const QVariant &value)
{
    throw DbError(QStringLiteral("字段“%1”只能保存%2，“%3”不是%2")
                      .arg(field.name, kind, value.toString()));
}

bool isNumberType(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double: case QMetaType::Float:
    case QMetaType::Int: case QMetaType::UInt:
    case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isIntegerType(const QVariant &value)
{
    return isNumberType(value) && value.typeId() != QMetaType::Double
           && value.typeId() != QMetaType::Float;
}

bool isTextType(const QVariant &value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QChar;
}

// The text a C or M field stores for the value.
QString textOf(const DbfField &field, const QVariant &value)
{
    if (isTextType(value))
        return value.toString();
    if (isIntegerType(value))
        return value.toString();
    if (isNumberType(value))
        return ValueText::formatNumber(value.toDouble());
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime)
        return ValueText::formatDate(value.toDate());
    if (value.canConvert<QString>() && value.typeId() != QMetaType::Bool)
        return value.toString();
    refuse(field, QStringLiteral("文字"), value);
}

QByteArray gbkOf(const DbfField &field, const QString &text)
{
    bool ok = true;
    QByteArray bytes = GbkText::encode(text, &ok);
    if (!ok) {
        throw DbError(QStringLiteral("字段“%1”不能保存GBK编码以外的字符“%2”")
                          .arg(field.name, GbkText::firstUnencodable(text)));
    }
    return bytes;
}

// Text handed over as it is stored (a loader's fast path): checked, not
// converted.
bool isStoredForm(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray;
}

// Control characters have no place in a form's text, and one of them
// (0x1A) ends a memo text for every reader: stored, it would silently cut
// the text. GBK's second bytes start at 0x40, so a byte scan finds only
// real control characters.
bool isControlCharacter(uchar u)
{
    return (u < 0x20 && u != '\t' && u != '\r' && u != '\n') || u == 0x7F;
}

// Eight bytes at a time: a word with no byte below 0x20 and none equal to
// 0x7F is passed at once; only a word that may hold one (a line break
// does) is looked at byte by byte.
bool hasControlCharacters(const QByteArray &gbk)
{
    constexpr quint64 Ones = 0x0101010101010101ULL;
    constexpr quint64 Highs = 0x8080808080808080ULL;
    const char *p = gbk.constData();
    const qsizetype n = gbk.size();
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        const quint64 below = (w - 0x20 * Ones) & ~w & Highs;
        const quint64 del = w ^ (0x7F * Ones);
        if (((below | ((del - Ones) & ~del & Highs))) == 0)
            continue;
        for (int k = 0; k < 8; ++k) {
            if (isControlCharacter(uchar(p[i + k])))
                return true;
        }
    }
    for (; i < n; ++i) {
        if (isControlCharacter(uchar(p[i])))
            return true;
    }
    return false;
}

void refuseControlCharacters(const DbfField &field, const QByteArray &gbk)
{
    if (!hasControlCharacters(gbk))
        return;
    for (const char c : gbk) {
        const uchar u = uchar(c);
        if ((u < 0x20 && u != '\t' && u != '\r' && u != '\n') || u == 0x7F) {
            throw DbError(QStringLiteral("字段“%1”的内容含有控制字符（0x%2），不能保存")
                              .arg(field.name)
                              .arg(u, 2, 16, QLatin1Char('0')));
        }
    }
}

// The GBK bytes a C or M field stores for the value.
QByteArray storedText(const DbfField &field, const QVariant &value)
{
    if (!isStoredForm(value)) {
        QByteArray gbk = gbkOf(field, textOf(field, value));
        refuseControlCharacters(field, gbk);
        return gbk;
    }
    const QByteArray &gbk = *static_cast<const QByteArray *>(value.constData());
    if (!GbkText::isValid(gbk))
        throw DbError(QStringLiteral("字段“%1”的内容含有不是GBK编码的字节，不能保存").arg(field.name));
    refuseControlCharacters(field, gbk);
    return gbk;
}

void putRight(const QByteArray &text, char *bytes, int width)
{
    std::memset(bytes, ' ', size_t(width));
    std::memcpy(bytes + width - text.size(), text.constData(), size_t(text.size()));
}

// NULL for an invalid value or a blank text, else the number; refuses
// anything that is no number.
bool numberOf(const DbfField &field, const QVariant &value, double *number)
{
    if (isNumberType(value)) {
        *number = value.toDouble();
        return true;
    }
    if (isTextType(value)) {
        const QString text = value.toString();
        if (text.trimmed().isEmpty())
            return false;
        if (ValueText::parseNumber(text, number))
            return true;
    }
    refuse(field, QStringLiteral("数值"), value);
}

QByteArray numberText(const DbfField &field, double number)
{
    if (!std::isfinite(number))
        refuse(field, QStringLiteral("数值"), number);
    QByteArray text = field.decimals > 0 ? QByteArray::number(number, 'f', field.decimals)
                                         : QByteArray::number(std::round(number), 'f', 0);
    if (text.startsWith('-') && text.count('0') + text.count('.') == text.size() - 1)
        text.remove(0, 1);   // no "-0.00"
    if (text.size() > field.width) {
        throw DbError(QStringLiteral("数值%1超出了字段“%2”的宽度（%3位）")
                          .arg(ValueText::formatNumber(number), field.name)
                          .arg(field.width));
    }
    return text;
}

void writeNumber(const DbfField &field, const QVariant &value, char *bytes)
{
    double number = 0;
    if (!numberOf(field, value, &number))
        std::memset(bytes, ' ', size_t(field.width));
    else
        putRight(numberText(field, number), bytes, field.width);
}

void writeInteger(const DbfField &field, const QVariant &value, char *bytes)
{
    double number = 0;
    if (!numberOf(field, value, &number)) {
        std::memset(bytes, 0, size_t(field.width));
        return;
    }
    const double rounded = std::round(number);
    if (rounded < std::numeric_limits<qint32>::min()
        || rounded > std::numeric_limits<qint32>::max() || field.width != 4) {
        throw DbError(QStringLiteral("数值%1超出了字段“%2”的范围")
                          .arg(ValueText::formatNumber(number), field.name));
    }
    qToLittleEndian<qint32>(qint32(rounded), bytes);
}

void writeDate(const DbfField &field, const QVariant &value, char *bytes)
{
    QDate date;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        date = value.toDate();
    } else if (isTextType(value)) {
        const QString text = value.toString().trimmed();
        if (!text.isEmpty()) {
            date = ValueText::parseDate(text);
            if (!date.isValid())
                refuse(field, QStringLiteral("日期"), value);
        }
    } else {
        refuse(field, QStringLiteral("日期"), value);
    }
    std::memset(bytes, ' ', size_t(field.width));
    if (date.isValid() && field.width >= 8) {
        const QByteArray text = QByteArray::number(date.year()).rightJustified(4, '0')
                                + QByteArray::number(date.month()).rightJustified(2, '0')
                                + QByteArray::number(date.day()).rightJustified(2, '0');
        std::memcpy(bytes, text.constData(), 8);
    }
}

void writeLogical(const DbfField &field, const QVariant &value, char *bytes)
{
    std::memset(bytes, ' ', size_t(field.width));
    if (value.typeId() == QMetaType::Bool || isNumberType(value)) {
        bytes[0] = value.toBool() ? 'T' : 'F';
        return;
    }
    if (!isTextType(value))
        refuse(field, QStringLiteral("逻辑值"), value);
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return;
    const QVariant logical = readLogical(text.size() == 1 ? char(text[0].unicode()) : '?');
    if (!logical.isValid())
        refuse(field, QStringLiteral("逻辑值"), value);
    bytes[0] = logical.toBool() ? 'T' : 'F';
}

void writeText(const DbfField &field, const QVariant &value, char *bytes)
{
    std::memset(bytes, ' ', size_t(field.width));
    const QByteArray gbk = GbkText::cutBytes(storedText(field, value), field.width);
    std::memcpy(bytes, gbk.constData(), size_t(gbk.size()));
}

// A decimal as a file brings it ([sign] digits [. digits], blanks around),
// split into its parts; false for any other form.
struct Decimal
{
    bool negative = false;
    QByteArrayView whole;      // without leading zeros
    QByteArrayView fraction;
};

qsizetype digitRun(QByteArrayView text, qsizetype from)
{
    qsizetype to = from;
    while (to < text.size() && text[to] >= '0' && text[to] <= '9')
        ++to;
    return to;
}

bool splitDecimal(QByteArrayView text, Decimal *decimal)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        decimal->negative = text[i++] == '-';
    qsizetype wholeEnd = digitRun(text, i);
    qsizetype fractionEnd = wholeEnd;
    if (wholeEnd < text.size() && text[wholeEnd] == '.')
        fractionEnd = digitRun(text, wholeEnd + 1);
    if (fractionEnd != text.size() || (wholeEnd == i && fractionEnd <= wholeEnd + 1))
        return false;
    while (i < wholeEnd && text[i] == '0')
        ++i;
    decimal->whole = text.sliced(i, wholeEnd - i);
    const qsizetype fraction = qMin(wholeEnd + 1, fractionEnd);
    decimal->fraction = text.sliced(fraction, fractionEnd - fraction);
    return true;
}

// A decimal that the field's decimals hold without rounding, with at most
// 15 digits shown, is exactly what numberText() makes of its double: the
// digits as they are, the fraction padded with zeros.
bool writeDecimal(const DbfField &field, QByteArrayView text, char *bytes)
{
    Decimal d;
    if (!splitDecimal(text, &d) || d.fraction.size() > field.decimals || d.whole.size() + field.decimals > 15)
        return false;
    char digits[40];
    qsizetype n = 0;
    const bool zero = d.whole.isEmpty()
                      && std::all_of(d.fraction.begin(), d.fraction.end(), [](char c) { return c == '0'; });
    if (d.negative && !zero)
        digits[n++] = '-';   // no "-0.00"
    if (d.whole.isEmpty())
        digits[n++] = '0';
    std::memcpy(digits + n, d.whole.data(), size_t(d.whole.size()));
    n += d.whole.size();
    if (field.decimals > 0) {
        digits[n++] = '.';
        std::memcpy(digits + n, d.fraction.data(), size_t(d.fraction.size()));
        std::memset(digits + n + d.fraction.size(), '0', size_t(field.decimals - d.fraction.size()));
        n += field.decimals;
    }
    if (n > field.width)
        return false;   // refused with the message of the long way
    std::memset(bytes, ' ', size_t(field.width - n));
    std::memcpy(bytes + field.width - n, digits, size_t(n));
    return true;
}

bool writeDateText(const DbfField &field, QByteArrayView text, char *bytes)
{
    QDate date;
    if (!ValueText::parseDate(text, &date) || !date.isValid())
        return false;
    writeDate(field, date, bytes);
    return true;
}

// The plain forms of numbers and dates, read straight from the bytes;
// false for whatever needs the long way (which also refuses).
bool writePlainText(const DbfField &field, QByteArrayView gbk, char *bytes)
{
    if (!ValueText::isAscii(gbk))
        return false;
    const QByteArrayView text = ValueText::trimmedAscii(gbk);
    if (text.isEmpty() && field.type != 'I') {
        std::memset(bytes, ' ', size_t(field.width));
        return true;
    }
    if (field.type == 'N' || field.type == 'F')
        return writeDecimal(field, text, bytes);
    if (field.type == 'D')
        return writeDateText(field, text, bytes);
    return false;
}

} // namespace

namespace DbfFieldCodec {

void writeFromText(const DbfField &field, QByteArrayView gbk, char *bytes)
{
    if (!writePlainText(field, gbk, bytes))
        write(field, FieldValue::fromText(field, GbkText::decode(gbk.data(), int(gbk.size()))), bytes);
}


void refuseControlCharacters(const DbfField &field, const QByteArray &gbk)
{
    ::refuseControlCharacters(field, gbk);
}

QString readText(const char *bytes, int width)
{
    const QByteArrayView text = textBytes(bytes, width);
    if (text.isEmpty())
        return QStringLiteral("");
    return GbkText::decode(text.data(), int(text.size()));
}

QByteArrayView textBytes(const char *bytes, int width)
{
    // Wide fields are mostly padding: eight bytes at a time while all are
    // blank or zero (the bytes whose only bit may be 0x20).
    constexpr quint64 NonBlankBits = ~0x2020202020202020ULL;
    const char *last = bytes + width;
    for (quint64 word; last - bytes >= 8; last -= 8) {
        std::memcpy(&word, last - 8, 8);
        if (word & NonBlankBits)
            break;
    }
    while (last > bytes && isBlank(last[-1]))
        --last;
    return QByteArrayView(bytes, last - bytes);
}

// The decimal's digits, dropped zeros aside, are the double's first 15
// digits, which formatNumber gives back unchanged; a zero fraction goes
// with its point, as formatNumber leaves none for whole numbers.
bool plainNumberText(const char *bytes, int width, QByteArrayView *text)
{
    const char *first = bytes;
    const char *last = bytes + width;
    trimBlanks(first, last);
    const char *digits = first < last && *first == '-' ? first + 1 : first;
    const char *point = digits;
    while (point < last && *point >= '0' && *point <= '9')
        ++point;
    const qsizetype whole = point - digits;
    if (whole == 0 || (whole > 1 && *digits == '0')) {
        *text = {};
        return first == last;   // blank
    }
    const char *end = point;
    if (point < last) {
        if (*point != '.')
            return false;
        for (const char *p = point + 1; p < last; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            if (*p != '0')
                end = p + 1;
        }
    }
    const qsizetype fraction = end > point ? end - point - 1 : 0;
    if (whole == 1 && *digits == '0') {
        if (fraction == 0) {
            *text = QByteArrayView("0");   // also for -0
            return true;
        }
        // 0.0001 keeps its fixed form; 0.00001 is 1E-5.
        const qsizetype zeros = qsizetype(std::find_if(point + 1, end, [](char c) { return c != '0'; }) - point - 1);
        if (zeros > 3 || fraction - zeros > 15)
            return false;
    } else if (whole + fraction > 15) {
        return false;
    }
    *text = QByteArrayView(first, end);
    return true;
}

QVariant read(const DbfField &field, const char *bytes)
{
    switch (field.type) {
    case 'N': case 'F':
        return readNumber(bytes, field.width);
    case 'D':
        return readDate(bytes, field.width);
    case 'L':
        return field.width > 0 ? readLogical(bytes[0]) : QVariant();
    case 'I':
        return field.width == 4 ? QVariant(qFromLittleEndian<qint32>(bytes)) : QVariant();
    default:
        return readText(bytes, field.width);
    }
}

void write(const DbfField &field, const QVariant &value, char *bytes)
{
    if (!value.isValid() || value.isNull()) {
        std::memset(bytes, field.type == 'I' ? 0 : ' ', size_t(field.width));
        return;
    }
    switch (field.type) {
    case 'C':
        return writeText(field, value, bytes);
    case 'N': case 'F':
        return writeNumber(field, value, bytes);
    case 'I':
        return writeInteger(field, value, bytes);
    case 'D':
        return writeDate(field, value, bytes);
    case 'L':
        return writeLogical(field, value, bytes);
    default:
        throw DbError(QStringLiteral("字段“%1”的类型（%2）不能写入")
                          .arg(field.name, QString(QLatin1Char(field.type))));
    }
}

QByteArray memoBytes(const DbfField &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QByteArray();
    return storedText(field, value);
}

} // namespace DbfFieldCodec
