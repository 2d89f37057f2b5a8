#pragma once
#include <QByteArrayView>
#include <QDate>
#include <QString>

// The program's fixed text forms of numbers and dates, independent of the
// desktop's locale: what fields give "as text", what the exchange files hold.
namespace ValueText {

// Shortest general form with 15 significant digits, "." as decimal point,
// no trailing zeros: 12.5, 100, 0.3; exponent form only for very small or
// very large magnitudes (1E-5, 1E+15).
QString formatNumber(double value);
// The same written at out, which has room for NumberRoom characters;
// returns the end of the text.
constexpr int NumberRoom = 32;
char *formatNumber(double value, char *out);
// Parses a number as typed or exchanged (blanks around allowed, "," not).
bool parseNumber(const QString &text, double *value);

// Short date format "yyyy-M-d".
QString formatDate(const QDate &date);
// The same written at out, which has room for DateRoom characters;
// returns the end of the text (out itself for an invalid date).
constexpr int DateRoom = 32;
char *formatDate(const QDate &date, char *out);
// Accepts yyyy-M-d with "-", "/" or "." separators and zero-padded parts;
// an invalid QDate when the text is no such date.
QDate parseDate(const QString &text);
// The same for text as a file holds it, when it is ASCII: false (date
// untouched) when it holds other bytes, which only the decoded text can
// tell (a full-width blank around the date is still a blank).
bool parseDate(QByteArrayView ascii, QDate *date);
// Blanks and line ends on either side taken off, as QString::trimmed()
// does for ASCII.
QByteArrayView trimmedAscii(QByteArrayView text);
bool isAscii(QByteArrayView text);

} // namespace ValueText
