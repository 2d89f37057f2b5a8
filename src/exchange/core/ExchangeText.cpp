#include "ExchangeText.h"

#include <QtAlgorithms>
#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

QString EscapeTextQuotes(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('"'), QLatin1String("\"\""));
}

int CountQuoteChars(const QString &text)
{
    return int(text.count(QLatin1Char('"')));
}

QString UnescapeDoubledQuotes(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1String("\"\""), QLatin1String("\""));
}

namespace ExchangeText {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Line ends are LFs and CRs less the CRs that a LF follows. afterCr: the
// byte before from is a CR.
qsizetype findQuoteBytewise(const char *d, qsizetype from, qsizetype to, int *lines, bool afterCr)
{
    qsizetype p = from;
    for (; p < to && d[p] != '"'; afterCr = d[p++] == '\r')
        *lines += (d[p] == '\r' || d[p] == '\n') && !(afterCr && d[p] == '\n');
    return p;
}

// Where the first double quote in [from, to) is (to when there is none),
// and the line ends (CR LF, LF, lone CR) before it added to lines: a memo
// text is read once, sixteen bytes at a time, not once for its quote and
// twice for its line ends.
qsizetype findQuote(const char *d, qsizetype from, qsizetype to, int *lines)
{
    qsizetype p = from;
    quint32 crBefore = 0;
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; p + 16 <= to; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + p));
        const __m128i quotesAt = _mm_cmpeq_epi8(v, quote);
        const __m128i lfsAt = _mm_cmpeq_epi8(v, lf);
        const __m128i crsAt = _mm_cmpeq_epi8(v, cr);
        if (_mm_movemask_epi8(_mm_or_si128(quotesAt, _mm_or_si128(lfsAt, crsAt))) == 0) {
            crBefore = 0;   // most blocks of a text: nothing to count
            continue;
        }
        const quint32 quotes = quint32(_mm_movemask_epi8(quotesAt));
        const quint32 before = quotes ? (1u << qCountTrailingZeroBits(quotes)) - 1 : 0xFFFFu;
        const quint32 lfs = quint32(_mm_movemask_epi8(lfsAt)) & before;
        const quint32 crs = quint32(_mm_movemask_epi8(crsAt)) & before;
        const quint32 pairs = ((crs << 1) | crBefore) & lfs;
        *lines += int(qPopulationCount(lfs) + qPopulationCount(crs) - qPopulationCount(pairs));
        if (quotes)
            return p + qCountTrailingZeroBits(quotes);
        crBefore = crs >> 15;
    }
#endif
    return findQuoteBytewise(d, p, to, lines, crBefore != 0);
}

// Walks one record value by value; each step either moves on to the next
// value or settles the outcome in `result`.
class RecordScanner
{
public:
    RecordScanner(const char *data, qsizetype size, qsizetype pos, const RecordLayout &layout,
                  bool atEof, bool collect, bool raw, QList<QByteArray> &&room)
        : d(data), n(size), start(pos), p(pos), columns(qMax(1, layout.columns)),
          lastQuoted(layout.lastQuoted), extraIgnored(layout.extraValuesIgnored), atEof(atEof), collect(collect),
          raw(raw), room(std::move(room))
    {
    }

    RecordScan run()
    {
        if (p >= n)
            return settle(atEof ? RecordScan::End : RecordScan::NeedMore, p);
        if (!checkBlankLine())
            return result;
        if (collect) {
            // Every slot is written, by index: appending cost more than
            // finding the values.
            result.values = std::move(room);
            result.values.resize(columns);
            out = result.values.data();
        }
        for (int col = 0;; ++col) {
            const bool last = col == columns - 1;
            bool more = false;
            if (last && !(lastQuoted && p < n && d[p] == '"'))
                plainLastValue();
            else if (p < n && d[p] == '"')
                more = quotedValue(col, last);
            else
                more = plainValue(col);
            if (!more)
                return result;
        }
    }

private:
    const char *d;
    qsizetype n;
    qsizetype start;
    qsizetype p;
    int columns;
    bool lastQuoted;
    bool extraIgnored;
    bool atEof;
    bool collect;
    bool raw;   // values point into the data instead of being copied
    QList<QByteArray> room;   // a list whose memory the values may take
    QByteArray *out = nullptr;   // the values' slots, while collected
    int kept = 0;   // values collected
    int line = 0;
    RecordScan result;

    RecordScan settle(RecordScan::Status status, qsizetype next)
    {
        result.status = status;
        result.next = next;
        if (out)
            result.values.resize(kept);   // only the values found
        result.lines = line + 1;
        if (status == RecordScan::End)
            result.lines = 0;
        return result;
    }

    void fault(RecordScan::Status status, int value)
    {
        result.faultValue = value;
        result.faultLine = line;
        finishLine(status);
    }

    qsizetype lineEndFrom(qsizetype from) const
    {
        while (from < n && !isLineEnd(d[from]))
            ++from;
        return from;
    }

    // Ends the record at the line end at or after p; asks for more data when
    // the line (or the LF of its CR LF) may go on beyond what is there.
    void finishLine(RecordScan::Status status)
    {
        qsizetype e = lineEndFrom(p);
        if (!atEof && (e == n || (d[e] == '\r' && e + 1 == n))) {
            settle(RecordScan::NeedMore, start);
            return;
        }
        if (e < n)
            e += (d[e] == '\r' && e + 1 < n && d[e + 1] == '\n') ? 2 : 1;
        settle(status, e);
    }

    bool checkBlankLine()
    {
        for (qsizetype i = p; i < n && !isLineEnd(d[i]); ++i) {
            if (uchar(d[i]) > 0x20)
                return true;
        }
        finishLine(RecordScan::Blank);
        return false;
    }

    // Values beyond the columns are not kept (extraIgnored).
    void keep(QByteArray value)
    {
        if (out && kept < columns)
            out[kept++] = std::move(value);
    }

    // The bytes [from, to) of the data as a value.
    void keepSpan(qsizetype from, qsizetype to)
    {
        if (out && kept < columns)
            out[kept++] = raw ? QByteArray::fromRawData(d + from, to - from) : QByteArray(d + from, to - from);
    }

    void plainLastValue()
    {
        const qsizetype e = lineEndFrom(p);
        if (!atEof && e == n) {
            settle(RecordScan::NeedMore, start);
            return;
        }
        if (const char *tab = std::find(d + p, d + e, '\t'); tab != d + e) {
            if (!extraIgnored) {
                fault(RecordScan::TooManyValues, columns + 1);
                return;
            }
            // A value like any other of the line, the next one follows.
            keepSpan(p, tab - d);
            p = tab - d + 1;
            skipExtraValues();
            return;
        }
        // GBK trail bytes are never below 0x40, so no character is cut here.
        qsizetype from = p, to = e;
        while (from < to && uchar(d[from]) <= 0x20)
            ++from;
        while (to > from && uchar(d[to - 1]) <= 0x20)
            --to;
        keepSpan(from, to);
        p = e;
        finishLine(RecordScan::Values);
    }

    bool plainValue(int col)
    {
        qsizetype e = p;
        while (e < n && d[e] != '\t' && !isLineEnd(d[e]))
            ++e;
        if (!atEof && e == n) {
            settle(RecordScan::NeedMore, start);
            return false;
        }
        keepSpan(p, e);
        p = e;
        if (e < n && d[e] == '\t') {
            ++p;
            return true;
        }
        endShortLine(col);
        return false;
    }

    // The values after the last column, written as any value but the last
    // of a line; the line's own last value ends them.
    void skipExtraValues()
    {
        for (int col = columns;; ++col) {
            const bool more = p < n && d[p] == '"' ? quotedValue(col, false) : plainValue(col);
            if (!more)
                return;
        }
    }

    // Installations of other versions write fewer columns: the values the
    // line lacks are empty.
    void endShortLine(int col)
    {
        result.missing = qMax(0, columns - (col + 1));
        if (out) {
            while (kept < columns)
                out[kept++] = QByteArray();
        }
        finishLine(RecordScan::Values);
    }

    bool quotedValue(int col, bool last)
    {
        const int startLine = line;
        // Only a value with doubled quotes needs a text of its own.
        QByteArray value;
        bool built = false;
        const qsizetype from = p + 1;
        qsizetype q = from;
        qsizetype end = from;
        for (;;) {
            const qsizetype quote = findQuote(d, q, n, &line);
            if (quote == n) {
                if (!atEof) {
                    settle(RecordScan::NeedMore, start);
                    return false;
                }
                result.faultValue = col + 1;
                result.faultLine = startLine;
                settle(RecordScan::Unterminated, n);
                return false;
            }
            if (quote + 1 < n && d[quote + 1] == '"') {
                if (collect) {
                    value.append(d + q, quote - q);
                    value.append('"');
                    built = true;
                }
                q = quote + 2;
                continue;
            }
            if (collect && built)
                value.append(d + q, quote - q);
            end = quote;
            p = quote + 1;
            break;
        }
        if (built)
            keep(std::move(value));
        else
            keepSpan(from, end);
        return afterClosingQuote(col, last);
    }

    bool afterClosingQuote(int col, bool last)
    {
        if (last || col >= columns) {
            while (p < n && (d[p] == ' ' || (uchar(d[p]) < 0x20 && d[p] != '\t' && !isLineEnd(d[p]))))
                ++p;
        }
        if (p >= n && !atEof) {
            settle(RecordScan::NeedMore, start);
            return false;
        }
        if (p < n && d[p] == '\t') {
            ++p;
            if (!last)
                return true;
            if (!extraIgnored) {
                fault(RecordScan::TooManyValues, columns + 1);
                return false;
            }
            skipExtraValues();
            return false;
        }
        if (p >= n || isLineEnd(d[p])) {
            if (last)
                finishLine(RecordScan::Values);
            else
                endShortLine(col);
            return false;
        }
        fault(RecordScan::TextAfterQuote, col + 1);
        return false;
    }
};

} // namespace

namespace {

void appendPiece(QString &line, QStringView piece)
{
    line += piece;
}

void appendPiece(QString &line, char syntax)
{
    line += QLatin1Char(syntax);
}

bool isControlByte(char c)
{
    const uchar u = uchar(c);
    return (u < 0x20 && u != '\t' && u != '\r' && u != '\n') || u == 0x7F;
}

} // namespace

int blankControlCharacters(char *gbk, qsizetype size)
{
    int blanked = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (isControlByte(gbk[i])) {
            gbk[i] = ' ';
            ++blanked;
        }
    }
    return blanked;
}

int blankControlCharacters(QByteArray &gbk)
{
    if (std::none_of(gbk.cbegin(), gbk.cend(), isControlByte))
        return 0;
    return blankControlCharacters(gbk.data(), gbk.size());
}

QString quoteValue(const QString &value)
{
    QString out;
    LineRules::putValue(QStringView(value), [&out](auto piece) { appendPiece(out, piece); });
    return out;
}

QString joinLine(const QStringList &values, LastValue last)
{
    QString line;
    const qsizetype count = values.size();
    for (qsizetype i = 0; i < count; ++i) {
        LineRules::putValueAt(QStringView(values.at(i)), i, count, last,
                              [&line](auto piece) { appendPiece(line, piece); });
    }
    return line;
}

RecordScan scanRecord(const char *data, qsizetype size, qsizetype pos,
                      const RecordLayout &layout, bool atEof, bool collectValues, bool rawValues,
                      QList<QByteArray> room)
{
    return RecordScanner(data, size, pos, layout, atEof, collectValues, rawValues, std::move(room)).run();
}

} // namespace ExchangeText
