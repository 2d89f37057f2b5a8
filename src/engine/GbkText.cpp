#include "GbkText.h"

#include <QStringEncoder>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

// Every conversion runs on two tables built once from the system's GBK
// converter: the GBK code of each BMP character and the character of each
// two-byte code. Table look-ups keep the hot paths (reading fields, the SQL
// collation) free of converter state and allocation.
namespace {

constexpr quint16 NoGbk = 0xFFFF;   // no GBK lead byte is 0xFF
constexpr int LeadFirst = 0x81;
constexpr int LeadLast = 0xFE;
constexpr int TrailFirst = 0x40;
constexpr char16_t Replacement = 0xFFFD;

// Below a blank but TAB, CR and LF; DEL.
bool isControlByte(uchar c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The two bytes of a character as one little-endian word: the hot loop of
// decode() reads a pair with one load and looks it up as it stands.
constexpr int pairIndex(int lead, int trail)
{
    return lead | trail << 8;
}

int pairAt(const uchar *bytes)
{
    return pairIndex(bytes[0], bytes[1]);
}

struct GbkTables
{
    // GBK code per BMP character: the byte itself for one-byte forms,
    // lead << 8 | trail for two-byte forms, NoGbk when there is none.
    std::vector<quint16> codeOf = std::vector<quint16>(0x10000, NoGbk);
    // Character per two-byte code, indexed by pairIndex(), Replacement
    // where none is assigned.
    std::vector<char16_t> wideChar = std::vector<char16_t>(0x10000, Replacement);
    char16_t singleChar[256] = {};
    // Whether every lead byte with every possible trail byte (not 0x7F)
    // codes a character, so that such a pair needs no look-up to be valid.
    bool everyPairAssigned = false;

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
        everyPairAssigned = allPairsAssigned();
    }

    bool allPairsAssigned() const
    {
        for (int lead = LeadFirst; lead <= LeadLast; ++lead) {
            for (int trail = TrailFirst; trail < 0xFF; ++trail) {
                if (trail != 0x7F && wideChar[pairIndex(lead, trail)] == Replacement)
                    return false;
            }
        }
        return true;
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
            wideChar[pairIndex(b0, b1)] = c;
        }
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

bool isAsciiOnly(const char *data, int size)
{
    for (int i = 0; i < size; ++i) {
        if (uchar(data[i]) >= 0x80)
            return false;
    }
    return true;
}

// Checking long texts 64 bytes at a time, without a branch per character.
// Only three kinds of byte matter once every lead byte with every possible
// trail byte codes a character (validBlocksApply): lead bytes 0x81..0xFE,
// which are valid trail bytes too; 0xFF, never valid; and the rest, which
// are characters of their own (ASCII, the euro sign 0x80) in the lead
// position, and valid trail bytes only when 0x40..0x7E or 0x80. So in a run
// of lead bytes the characters pair up from its first byte, and a run of
// odd length takes the byte after it as its last trail byte. GB2312 text
// has runs of even length only, and no 0x80 or 0xFF: a block of it is
// settled by its lead bytes alone.
constexpr int BlockSize = 64;

// Bit k of each mask tells about byte k of a block.
struct BlockBytes
{
    quint64 lead = 0;    // 0x81..0xFE
    quint64 high = 0;    // 0x80 and above
    quint64 control = 0; // below 0x20 but TAB, CR and LF; 0x7F
};

struct BlockTrails
{
    quint64 trail = 0;   // 0x40..0x7E or 0x80
    quint64 euro = 0;    // 0x80
};

// Bytes that text formats give a meaning of their own; never part of a
// GBK character (trail bytes are 0x40 and above).
struct BlockMarks
{
    quint64 separator = 0;   // TAB, CR, LF
    quint64 quote = 0;       // "

    BlockMarks &operator|=(const BlockMarks &other)
    {
        separator |= other.separator;
        quote |= other.quote;
        return *this;
    }
};

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
// Compared as signed bytes: 0x80..0xFF are -128..-1.
__m128i splat(int b)
{
    return _mm_set1_epi8(char(b));
}

__m128i part(const char *block, int index)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * index));
}

quint64 bitsAt(__m128i flags, int index)
{
    return quint64(quint16(_mm_movemask_epi8(flags))) << (16 * index);
}

// Below a blank but TAB, CR and LF; DEL.
__m128i controlBytes(__m128i v)
{
    const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(v, splat(-1)), _mm_cmplt_epi8(v, splat(0x20)));
    const __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, splat('\t')), _mm_cmpeq_epi8(v, splat('\n'))),
                                         _mm_cmpeq_epi8(v, splat('\r')));
    return _mm_or_si128(_mm_andnot_si128(allowed, low), _mm_cmpeq_epi8(v, splat(0x7F)));
}

BlockBytes bytesOf(const char *block)
{
    BlockBytes b;
    for (int i = 0; i < BlockSize / 16; ++i) {
        const __m128i v = part(block, i);
        b.lead |= bitsAt(_mm_and_si128(_mm_cmpgt_epi8(v, splat(0x80)), _mm_cmplt_epi8(v, splat(0xFF))), i);
        b.high |= bitsAt(v, i);
        b.control |= bitsAt(controlBytes(v), i);
    }
    return b;
}

// Whether the bytes from i on hold a control byte, sixteen at a time; where
// the last sixteen end.
bool controlInBlocks(const char *data, qsizetype size, qsizetype &i)
{
    __m128i found = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16)
        found = _mm_or_si128(found, controlBytes(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i))));
    return _mm_movemask_epi8(found) != 0;
}

BlockTrails trailsOf(const char *block)
{
    BlockTrails t;
    for (int i = 0; i < BlockSize / 16; ++i) {
        const __m128i v = part(block, i);
        const __m128i euro = _mm_cmpeq_epi8(v, splat(0x80));
        const __m128i ascii = _mm_and_si128(_mm_cmpgt_epi8(v, splat(0x3F)), _mm_cmplt_epi8(v, splat(0x7F)));
        t.trail |= bitsAt(_mm_or_si128(ascii, euro), i);
        t.euro |= bitsAt(euro, i);
    }
    return t;
}

// The marks of the block and its lead and high bytes (not its control
// bytes), the block copied to out on the way.
BlockMarks copyMarked(const char *block, char *out, BlockBytes &b)
{
    BlockMarks m;
    for (int i = 0; i < BlockSize / 16; ++i) {
        const __m128i v = part(block, i);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * i), v);
        b.lead |= bitsAt(_mm_and_si128(_mm_cmpgt_epi8(v, splat(0x80)), _mm_cmplt_epi8(v, splat(0xFF))), i);
        b.high |= bitsAt(v, i);
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, splat('\r')), _mm_cmpeq_epi8(v, splat('\n')));
        m.separator |= bitsAt(_mm_or_si128(breaks, _mm_cmpeq_epi8(v, splat('\t'))), i);
        m.quote |= bitsAt(_mm_cmpeq_epi8(v, splat('"')), i);
    }
    return m;
}
#else
BlockBytes bytesOf(const char *block)
{
    BlockBytes b;
    for (int k = 0; k < BlockSize; ++k) {
        const auto c = uchar(block[k]);
        b.lead |= quint64(c >= 0x81 && c <= 0xFE) << k;
        b.high |= quint64(c >= 0x80) << k;
        b.control |= quint64(isControlByte(c)) << k;
    }
    return b;
}

bool controlInBlocks(const char *, qsizetype, qsizetype &)
{
    return false;
}

BlockTrails trailsOf(const char *block)
{
    BlockTrails t;
    for (int k = 0; k < BlockSize; ++k) {
        const auto c = uchar(block[k]);
        t.trail |= quint64((c >= 0x40 && c <= 0x7E) || c == 0x80) << k;
        t.euro |= quint64(c == 0x80) << k;
    }
    return t;
}

BlockMarks copyMarked(const char *block, char *out, BlockBytes &b)
{
    std::memcpy(out, block, BlockSize);
    b = bytesOf(block);
    BlockMarks m;
    for (int k = 0; k < BlockSize; ++k) {
        m.separator |= quint64(block[k] == '\t' || block[k] == '\r' || block[k] == '\n') << k;
        m.quote |= quint64(block[k] == '"') << k;
    }
    return m;
}
#endif

// The bytes that must be trail bytes without being lead bytes: those after
// a run of odd length. pendingLead: the byte before the block is a lead
// byte waiting for its trail; updated for the next block.
quint64 trailsWanted(quint64 lead, bool &pendingLead)
{
    constexpr quint64 EvenBits = 0x5555555555555555ULL;
    const quint64 carried = pendingLead ? 1 : 0;
    // A run pairs up from its first byte, or from its second when the block
    // opens with the trail of the previous block's last lead byte.
    const quint64 runStarts = lead & ~(lead << 1);
    const quint64 evenClass = EvenBits ^ carried;
    const quint64 evenStarts = runStarts & evenClass;
    const quint64 oddStarts = runStarts & ~evenClass;
    // Adding a run's first bit to the run carries to the byte after it.
    const quint64 afterEvenStart = (lead + evenStarts) & ~lead;
    const quint64 oddSum = lead + oddStarts;
    pendingLead = oddSum < lead;   // a run that pairs from an odd byte went past the block
    const quint64 afterOddStart = oddSum & ~lead;
    // Odd runs end at an odd distance from where they pair up.
    return (afterEvenStart & ~EvenBits) | (afterOddStart & EvenBits) | (carried & ~lead);
}

bool isValidBlock(const char *block, const BlockBytes &b, bool &pendingLead)
{
    const quint64 wanted = trailsWanted(b.lead, pendingLead);
    const quint64 otherHigh = b.high & ~b.lead;   // 0x80 or 0xFF
    if ((wanted | otherHigh) == 0)
        return true;
    const BlockTrails t = trailsOf(block);
    return ((otherHigh & ~t.euro) | (wanted & ~t.trail)) == 0;
}

bool isValidBlock(const char *block, bool &pendingLead, quint64 *control = nullptr)
{
    const BlockBytes b = bytesOf(block);
    if (control)
        *control |= b.control;
    return isValidBlock(block, b, pendingLead);
}

bool validBlocksApply(const GbkTables &t)
{
    return t.everyPairAssigned && t.singleChar[0x80] != Replacement;
}

bool isEightAscii(const char *data)
{
    quint64 word;
    std::memcpy(&word, data, 8);
    return (word & 0x8080808080808080ULL) == 0;
}

// The bytes the character at i takes when it is one GBK has; 0 when not.
int validCharacterAt(const GbkTables &t, const char *data, qsizetype size, qsizetype i)
{
    const auto b = uchar(data[i]);
    if (b < 0x80)
        return 1;
    if (!isLeadByte(b))
        return b == 0xFF || t.singleChar[b] == Replacement ? 0 : 1;
    if (i + 1 >= size)
        return 0;
    const auto trail = uchar(data[i + 1]);
    if (trail < TrailFirst || trail == 0x7F || trail == 0xFF)
        return 0;
    if (!t.everyPairAssigned && t.wideChar[pairIndex(b, trail)] == Replacement)
        return 0;
    return 2;
}

// Short texts, and the rest of a long one from i, character by character.
bool restIsValid(const GbkTables &t, const char *data, qsizetype size, qsizetype i)
{
    for (qsizetype width = 0; i < size; i += width) {
        width = i + 8 <= size && isEightAscii(data + i) ? 8 : validCharacterAt(t, data, size, i);
        if (width == 0)
            return false;
    }
    return true;
}

// Reads the character at data[i], gives it to put and returns where the
// next one starts. A lead byte whose trail was cut off by another program
// is dropped (size is returned); an impossible trail byte gives a
// replacement character and is then read on its own.
template <typename Emit>
int readGbkCharacter(const GbkTables &t, const char *data, int i, int size, Emit &&put)
{
    const auto b = uchar(data[i]);
    if (!isLeadByte(b)) {
        put(t.singleChar[b]);
        return i + 1;
    }
    if (i + 1 >= size)
        return size;
    const auto trail = uchar(data[i + 1]);
    if (trail < TrailFirst || trail == 0x7F || trail == 0xFF) {
        put(Replacement);
        return i + 1;
    }
    put(t.wideChar[pairIndex(b, trail)]);
    return i + 2;
}

// Calls put with each character of the GBK bytes.
template <typename Emit>
void forEachGbkCharacter(const char *data, int size, Emit &&put)
{
    const GbkTables &t = tables();
    for (int i = 0; i < size;)
        i = readGbkCharacter(t, data, i, size, put);
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

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
// Chinese text is mostly long runs of lead bytes, with some ASCII (figures,
// units) between them. Sixteen bytes are read at a stride:
// - all lead bytes, met at the start of a character: eight whole characters
//   (every lead byte is a valid trail byte too), read without a check per byte;
// - ASCII from the first of them on: as many characters, widened together;
// - else the lead bytes from the first on, in pairs, and the byte that ends
//   them.
// dst has room for size characters and stands at most i characters from its
// start, so the sixteen widened at once always fit.
// Eight characters of sixteen lead bytes, one look-up each, unrolled.
template <int... K>
void putPairs(const char16_t *wide, const uchar *bytes, char16_t *dst, std::integer_sequence<int, K...>)
{
    ((dst[K] = wide[pairAt(bytes + 2 * K)]), ...);
}

static char16_t *decodeInto(const char *data, int size, char16_t *dst)
{
    const GbkTables &t = tables();
    const char16_t *wide = t.wideChar.data();
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    while (i + 16 <= size) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const int lead = _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(v, splat(0x80)), _mm_cmplt_epi8(v, splat(0xFF))));
        if (lead == 0xFFFF) {
            putPairs(wide, bytes + i, dst, std::make_integer_sequence<int, 8>());
            dst += 8;
            i += 16;
            continue;
        }
        const int ascii = std::countr_zero(unsigned(_mm_movemask_epi8(v) | 0x10000));
        if (ascii > 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 8), _mm_unpackhi_epi8(v, zero));
            dst += ascii;
            i += ascii;
            continue;
        }
        // The lead bytes from i on pair up; the byte that ends them is read
        // as the trail of an odd one out, or on its own.
        const int run = std::countr_zero(unsigned(~lead & 0xFFFF));
        for (int k = 0; k + 1 < run; k += 2)
            *dst++ = wide[pairAt(bytes + i + k)];
        i = readGbkCharacter(t, data, i + (run & ~1), size, [&dst](char16_t c) { *dst++ = c; });
    }
    while (i < size)
        i = readGbkCharacter(t, data, i, size, [&dst](char16_t c) { *dst++ = c; });
    return dst;
}
#else
static char16_t *decodeInto(const char *data, int size, char16_t *dst)
{
    forEachGbkCharacter(data, size, [&dst](char16_t c) { *dst++ = c; });
    return dst;
}
#endif

QString decode(const char *data, int size)
{
    if (size <= 0)
        return QString();
    if (isAsciiOnly(data, size))
        return QString::fromLatin1(data, size);
    QString out(size, Qt::Uninitialized);
    char16_t *dst = decodeInto(data, size, reinterpret_cast<char16_t *>(out.data()));
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
    qsizetype i = 0;
    if (validBlocksApply(t)) {
        bool pendingLead = false;
        for (; i + BlockSize <= size; i += BlockSize) {
            if (!isValidBlock(data + i, pendingLead))
                return false;
        }
        if (pendingLead)
            --i;   // that lead byte is read again, with its trail
    }
    return restIsValid(t, data, size, i);
}

// The blocks are copied as they are checked, while they are at hand; the
// rest (under a block) is checked as a block too, filled up with zeros
// (characters of their own, never trail bytes).
CopyScan copyChecked(QByteArrayView gbk, char *out)
{
    const GbkTables &t = tables();
    const char *data = gbk.data();
    const qsizetype size = gbk.size();
    if (!validBlocksApply(t)) {
        std::memcpy(out, data, size_t(size));
        return CopyScan{isValid(gbk), gbk.contains('\t') || gbk.contains('\r') || gbk.contains('\n'),
                        gbk.contains('"')};
    }
    BlockMarks marks;
    bool pendingLead = false;
    qsizetype i = 0;
    for (; i + BlockSize <= size; i += BlockSize) {
        BlockBytes b;
        marks |= copyMarked(data + i, out + i, b);
        if (!isValidBlock(data + i, b, pendingLead))
            return CopyScan();
    }
    if (i < size) {
        char last[BlockSize] = {};
        char unused[BlockSize];
        std::memcpy(last, data + i, size_t(size - i));
        BlockBytes b;
        marks |= copyMarked(last, unused, b);
        if (!isValidBlock(last, b, pendingLead))
            return CopyScan();
        std::memcpy(out + i, last, size_t(size - i));
    }
    // A lead byte last of all has no trail.
    return CopyScan{!pendingLead, marks.separator != 0, marks.quote != 0};
}

namespace {

// Whether the bytes from i on hold a control byte.
bool controlBytesFrom(const char *data, qsizetype size, qsizetype &i)
{
    if (controlInBlocks(data, size, i))
        return true;
    for (; i < size; ++i) {
        if (isControlByte(uchar(data[i])))
            return true;
    }
    return false;
}

} // namespace

bool isCleanText(QByteArrayView gbk)
{
    const GbkTables &t = tables();
    const char *data = gbk.data();
    const qsizetype size = gbk.size();
    qsizetype i = 0;
    quint64 control = 0;
    if (validBlocksApply(t)) {
        bool pendingLead = false;
        for (; i + BlockSize <= size; i += BlockSize) {
            if (!isValidBlock(data + i, pendingLead, &control))
                return false;
        }
        if (control)
            return false;
        if (pendingLead)
            --i;   // that lead byte is read again, with its trail
    }
    qsizetype k = i;
    return !controlBytesFrom(data, size, k) && restIsValid(t, data, size, i);
}

// GBK trail bytes are never below 0x40: a byte check finds only real
// control characters.
bool hasControlCharacter(QByteArrayView gbk)
{
    qsizetype i = 0;
    return controlBytesFrom(gbk.data(), gbk.size(), i);
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
