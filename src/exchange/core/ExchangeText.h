#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <cstring>

// The line format of the exchange text files, as pure functions over texts
// and bytes: no files, no tables.
//
// A line holds the values of one row separated by TAB and ends with CR LF.
// A value that holds a TAB or a line break, or begins with a double quote,
// is written in double quotes with its inner quotes doubled; it may then
// span several physical lines. How the last value of a line is written
// depends on the file (LastValue).

// The text with every double quote doubled.
QString EscapeTextQuotes(const QString &text);
// The number of double quotes in the text.
int CountQuoteChars(const QString &text);
// The text with each pair of double quotes replaced by one.
QString UnescapeDoubledQuotes(const QString &text);

namespace ExchangeText {

// How the last value of a line is written.
enum class LastValue {
    Plain,        // unchanged, never quoted (CGWCDW, JDWYHMD, ZLQK, EXPERT)
    Flag188,      // "1" when the text is "1", else "0" (CGWCR's ITEM_188)
    TrailingTab,  // like every other value, followed by its TAB (KJCG)
    Quoted,       // always in quotes (UNIT)
};

// Characters below a blank other than TAB, CR and LF, and DEL (a vertical
// tab is what a word processor puts for a line break in pasted text): the
// data layer stores none of them (0x1A would end a memo text), so the
// exchange passes each on as a blank. GBK trail bytes are never below 0x40
// nor 0x7F, so in GBK text such a byte is that character. Returns how many
// were made blanks.
int blankControlCharacters(char *gbk, qsizetype size);
// The same over a value, which is copied only when it holds one.
int blankControlCharacters(QByteArray &gbk);

// The value as it stands in a line: quoted when it must be.
QString quoteValue(const QString &value);
// One line without its CR LF.
QString joinLine(const QStringList &values, LastValue last);

// The writing rules, once for text (QStringView) and for GBK bytes
// (QByteArrayView): GBK trail bytes are never below 0x40, so a TAB, CR, LF
// or double quote met byte by byte is that character, and stored text can
// be written without decoding it. put(view) takes a piece of a value,
// put(char) a character of the line's own (quote, TAB, blank, flag).
namespace LineRules {

inline char16_t unitAt(QStringView v, qsizetype i) { return v[i].unicode(); }
inline char16_t unitAt(QByteArrayView v, qsizetype i) { return uchar(v[i]); }

// Values shorter than this are looked at unit by unit: most are codes and
// names, for which a call of memchr costs more than it saves.
constexpr qsizetype ShortValue = 32;

inline bool isSeparator(char16_t c)
{
    return c <= u'\r' && (c == u'\t' || c == u'\r' || c == u'\n');
}

// Where the first c at or after from is; the size of v when there is none.
inline qsizetype findUnit(QStringView v, char16_t c, qsizetype from)
{
    const qsizetype at = v.indexOf(QChar(c), from);
    return at < 0 ? v.size() : at;
}

inline qsizetype findUnit(QByteArrayView v, char16_t c, qsizetype from)
{
    if (v.size() - from < ShortValue) {
        while (from < v.size() && uchar(v[from]) != c)
            ++from;
        return qMin(from, v.size());
    }
    const void *hit = std::memchr(v.data() + from, int(c), size_t(v.size() - from));
    return hit ? static_cast<const char *>(hit) - v.data() : v.size();
}

template <typename View>
qsizetype nextSeparator(View v, qsizetype from)
{
    return std::min({findUnit(v, u'\t', from), findUnit(v, u'\r', from), findUnit(v, u'\n', from)});
}

// Line breaks first in a long value: a memo text that has any has one early.
template <typename View>
bool hasSeparator(View v)
{
    if (v.size() < ShortValue) {
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (isSeparator(unitAt(v, i)))
                return true;
        }
        return false;
    }
    return findUnit(v, u'\r', 0) < v.size() || findUnit(v, u'\n', 0) < v.size()
           || findUnit(v, u'\t', 0) < v.size();
}

template <typename View>
bool needsQuotes(View v)
{
    return (!v.isEmpty() && unitAt(v, 0) == u'"') || hasSeparator(v);
}

// The value in quotes with its inner quotes doubled.
template <typename View, typename Put>
void putQuoted(View v, Put &&put)
{
    put('"');
    qsizetype from = 0;
    for (qsizetype at = findUnit(v, u'"', 0); at < v.size(); at = findUnit(v, u'"', from)) {
        put(v.sliced(from, at + 1 - from));
        put('"');
        from = at + 1;
    }
    put(v.sliced(from));
    put('"');
}

template <typename View, typename Put>
void putValue(View v, Put &&put)
{
    if (needsQuotes(v))
        putQuoted(v, put);
    else
        put(v);
}

// A plain last value cannot be quoted, so a TAB or line break in it would
// split the line for every reader; it travels as a blank instead.
template <typename View, typename Put>
void putPlain(View v, Put &&put)
{
    qsizetype from = 0;
    for (qsizetype at = nextSeparator(v, 0); at < v.size(); at = nextSeparator(v, from)) {
        put(v.sliced(from, at - from));
        put(' ');
        from = at + 1;
    }
    put(v.sliced(from));
}

template <typename View, typename Put>
void putLastValue(View v, LastValue last, Put &&put)
{
    switch (last) {
    case LastValue::Plain:
        putPlain(v, put);
        return;
    case LastValue::Flag188:
        put(v.size() == 1 && unitAt(v, 0) == u'1' ? '1' : '0');
        return;
    case LastValue::TrailingTab:
        putValue(v, put);
        put('\t');
        return;
    case LastValue::Quoted:
        putQuoted(v, put);
        return;
    }
}

// Value `index` of the `count` values of a line, with the TAB after it.
template <typename View, typename Put>
void putValueAt(View v, qsizetype index, qsizetype count, LastValue last, Put &&put)
{
    if (index + 1 < count) {
        putValue(v, put);
        put('\t');
    } else {
        putLastValue(v, last, put);
    }
}

} // namespace LineRules

// What a reader must know to find the values of a line: how many columns
// the target has and whether the last value was written in quotes (UNIT)
// or plain, so that a plain last value that happens to begin with a quote
// is taken as it stands.
struct RecordLayout
{
    int columns = 1;
    bool lastQuoted = false;
    // Values beyond the columns (a table of another version with more
    // columns) are read past and dropped instead of refusing the record.
    bool extraValuesIgnored = false;
    // The most bytes a record of the target can take in a file
    // (longestRecord()); 0: no bound.
    qsizetype longestRecord = 0;

    bool operator==(const RecordLayout &) const = default;
};

// The longest text a memo can bring (GBK bytes): far beyond any form's
// text, and what bounds the memory a reader needs for one record.
constexpr qsizetype LongestMemo = qsizetype(4) << 20;
// Every other field is at most this many bytes wide.
constexpr qsizetype LongestValue = 255;
// The most bytes a record of that many values can take in a file, every
// byte a doubled quote, every value quoted and followed by its TAB: a
// reader refuses anything longer, a writer never makes it.
constexpr qsizetype longestRecord(int columns, int memoColumns)
{
    return qsizetype(columns - memoColumns) * (2 * LongestValue + 3) + qsizetype(memoColumns) * (2 * LongestMemo + 3)
           + 2;
}

// The outcome of scanning one logical record of GBK bytes.
struct RecordScan
{
    enum Status {
        Values,          // a record of layout.columns values; a short line
                         // has its missing values empty (see missing)
        Blank,           // a line of blanks and control characters only
        End,             // no bytes left
        NeedMore,        // the data ends inside the record, more may follow
        Unterminated,    // a quoted value still open at the end of the file
        TooManyValues,
        TextAfterQuote,  // a closing quote followed by other text
    };
    Status status = End;
    qsizetype next = 0;       // where the following record begins
    int lines = 0;            // physical lines the record takes
    int faultValue = 0;       // 1-based value at fault
    int faultLine = 0;        // 0-based line within the record of the fault
    int missing = 0;          // values a short line lacked (made empty)
    QList<QByteArray> values; // unquoted, still GBK (when collected)
};

// Scans the record that begins at pos. Line ends are CR LF, LF or CR; inside
// quotes they are part of the value, byte for byte. With atEof false a
// record that reaches the end of the data gives NeedMore. The values are
// collected only when asked, the boundaries are found either way. With
// rawValues the values (but those with doubled quotes) point into the data
// and are valid only while it is. room: a list whose memory the values may
// take (what it holds is dropped).
RecordScan scanRecord(const char *data, qsizetype size, qsizetype pos,
                      const RecordLayout &layout, bool atEof, bool collectValues,
                      bool rawValues = false, QList<QByteArray> room = {});

} // namespace ExchangeText
