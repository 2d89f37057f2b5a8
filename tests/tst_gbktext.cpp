// GBK text (widths in bytes, cuts, refusal, the GBK byte order used for SQL)
// and the program's fixed number and date texts.
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

namespace {

const QString Emoji = QString::fromUcs4(U"\U0001F600");
const QString Thai = QStringLiteral("ก");

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareUtf8(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return sign(GbkText::compareUtf8AsGbk(ua.constData(), int(ua.size()), ub.constData(), int(ub.size())));
}

QString fromHex(const QByteArray &codePoints)
{
    QString text;
    for (const QByteArray &word : codePoints.trimmed().split(' '))
        text.append(QChar(char16_t(word.toUInt(nullptr, 16))));
    return text;
}

// Python's own GBK codec (tests/support/gbk_reference.py): its reading of
// every two bytes whose first is a lead byte and of every single byte,
// errors replaced, and its writing of every character it has.
struct OutsideCodec
{
    QHash<int, QString> pairs;   // lead << 8 | trail
    QString singles[256];
    QHash<int, QByteArray> written;

    bool load()
    {
        QProcess python;
        python.start("python3", {DRAVIK_SOURCE_DIR "/tests/support/gbk_reference.py"});
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            return false;
        for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const int key = line.mid(2, colon - 2).toInt(nullptr, 16);
            const QByteArray rest = line.mid(colon + 1).trimmed();
            if (line.startsWith('D'))
                pairs.insert(key, fromHex(rest));
            else if (line.startsWith('S'))
                singles[key] = fromHex(rest);
            else
                written.insert(key, QByteArray::fromHex(rest));
        }
        return pairs.size() == 126 * 256 && written.size() > 21000;
    }
};

// Code page 936, which the tables are written in, has more than Python's
// gbk: the euro sign as the one byte 0x80, 0xFF read as a private
// character, and private pairs numbered from U+E000 on: the user-defined
// areas AAA1-AFFE and F8A1-FEFE, then A140-A7A0, then the pairs left
// unassigned among the symbols (A2AB, A8BC, FE50 ...), each in byte order.
constexpr char16_t Replacement = 0xFFFD;
constexpr char16_t Euro = 0x20AC;
constexpr char16_t ByteFF = 0xF8F5;

bool isTrailByte(int b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

int privateArea(int code)
{
    const int lead = code >> 8, trail = code & 0xFF;
    if (((lead >= 0xAA && lead <= 0xAF) || lead >= 0xF8) && trail >= 0xA1)
        return 0;
    return lead <= 0xA7 && trail <= 0xA0 ? 1 : 2;
}

// Private pair -> its character: the pairs Python has no character for,
// though their second byte is a trail byte.
QHash<int, char16_t> privatePairs(const OutsideCodec &python)
{
    QList<int> codes;
    for (auto it = python.pairs.begin(); it != python.pairs.end(); ++it) {
        if (it.value().startsWith(QChar(Replacement)) && isTrailByte(it.key() & 0xFF))
            codes.append(it.key());
    }
    std::sort(codes.begin(), codes.end(), [](int a, int b) {
        return std::pair(privateArea(a), a) < std::pair(privateArea(b), b);
    });
    QHash<int, char16_t> pua;
    for (int i = 0; i < codes.size(); ++i)
        pua.insert(codes[i], char16_t(0xE000 + i));
    return pua;
}

QString singleByte(const OutsideCodec &python, int b)
{
    if (b == 0x80)
        return QString(QChar(Euro));
    return b == 0xFF ? QString(QChar(ByteFF)) : python.singles[b];
}

// What the program must read from two bytes whose first is a lead byte: a
// character, or the lead byte replaced and the second byte read on its own
// (never swallowed with the lead byte).
QString expectedPair(const OutsideCodec &python, const QHash<int, char16_t> &pua, int code)
{
    if (pua.contains(code))
        return QString(QChar(pua.value(code)));
    const QString read = python.pairs.value(code);
    if (read.size() == 1 && read != QChar(Replacement))
        return read;
    return QChar(Replacement) + singleByte(python, code & 0xFF);
}

} // namespace

class TstGbkText : public QObject
{
    Q_OBJECT

private slots:
    void widthsAreGbkBytes()
    {
        QCOMPARE(GbkText::byteLength("a成b果"), 6);
        QCOMPARE(GbkText::encode("阿张€"), QByteArray::fromHex("b0a2d5c580"));   // € is one byte, 0x80
        const QString mixed = "科技成果 No.1；（一）·€丂";
        bool ok = false;
        const QByteArray gbk = GbkText::encode(mixed, &ok);
        QVERIFY(ok);
        QCOMPARE(int(gbk.size()), GbkText::byteLength(mixed));
        QCOMPARE(GbkText::decode(gbk), mixed);
    }

    void cutsNeverSplitACharacter()
    {
        // 141 bytes: one letter and 70 Chinese characters, or the other way round.
        const QString chinese(70, QChar(0x6210));   // 成
        const QString leading = "a" + chinese;
        const QString trailing = chinese + "a";
        QCOMPARE(GbkText::byteLength(leading), 141);
        QCOMPARE(GbkText::cutToBytes(leading, 140), "a" + QString(69, QChar(0x6210)));
        QCOMPARE(GbkText::cutToBytes(trailing, 140), chinese);
        QCOMPARE(GbkText::cutToBytes(leading, 141), leading);
        QCOMPARE(GbkText::cutBytes(GbkText::encode(leading), 140),
                 GbkText::encode(GbkText::cutToBytes(leading, 140)));
        QCOMPARE(GbkText::cutBytes(GbkText::encode(trailing), 140), GbkText::encode(chinese));
        // A surrogate pair is never cut in two either.
        QCOMPARE(GbkText::cutToBytes("ab" + Emoji, 3), QString("ab"));

        // 丂 is 81 40: its trail byte is '@'. Looking back from the cut would
        // take a trail byte for a character of its own.
        const QByteArray gbk = GbkText::encode("丂丂丂丂丂");
        for (int max = 0; max <= 10; ++max)
            QCOMPARE(GbkText::cutBytes(gbk, max), gbk.left(max / 2 * 2));
        const QByteArray mixed = GbkText::encode("a丂b丂");
        QCOMPARE(GbkText::cutBytes(mixed, 2), QByteArray("a"));
        QCOMPARE(GbkText::cutBytes(mixed, 5), GbkText::encode("a丂b"));
    }

    void unencodableTextIsRefused()
    {
        QVERIFY(GbkText::canHold("成果abc€·"));
        QVERIFY(!GbkText::canHold("成果" + Emoji));
        QVERIFY(!GbkText::canHold(Thai));
        QCOMPARE(GbkText::firstUnencodable("ab" + Emoji + Thai), Emoji);
        QCOMPARE(GbkText::firstUnencodable("张" + Thai + Emoji), Thai);
        QVERIFY(GbkText::firstUnencodable("张三").isNull());
        bool ok = true;
        const QByteArray bytes = GbkText::encode("a" + Thai + "b", &ok);
        QVERIFY(!ok);
        QVERIFY(!bytes.contains('?'));   // never a silent substitute
    }

    void decodeHandlesDamagedBytes()
    {
        // A lead byte whose trail was cut off by another program is dropped.
        const QByteArray cut = GbkText::encode("张三").chopped(1);
        QCOMPARE(GbkText::decode(cut), QString("张"));
        // An impossible trail byte gives a replacement, and is then read itself.
        QCOMPARE(GbkText::decode(QByteArray::fromHex("b07f41")), QString(QChar(0xFFFD)) + "\x7f" "A");
        // The one-step UTF-8 form gives the same text, damaged bytes included.
        for (const QByteArray &gbk : {GbkText::encode("成果a€·丂（）"), cut, QByteArray::fromHex("b07f41"),
                                      QByteArray("plain"), QByteArray::fromHex("ff80b0")})
            QCOMPARE(GbkText::decodeToUtf8(gbk.constData(), int(gbk.size())), GbkText::decode(gbk).toUtf8());
    }

    // Long runs of lead bytes are read sixteen bytes at a stride; whatever
    // breaks a run (ASCII, the euro sign, 0xFF, a trail byte below 0x80 or an
    // impossible one, a lead byte cut off at the end) must be read exactly as
    // the one-step UTF-8 form reads it, one character at a time, wherever in
    // the stride it falls.
    void decodesRunsAsCharacterByCharacter()
    {
        const QString text = QStringLiteral("科技成果登记表，第一完成单位€丂（）·");
        const QString longText = text.repeated(40) + "a" + text.repeated(40);
        QCOMPARE(GbkText::decode(GbkText::encode(longText)), longText);
        QCOMPARE(GbkText::decode(GbkText::encode(longText).chopped(1)), longText.chopped(1));

        const uchar breaks[] = {0x00, 0x0a, 0x1a, 0x3f, 0x40, 0x41, 0x7e, 0x7f, 0x80, 0xa0, 0xff};
        QRandomGenerator random(936);
        for (int round = 0; round < 20000; ++round) {
            QByteArray gbk;
            const int length = random.bounded(120);
            while (gbk.size() < length) {
                if (random.bounded(8) == 0)
                    gbk += char(breaks[random.bounded(int(sizeof breaks))]);
                else   // any two lead-range bytes, assigned to a character or not
                    gbk += char(0x81 + random.bounded(0x7e));
            }
            const QByteArray utf8 = GbkText::decodeToUtf8(gbk.constData(), int(gbk.size()));
            QVERIFY2(GbkText::decode(gbk).toUtf8() == utf8, gbk.toHex().constData());
        }
    }

    // Valid means: decoded and encoded again, the same bytes (0xFF, which code
    // page 936 reads as a private character, refused all the same). Long texts
    // are checked in blocks of 64 bytes, so lengths and damage go across them.
    void validBytesAreThoseThatRoundTrip()
    {
        auto roundTrips = [](const QByteArray &gbk) {
            bool ok = false;
            return GbkText::encode(GbkText::decode(gbk), &ok) == gbk && ok && !gbk.contains('\xff');
        };
        const QByteArray chinese = GbkText::encode("科技成果登记表，第一完成单位");
        QVERIFY(!GbkText::isValid(chinese.repeated(20).chopped(1)));        // a lead byte at the end
        QVERIFY(GbkText::isValid(QByteArray("a") + chinese.repeated(4)));   // pairs out of step with the blocks
        QVERIFY(GbkText::isValid(QByteArray::fromHex("80814081fe")));       // euro sign, low trail bytes

        QRandomGenerator random(64);
        // Texts without control characters but TAB, CR and LF are clean.
        auto clean = [](const QByteArray &gbk) {
            for (const char c : gbk) {
                const auto u = uchar(c);
                if ((u < 0x20 && u != 0x09 && u != 0x0a && u != 0x0d) || u == 0x7f)
                    return false;
            }
            return true;
        };
        const uchar odd[] = {0x00, 0x09, 0x0a, 0x0d, 0x1a, 0x22, 0x3f, 0x40, 0x7e, 0x7f, 0x80, 0x81, 0xfe, 0xff};
        for (int round = 0; round < 20000; ++round) {
            QByteArray gbk;
            const int length = random.bounded(300);
            while (gbk.size() < length) {
                const int kind = random.bounded(100);
                if (kind < 70)
                    gbk += chinese.mid(2 * random.bounded(int(chinese.size()) / 2), 2);
                else if (kind < 85)
                    gbk += char('0' + random.bounded(10));
                else if (kind < 95)
                    gbk += QByteArray::fromHex("8140");   // a trail byte below 0x80
                else
                    gbk += char(odd[random.bounded(int(sizeof odd))]);
            }
            if (random.bounded(3) == 0 && !gbk.isEmpty())
                gbk[random.bounded(int(gbk.size()))] = char(odd[random.bounded(int(sizeof odd))]);
            QVERIFY2(GbkText::isValid(gbk) == roundTrips(gbk), gbk.toHex().constData());
            QVERIFY2(GbkText::isCleanText(gbk) == (roundTrips(gbk) && clean(gbk)), gbk.toHex().constData());
            QVERIFY2(GbkText::hasControlCharacter(gbk) == !clean(gbk), gbk.toHex().constData());
            // The one-pass copy agrees, whatever block a character or a mark falls in.
            QByteArray copy(gbk.size(), '\0');
            const GbkText::CopyScan scan = GbkText::copyChecked(gbk, copy.data());
            QVERIFY2(scan.valid == roundTrips(gbk), gbk.toHex().constData());
            if (scan.valid) {
                QCOMPARE(copy, gbk);
                QCOMPARE(scan.separator, gbk.contains('\t') || gbk.contains('\r') || gbk.contains('\n'));
                QCOMPARE(scan.quote, gbk.contains('"'));
            }
        }
    }

    // Every lead byte with every byte after it, read as an outside codec
    // reads it: alone (one character at a time), and inside Chinese text at
    // each place in the sixteen-byte stride of the fast path (a pair at the
    // start, the middle or the end of a stride, or across two), in both
    // decoded forms. A lead byte last of all, its trail cut off, is dropped.
    void everyPairReadsAsAnOutsideCodecReadsIt()
    {
        OutsideCodec python;
        QVERIFY2(python.load(), "python3 with its gbk codec is needed for this test");
        const QHash<int, char16_t> pua = privatePairs(python);
        QCOMPARE(pua.size(), 2149);
        const QList<QPair<int, char16_t>> privateSamples = {
            {0xAAA1, 0xE000}, {0xAFFE, 0xE233}, {0xF8A1, 0xE234}, {0xFEFE, 0xE4C5}, {0xA140, 0xE4C6},
            {0xA7A0, 0xE765}, {0xA2AB, 0xE766}, {0xA2E3, 0xE76C}, {0xA8BC, 0xE7C7}, {0xFE50, 0xE815},
            {0xFEA0, 0xE864}};
        for (const auto &[code, c] : privateSamples)
            QCOMPARE(pua.value(code), c);
        QCOMPARE(singleByte(python, 0x41), QString("A"));

        const QString chinese = QStringLiteral("科技成果登记表第一完成单位");
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0; trail <= 0xFF; ++trail) {
                const int code = lead << 8 | trail;
                const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
                const QString want = expectedPair(python, pua, code);
                const auto fail = QByteArray("pair ") + pair.toHex();
                QVERIFY2(GbkText::decode(pair) == want, fail);
                QVERIFY2(GbkText::decodeToUtf8(pair.constData(), 2) == want.toUtf8(), fail);
                for (const int at : {0, 1, 7, 14, 15}) {
                    const QString before = (at % 2 ? "a" : "") + chinese.left(at / 2);
                    const QString after = chinese.left(12);
                    const QByteArray gbk = GbkText::encode(before) + pair + GbkText::encode(after);
                    QVERIFY2(GbkText::decode(gbk) == before + want + after, fail + " at " + QByteArray::number(at));
                    QVERIFY2(GbkText::decodeToUtf8(gbk.constData(), int(gbk.size())) == (before + want + after).toUtf8(),
                             fail + " at " + QByteArray::number(at));
                }
            }
            QCOMPARE(GbkText::decode(GbkText::encode(chinese) + char(lead)), chinese);
        }
        for (int b = 0; b < 0x80; ++b)
            QCOMPARE(GbkText::decode(QByteArray(1, char(b))), singleByte(python, b));
        QCOMPARE(GbkText::decode(QByteArray("\x80\xff")), QString(QChar(Euro)) + QChar(ByteFF));
    }

    // Valid GBK is what an outside codec reads as characters throughout, the
    // code page's private pairs and euro sign counted; 0xFF, read as a
    // private character, is still refused. The block scans (64 bytes at a
    // time) and the one-pass copy agree wherever in a block the pair falls.
    void everyPairIsValidAsAnOutsideCodecReadsIt()
    {
        OutsideCodec python;
        QVERIFY2(python.load(), "python3 with its gbk codec is needed for this test");
        const QHash<int, char16_t> pua = privatePairs(python);
        const QByteArray chinese = GbkText::encode(QStringLiteral("科技成果登记表第一完成单位").repeated(8));
        QCOMPARE(chinese.size(), 208);
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0; trail <= 0xFF; ++trail) {
                const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
                const QString read = expectedPair(python, pua, lead << 8 | trail);
                const bool valid = read.size() == 1 && read != QChar(Replacement);
                QVERIFY2(valid == isTrailByte(trail), pair.toHex());
                QVERIFY2(GbkText::isValid(pair) == valid, pair.toHex());
                for (const int at : {0, 62, 63, 64, 127, 150}) {
                    const QByteArray gbk = (at % 2 ? "a" : "") + chinese.left(at / 2 * 2) + pair + chinese.left(50);
                    const auto fail = pair.toHex() + " at " + QByteArray::number(at);
                    QVERIFY2(GbkText::isValid(gbk) == valid, fail);
                    QVERIFY2(GbkText::isCleanText(gbk) == valid, fail);
                    QByteArray copy(gbk.size(), '\0');
                    QVERIFY2(GbkText::copyChecked(gbk, copy.data()).valid == valid, fail);
                }
            }
        }
        QVERIFY(GbkText::isValid(QByteArray("\x80")));
        QVERIFY(!GbkText::isValid(QByteArray("\xff")));
    }

    // Every character of the Basic Multilingual Plane is written as the
    // outside codec writes it, or as the code page's own (euro sign, 0xFF's
    // character, private pairs); any other is refused, never substituted.
    // Whatever is written reads back as itself.
    void everyCharacterWritesAsAnOutsideCodecWritesIt()
    {
        OutsideCodec python;
        QVERIFY2(python.load(), "python3 with its gbk codec is needed for this test");
        QHash<int, QByteArray> codePage = python.written;
        codePage.insert(Euro, "\x80");
        codePage.insert(ByteFF, "\xff");
        const QHash<int, char16_t> pua = privatePairs(python);
        for (auto it = pua.begin(); it != pua.end(); ++it)
            codePage.insert(it.value(), QByteArray(1, char(it.key() >> 8)) + char(it.key() & 0xFF));
        QCOMPARE(python.written.value(0x4E2D), QByteArray("\xd6\xd0"));   // 中
        int refused = 0;
        for (int c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            const QString text = QChar(char16_t(c));
            const auto fail = QByteArray("U+") + QByteArray::number(c, 16);
            bool ok = false;
            const QByteArray bytes = GbkText::encode(text, &ok);
            const QByteArray want = c < 0x80 ? QByteArray(1, char(c)) : codePage.value(c);
            QVERIFY2(ok == !want.isEmpty(), fail);
            QVERIFY2(bytes == want, fail);
            QVERIFY2(GbkText::canHold(text) == ok, fail);
            char out[2];
            const char *end = GbkText::encodeInto(text, out);
            QVERIFY2(ok ? end && QByteArray(out, int(end - out)) == want : !end, fail);
            if (ok) {
                QVERIFY2(GbkText::byteLength(text) == want.size(), fail);
                QVERIFY2(GbkText::decode(bytes) == text, fail);
            } else {
                ++refused;
            }
        }
        // ASCII, the two-byte characters of Python's gbk, the euro sign and
        // 0xFF's character, the private pairs: every pair of a lead and a
        // trail byte (126 x 190) is one character or the other.
        QCOMPARE(0x10000 - 0x800 - refused, 128 + 21791 + 2 + 2149);
        QCOMPARE(21791 + 2149, 126 * 190);
    }

    // Random texts of pieces whose UTF-8 order differs from their GBK order,
    // with trail bytes below 0x80, the one-byte €, and shared prefixes.
    void ordersAsGbkBytes()
    {
        // 阿 (B0A2) before 张 (D5C5) in GBK, the other way round in Unicode.
        QVERIFY(QString("阿") > QString("张"));
        QCOMPARE(compareUtf8("阿", "张"), -1);
        const QStringList pieces = {"a", "Z", "0", "阿", "张", "丂", "€", "·", "齄", "成果", "（"};
        QRandomGenerator random(20240611);
        auto randomText = [&] {
            QString text;
            for (int n = int(random.bounded(5)); n > 0; --n)
                text += pieces.at(int(random.bounded(pieces.size())));
            return text;
        };
        for (int i = 0; i < 3000; ++i) {
            const QString a = randomText();
            const QString b = random.bounded(4) == 0 ? a + randomText() : randomText();
            const int expected = sign(GbkText::encode(a).compare(GbkText::encode(b)));   // bytes unsigned
            QCOMPARE(compareUtf8(a, b), expected);
            QCOMPARE(sign(GbkText::compare(a, b)), expected);
        }
        // Characters without a GBK form come after every GBK character.
        QCOMPARE(compareUtf8(Emoji, "齄"), 1);
        QCOMPARE(GbkText::compare(Thai, "齄"), 1);
        QCOMPARE(compareUtf8(Thai, Emoji), -1);
    }

    void formatsNumbersInShortestForm()
    {
        // Whole numbers take a short cut up to 15 digits, and the general form
        // after; exponent form only below 1E-4 and from 1E+15 on.
        const QList<QPair<double, const char *>> cases = {
            {12.5, "12.5"}, {0.1 + 0.2, "0.3"}, {-3.25, "-3.25"}, {-0.0, "0"}, {-7, "-7"},
            {2.0 / 3, "0.666666666666667"}, {1234567.891, "1234567.891"},
            {999999999999999.0, "999999999999999"}, {-999999999999999.0, "-999999999999999"},
            {9007199254740992.0, "9.00719925474099E+15"}, {0.0001, "0.0001"}, {0.00001, "1E-5"},
            {-1.5e-7, "-1.5E-7"}, {1e15, "1E+15"}, {2.5e100, "2.5E+100"}, {std::nan(""), ""}};
        for (const auto &[value, text] : cases)
            QCOMPARE(ValueText::formatNumber(value), QString(text));
    }

    void parsesNumbers()
    {
        double v = 0;
        for (const auto &[text, value] : QList<QPair<const char *, double>>{
                 {" 12.5 ", 12.5}, {"-3", -3}, {"+4", 4}, {".5", 0.5}, {"1E-5", 1e-5}}) {
            QVERIFY2(ValueText::parseNumber(text, &v), text);
            QCOMPARE(v, value);
        }
        for (const QString &text : {"", "  ", "1,5", "12a", "inf", "nan", "0x10", "+-1", "１２", "1 2", "1e999"})
            QVERIFY2(!ValueText::parseNumber(text, &v), qPrintable(text));
    }

    void formatsAndParsesDates()
    {
        QCOMPARE(ValueText::formatDate(QDate(2024, 11, 25)), QString("2024-11-25"));
        QCOMPARE(ValueText::formatDate(QDate()), QString());
        for (const char *text : {"2024-3-5", "2024-03-05", "2024/3/5", "2024.03.05", " 2024-3-05 "})
            QCOMPARE(ValueText::parseDate(text), QDate(2024, 3, 5));
        QCOMPARE(ValueText::parseDate("2024-2-29"), QDate(2024, 2, 29));
        for (const QString &text : {"2024-13-01", "2023-2-29", "24-3-5", "2024-3/5", "2024年3月5日", "",
                                    "2024-3", "5-3-2024", "2024-3-5x"})
            QVERIFY2(!ValueText::parseDate(text).isValid(), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TstGbkText)
#include "tst_gbktext.moc"
