// GBK text (widths in bytes, cuts, refusal, the GBK byte order used for SQL)
// and the program's fixed number and date texts.
#include "engine/GbkText.h"
#include "engine/ValueText.h"

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
