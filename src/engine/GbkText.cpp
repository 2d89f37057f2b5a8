#include "GbkText.h"

#include <QStringEncoder>
#include <cstring>
#include <memory>
#include <vector>

// Every conversion runs on two tables built once from the system's GBK
// converter: the GBK code of each BMP character and the character of each
// two-byte code. Table look-ups keep the hot paths (reading fields, the SQL
// collation) free of converter state and allocation.
namespace {

constexpr quint16 NoGbk = 0xFFFF;   // no GBK lead byte is 0xFF
constexpr int LeadFirst = 0x81;
constexpr int LeadLast = 0xFE;
constexpr int TrailFirst = 0x40;
constexpr int TrailCount = 0xFF - TrailFirst;   // 0x40..0xFE
constexpr char16_t Replacement = 0xFFFD;

struct GbkTables
{
    // GBK code per BMP character: the byte itself for one-byte forms,
    // lead << 8 | trail for two-byte forms, NoGbk when there is none.
    std::vector<quint16> codeOf = std::vector<quint16>(0x10000, NoGbk);
    // Character per two-byte code, Replacement where none is assigned.
    std::vector<char16_t> pairChar =
        std::vector<char16_t>((LeadLast - LeadFirst + 1) * TrailCount, Replacement);
    char16_t singleChar[256] = {};

    GbkTables()
    {
        for (int b = 0; b < 256; ++b)
            singleChar[b] = b < 0x80 ? char16_t(b) : Replacement;
        for (int c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            if (c < 0x80) {
                codeOf[c] = quint16(c);
                continue;
            }
            addCharacter(char16_t(c));
        }
    }

    void addCharacter(char16_t c)
    {
        // A fresh encoder per character: once an encoder has met an
        // unencodable character its error flag stays set.
        QStringEncoder encoder("GBK");
        const QChar ch(c);
        const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
        if (encoder.hasError() || bytes.isEmpty())
            return;
        const auto b0 = uchar(bytes[0]);
        if (bytes.size() == 1) {
            codeOf[c] = b0;
            singleChar[b0] = c;
        } else if (bytes.size() == 2) {
            const auto b1 = uchar(bytes[1]);
            if (b0 < LeadFirst || b0 > LeadLast || b1 < TrailFirst || b1 == 0xFF)
                return;
            codeOf[c] = quint16(b0 << 8 | b1);
            pairChar[pairIndex(b0, b1)] = c;
        }
    }

    static int pairIndex(uchar lead, uchar trail)
    {
        return (lead - LeadFirst) * TrailCount + (trail - TrailFirst);
    }
};

const GbkTables &tables()
{
    static const GbkTables instance;
    return instance;
}

bool isLeadByte(uchar b)
{
    return b >= LeadFirst && b <= LeadLast;
}

// Where the first byte of 0x80 or above is, eight bytes at a time: most
// stored text is codes and numbers, or Chinese after a run of ASCII.
qsizetype firstNonAscii(const char *data, qsizetype size)
{
    constexpr quint64 HighBits = 0x8080808080808080ULL;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        if (word & HighBits)
            break;
    }
    while (i < size && uchar(data[i]) < 0x80)
        ++i;
    return i;
}

bool isAsciiOnly(const char *data, int size)
{
    return firstNonAscii(data, size) == size;
}

// Calls put with each character of the GBK bytes. A lead byte whose trail
// was cut off by another program is dropped; an impossible trail byte gives
// a replacement character and is then read on its own.
template <typename Emit>
void forEachGbkCharacter(const char *data, int size, Emit &&put)
{
    const GbkTables &t = tables();
    for (int i = 0; i < size; ++i) {
        const auto b = uchar(data[i]);
        if (!isLeadByte(b)) {
            put(t.singleChar[b]);
            continue;
        }
        if (i + 1 >= size)
            break;
        const auto trail = uchar(data[i + 1]);
        if (trail < TrailFirst || trail == 0x7F || trail == 0xFF) {
            put(Replacement);
            continue;
        }
        put(t.pairChar[GbkTables::pairIndex(b, trail)]);
        ++i;
    }
}

// Bytes a character takes in GBK; what GB18030 would give for characters
// GBK lacks, so that widths of refused text still look plausible.
int gbkWidth(const GbkTables &t, char16_t c)
{
    const quint16 code = t.codeOf[c];
    if (code == NoGbk)
        return 2;
    return code > 0xFF ? 2 : 1;
}

// Sort key of a code point: GBK codes order as their bytes do because the
// encoding is prefix-free (single bytes are never lead bytes); characters
// without a GBK form follow every GBK character, by code point.
quint32 sortKey(const GbkTables &t, quint32 codePoint)
{
    if (codePoint < 0x10000) {
        const quint16 code = t.codeOf[codePoint];
        if (code != NoGbk)
            return code;
    }
    return 0x10000 + codePoint;
}

// Decodes one UTF-8 character; a malformed byte becomes a code point past
// Unicode so that it still orders consistently.
quint32 nextUtf8(const uchar *&p, const uchar *end)
{
    const uchar b = *p++;
    if (b < 0x80)
        return b;
    int extra = 0;
    quint32 cp = 0;
    if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
    } else {
        return 0x110000 + b;
    }
    if (end - p < extra)
        return 0x110000 + b;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0x110000 + b;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

quint32 nextUtf16(const QChar *&p, const QChar *end)
{
    const char16_t c = p->unicode();
    ++p;
    if (QChar::isHighSurrogate(c) && p < end && p->isLowSurrogate()) {
        const quint32 cp = QChar::surrogateToUcs4(c, p->unicode());
        ++p;
        return cp;
    }
    return c;
}

} // namespace

namespace GbkText {

QByteArray encode(const QString &text, bool *ok)
{
    const GbkTables &t = tables();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *dst = out.data();
    bool allFit = true;
    for (const QChar ch : text) {
        const quint16 code = t.codeOf[ch.unicode()];
        if (code == NoGbk) {
            allFit = false;
        } else if (code > 0xFF) {
            *dst++ = char(code >> 8);
            *dst++ = char(code & 0xFF);
        } else {
            *dst++ = char(code);
        }
    }
    out.truncate(dst - out.data());
    if (ok)
        *ok = allFit;
    return out;
}

char *encodeInto(QStringView text, char *out)
{
    const GbkTables &t = tables();
    for (const QChar ch : text) {
        const quint16 code = t.codeOf[ch.unicode()];
        if (code == NoGbk)
            return nullptr;
        if (code > 0xFF)
            *out++ = char(code >> 8);
        *out++ = char(code & 0xFF);
    }
    return out;
}

QString decode(const QByteArray &gbk)
{
    return decode(gbk.constData(), int(gbk.size()));
}

QString decode(const char *data, int size)
{
    if (size <= 0)
        return QString();
    if (isAsciiOnly(data, size))
        return QString::fromLatin1(data, size);
    QString out(size, Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    forEachGbkCharacter(data, size, [&dst](char16_t c) { *dst++ = c; });
    out.truncate(dst - reinterpret_cast<char16_t *>(out.data()));
    return out;
}

QByteArray decodeToUtf8(const char *data, int size)
{
    if (size <= 0)
        return QByteArray();
    if (isAsciiOnly(data, size))
        return QByteArray(data, size);
    QByteArray out(qsizetype(size) * 3, Qt::Uninitialized);   // no byte gives more than 3
    char *dst = out.data();
    auto put = [&dst](char16_t c) {
        if (c < 0x80) {
            *dst++ = char(c);
        } else if (c < 0x800) {
            *dst++ = char(0xC0 | (c >> 6));
            *dst++ = char(0x80 | (c & 0x3F));
        } else {
            *dst++ = char(0xE0 | (c >> 12));
            *dst++ = char(0x80 | ((c >> 6) & 0x3F));
            *dst++ = char(0x80 | (c & 0x3F));
        }
    };
    forEachGbkCharacter(data, size, put);
    out.truncate(dst - out.data());
    return out;
}

bool isValid(QByteArrayView gbk)
{
    const GbkTables &t = tables();
    const char *data = gbk.data();
    const qsizetype size = gbk.size();
    for (qsizetype i = firstNonAscii(data, size); i < size; ++i) {
        const auto b = uchar(data[i]);
        if (b < 0x80)
            continue;
        if (!isLeadByte(b)) {
            if (b == 0xFF || t.singleChar[b] == Replacement)
                return false;
            continue;
        }
        if (i + 1 >= size)
            return false;
        const auto trail = uchar(data[i + 1]);
        if (trail < TrailFirst || trail == 0x7F || trail == 0xFF
            || t.pairChar[GbkTables::pairIndex(b, trail)] == Replacement)
            return false;
        ++i;
    }
    return true;
}

bool canHold(const QString &text)
{
    return firstUnencodable(text).isNull();
}

QString firstUnencodable(const QString &text)
{
    const GbkTables &t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (t.codeOf[c] != NoGbk)
            continue;
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size()
                          && text.at(i + 1).isLowSurrogate();
        return text.mid(i, pair ? 2 : 1);
    }
    return QString();
}

int byteLength(const QString &text)
{
    const GbkTables &t = tables();
    int bytes = 0;
    for (const QChar ch : text)
        bytes += gbkWidth(t, ch.unicode());
    return bytes;
}

QString cutToBytes(const QString &text, int maxBytes)
{
    const GbkTables &t = tables();
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size()
                          && text.at(i + 1).isLowSurrogate();
        const int width = pair ? 4 : gbkWidth(t, c);
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += pair ? 2 : 1;
    }
    return i == text.size() ? text : text.left(i);
}

QByteArray cutBytes(const QByteArray &gbk, int maxBytes)
{
    if (gbk.size() <= maxBytes)
        return gbk;
    int i = 0;
    while (i < maxBytes) {
        const int width = isLeadByte(uchar(gbk[i])) && i + 1 < gbk.size() ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
    }
    return gbk.left(qMax(0, i));
}

int compareUtf8AsGbk(const char *a, int lenA, const char *b, int lenB)
{
    const int common = qMin(lenA, lenB);
    int same = 0;
    while (same < common && a[same] == b[same])
        ++same;
    // Step back to the start of the character in which they differ.
    auto continues = [](const char *s, int len, int i) {
        return i < len && (uchar(s[i]) & 0xC0) == 0x80;
    };
    while (same > 0 && (continues(a, lenA, same) || continues(b, lenB, same)))
        --same;
    auto pa = reinterpret_cast<const uchar *>(a) + same;
    auto pb = reinterpret_cast<const uchar *>(b) + same;
    const auto endA = reinterpret_cast<const uchar *>(a) + lenA;
    const auto endB = reinterpret_cast<const uchar *>(b) + lenB;
    const GbkTables &t = tables();
    while (pa < endA && pb < endB) {
        if (*pa < 0x80 && *pb < 0x80) {
            if (*pa != *pb)
                return *pa < *pb ? -1 : 1;
            ++pa;
            ++pb;
            continue;
        }
        const quint32 ka = sortKey(t, nextUtf8(pa, endA));
        const quint32 kb = sortKey(t, nextUtf8(pb, endB));
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (pa < endA)
        return 1;
    return pb < endB ? -1 : 0;
}

int compare(const QString &a, const QString &b)
{
    const GbkTables &t = tables();
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    const QChar *endA = pa + a.size();
    const QChar *endB = pb + b.size();
    while (pa < endA && pb < endB) {
        if (*pa == *pb && !pa->isSurrogate()) {
            ++pa;
            ++pb;
            continue;
        }
        const quint32 ka = sortKey(t, nextUtf16(pa, endA));
        const quint32 kb = sortKey(t, nextUtf16(pb, endB));
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (pa < endA)
        return 1;
    return pb < endB ? -1 : 0;
}

} // namespace GbkText
