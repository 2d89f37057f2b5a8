// GBK text (widths in bytes, cuts, refusal, the GBK byte order used for SQL)
// and the program's fixed number and date texts.
#include "engine/GbkText.h"
#include "engine/ValueText.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

int compareBytes(const QByteArray &a, const QByteArray &b)
{
    const int n = int(qMin(a.size(), b.size()));
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return uchar(a[i]) < uchar(b[i]) ? -1 : 1;
    }
    return sign(int(a.size() - b.size()));
}

int compareUtf8(const QString &a, const QString &b)
{
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return sign(GbkText::compareUtf8AsGbk(ua.constData(), int(ua.size()),
                                          ub.constData(), int(ub.size())));
}

} // namespace

class TstGbkText : public QObject
{
    Q_OBJECT

private slots:
    void widthsAreGbkBytes();
    void cutsNeverSplitACharacter();
    void cutBytesWalksFromTheStart();
    void unencodableTextIsRefused();
    void decodeHandlesDamagedBytes();
    void validBytesAreThoseThatRoundTrip();
    void ordersAsGbkBytes();
    void orderMatchesByteOrderForMixedTexts();

    void formatsNumbersInShortestForm();
    void parsesNumbers();
    void formatsAndParsesDates();
};

void TstGbkText::widthsAreGbkBytes()
{
    QCOMPARE(GbkText::byteLength(QStringLiteral("abc")), 3);
    QCOMPARE(GbkText::byteLength(QStringLiteral("成果名称")), 8);
    QCOMPARE(GbkText::byteLength(QStringLiteral("a成b果")), 6);
    QCOMPARE(GbkText::byteLength(QStringLiteral("€")), 1);   // 0x80 in code page 936
    QCOMPARE(GbkText::encode(QStringLiteral("阿张€")), QByteArray::fromHex("b0a2d5c580"));
    const QString mixed = QStringLiteral("科技成果 No.1；（一）·€丂");
    bool ok = false;
    const QByteArray gbk = GbkText::encode(mixed, &ok);
    QVERIFY(ok);
    QCOMPARE(int(gbk.size()), GbkText::byteLength(mixed));
    QCOMPARE(GbkText::decode(gbk), mixed);
}

void TstGbkText::cutsNeverSplitACharacter()
{
    // 141 bytes: one letter and 70 Chinese characters, or the other way round.
    const QString chinese = QString(70, QChar(0x6210));   // 成
    const QString leading = QStringLiteral("a") + chinese;
    const QString trailing = chinese + QStringLiteral("a");
    QCOMPARE(GbkText::byteLength(leading), 141);

    QCOMPARE(GbkText::cutToBytes(leading, 140), QStringLiteral("a") + QString(69, QChar(0x6210)));
    QCOMPARE(GbkText::cutToBytes(trailing, 140), chinese);
    QCOMPARE(GbkText::cutToBytes(leading, 141), leading);
    QCOMPARE(GbkText::cutToBytes(leading, 0), QString());

    QCOMPARE(GbkText::cutBytes(GbkText::encode(leading), 140),
             GbkText::encode(GbkText::cutToBytes(leading, 140)));
    QCOMPARE(GbkText::cutBytes(GbkText::encode(trailing), 140), GbkText::encode(chinese));

    // A surrogate pair is never cut in two either.
    const QString emoji = QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600");
    QCOMPARE(GbkText::cutToBytes(emoji, 3), QStringLiteral("ab"));
}

void TstGbkText::cutBytesWalksFromTheStart()
{
    // 丂 is 81 40: its trail byte is '@'. Looking back from the cut would take
    // a trail byte for a character of its own.
    const QString text = QStringLiteral("丂丂丂丂丂");
    const QByteArray gbk = GbkText::encode(text);
    QCOMPARE(gbk, QByteArray::fromHex("81408140814081408140"));
    for (int max = 0; max <= 10; ++max) {
        const QByteArray cut = GbkText::cutBytes(gbk, max);
        QCOMPARE(int(cut.size()), max / 2 * 2);
        QCOMPARE(GbkText::decode(cut), text.left(max / 2));
    }
    const QByteArray mixed = GbkText::encode(QStringLiteral("a丂b丂"));
    QCOMPARE(GbkText::cutBytes(mixed, 2), QByteArray("a"));
    QCOMPARE(GbkText::cutBytes(mixed, 3), GbkText::encode(QStringLiteral("a丂")));
    QCOMPARE(GbkText::cutBytes(mixed, 5), GbkText::encode(QStringLiteral("a丂b")));
}

void TstGbkText::unencodableTextIsRefused()
{
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QString thai = QStringLiteral("ก");
    QVERIFY(GbkText::canHold(QStringLiteral("成果abc€·")));
    QVERIFY(!GbkText::canHold(QStringLiteral("成果") + emoji));
    QVERIFY(!GbkText::canHold(thai));

    QCOMPARE(GbkText::firstUnencodable(QStringLiteral("ab") + emoji + thai), emoji);
    QCOMPARE(GbkText::firstUnencodable(QStringLiteral("张") + thai + emoji), thai);
    QVERIFY(GbkText::firstUnencodable(QStringLiteral("张三")).isNull());

    bool ok = true;
    const QByteArray bytes = GbkText::encode(QStringLiteral("a") + thai + QStringLiteral("b"), &ok);
    QVERIFY(!ok);
    QVERIFY(!bytes.contains('?'));   // never a silent substitute
}

void TstGbkText::decodeHandlesDamagedBytes()
{
    // A lead byte whose trail was cut off by another program is dropped.
    QByteArray cut = GbkText::encode(QStringLiteral("张三"));
    cut.chop(1);
    QCOMPARE(GbkText::decode(cut), QStringLiteral("张"));
    // An impossible trail byte gives a replacement, and is then read itself.
    QCOMPARE(GbkText::decode(QByteArray::fromHex("b07f41")),
             QString(QChar(0xFFFD)) + QStringLiteral("\x7f" "A"));
    QCOMPARE(GbkText::decode(QByteArray()), QString());

    // The one-step UTF-8 form gives the same text, damaged bytes included.
    const QByteArray samples[] = {GbkText::encode(QStringLiteral("成果a€·丂（）")), cut,
                                  QByteArray::fromHex("b07f41"), QByteArray("plain"),
                                  QByteArray::fromHex("ff80b0")};
    for (const QByteArray &gbk : samples) {
        QCOMPARE(GbkText::decodeToUtf8(gbk.constData(), int(gbk.size())),
                 GbkText::decode(gbk).toUtf8());
    }
}

// Valid means: decoded and encoded again, the same bytes (0xFF, which code
// page 936 reads as a private character, refused all the same). Long texts
// are checked in blocks of 64 bytes, so lengths and damage go across them.
void TstGbkText::validBytesAreThoseThatRoundTrip()
{
    auto roundTrips = [](const QByteArray &gbk) {
        bool ok = false;
        return GbkText::encode(GbkText::decode(gbk), &ok) == gbk && ok && !gbk.contains('\xff');
    };
    const QByteArray chinese = GbkText::encode(QStringLiteral("科技成果登记表，第一完成单位"));
    QVERIFY(GbkText::isValid(chinese.repeated(20)));
    QVERIFY(!GbkText::isValid(chinese.repeated(20).chopped(1)));    // a lead byte at the end
    QVERIFY(GbkText::isValid(QByteArray("a") + chinese.repeated(4)));   // pairs out of step with the blocks
    QVERIFY(GbkText::isValid(QByteArray::fromHex("80814081fe")));   // euro sign, low trail bytes
    QVERIFY(!GbkText::isValid(QByteArray::fromHex("817f")));
    QVERIFY(!GbkText::isValid(QByteArray::fromHex("ff")));

    QRandomGenerator random(64);
    const uchar odd[] = {0x00, 0x09, 0x22, 0x3f, 0x40, 0x7e, 0x7f, 0x80, 0x81, 0xfe, 0xff};
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
    }
}

void TstGbkText::ordersAsGbkBytes()
{
    // 阿 (B0A2) before 张 (D5C5) in GBK, the other way round in Unicode.
    QVERIFY(QStringLiteral("阿") > QStringLiteral("张"));
    QCOMPARE(GbkText::compare(QStringLiteral("阿"), QStringLiteral("张")), -1);
    QCOMPARE(compareUtf8(QStringLiteral("阿"), QStringLiteral("张")), -1);
    QCOMPARE(compareUtf8(QStringLiteral("王五"), QStringLiteral("李四")), 1);   // CDF5 > C0EE

    // Letters and digits before Chinese; a prefix before its longer texts.
    QCOMPARE(compareUtf8(QStringLiteral("Zebra"), QStringLiteral("阿")), -1);
    QCOMPARE(compareUtf8(QStringLiteral("2024"), QStringLiteral("a")), -1);
    QCOMPARE(compareUtf8(QStringLiteral("张"), QStringLiteral("张三")), -1);
    QCOMPARE(compareUtf8(QStringLiteral("张三"), QStringLiteral("张三")), 0);
    QCOMPARE(compareUtf8(QStringLiteral("a张"), QStringLiteral("a阿")), 1);
    QCOMPARE(compareUtf8(QString(), QString()), 0);
    QCOMPARE(compareUtf8(QString(), QStringLiteral("a")), -1);

    // Characters without a GBK form come after every GBK character.
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QCOMPARE(compareUtf8(emoji, QStringLiteral("齄")), 1);
    QCOMPARE(GbkText::compare(QStringLiteral("ก"), QStringLiteral("齄")), 1);
    QCOMPARE(compareUtf8(QStringLiteral("ก"), emoji), -1);
}

void TstGbkText::orderMatchesByteOrderForMixedTexts()
{
    // Pieces whose UTF-8 order differs from their GBK order, with trail bytes
    // below 0x80, the one-byte €, and shared prefixes.
    const QStringList pieces = {QStringLiteral("a"), QStringLiteral("Z"), QStringLiteral("0"),
                                QStringLiteral("阿"), QStringLiteral("张"), QStringLiteral("丂"),
                                QStringLiteral("€"), QStringLiteral("·"), QStringLiteral("齄"),
                                QStringLiteral("成果"), QStringLiteral("（")};
    QRandomGenerator random(20240611);
    auto randomText = [&] {
        QString text;
        const int n = int(random.bounded(5));
        for (int i = 0; i < n; ++i)
            text += pieces.at(int(random.bounded(pieces.size())));
        return text;
    };
    for (int i = 0; i < 3000; ++i) {
        const QString a = randomText();
        const QString b = random.bounded(4) == 0 ? a + randomText() : randomText();
        const int expected = compareBytes(GbkText::encode(a), GbkText::encode(b));
        QCOMPARE(compareUtf8(a, b), expected);
        QCOMPARE(sign(GbkText::compare(a, b)), expected);
    }
}

void TstGbkText::formatsNumbersInShortestForm()
{
    QCOMPARE(ValueText::formatNumber(12.5), QStringLiteral("12.5"));
    QCOMPARE(ValueText::formatNumber(100), QStringLiteral("100"));
    QCOMPARE(ValueText::formatNumber(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(ValueText::formatNumber(-3.25), QStringLiteral("-3.25"));
    QCOMPARE(ValueText::formatNumber(0), QStringLiteral("0"));
    QCOMPARE(ValueText::formatNumber(-0.0), QStringLiteral("0"));
    QCOMPARE(ValueText::formatNumber(2.0 / 3), QStringLiteral("0.666666666666667"));
    QCOMPARE(ValueText::formatNumber(1234567.891), QStringLiteral("1234567.891"));
    QCOMPARE(ValueText::formatNumber(123456789012345.0), QStringLiteral("123456789012345"));
    // Whole numbers take a short cut up to 15 digits, and the general form after.
    QCOMPARE(ValueText::formatNumber(999999999999999.0), QStringLiteral("999999999999999"));
    QCOMPARE(ValueText::formatNumber(-999999999999999.0), QStringLiteral("-999999999999999"));
    QCOMPARE(ValueText::formatNumber(9007199254740992.0), QStringLiteral("9.00719925474099E+15"));
    QCOMPARE(ValueText::formatNumber(-7), QStringLiteral("-7"));
    // Exponent form only below 1E-4 and from 1E+15 on.
    QCOMPARE(ValueText::formatNumber(0.0001), QStringLiteral("0.0001"));
    QCOMPARE(ValueText::formatNumber(0.00001), QStringLiteral("1E-5"));
    QCOMPARE(ValueText::formatNumber(-1.5e-7), QStringLiteral("-1.5E-7"));
    QCOMPARE(ValueText::formatNumber(1e15), QStringLiteral("1E+15"));
    QCOMPARE(ValueText::formatNumber(2.5e100), QStringLiteral("2.5E+100"));
    QCOMPARE(ValueText::formatNumber(std::nan("")), QString());
}

void TstGbkText::parsesNumbers()
{
    double v = 0;
    QVERIFY(ValueText::parseNumber(QStringLiteral(" 12.5 "), &v));
    QCOMPARE(v, 12.5);
    QVERIFY(ValueText::parseNumber(QStringLiteral("-3"), &v));
    QCOMPARE(v, -3.0);
    QVERIFY(ValueText::parseNumber(QStringLiteral("+4"), &v));
    QCOMPARE(v, 4.0);
    QVERIFY(ValueText::parseNumber(QStringLiteral(".5"), &v));
    QCOMPARE(v, 0.5);
    QVERIFY(ValueText::parseNumber(QStringLiteral("1E-5"), &v));
    QCOMPARE(v, 1e-5);
    const QStringList rejected = {QString(), QStringLiteral("  "), QStringLiteral("1,5"),
                                  QStringLiteral("abc"), QStringLiteral("12a"),
                                  QStringLiteral("inf"), QStringLiteral("nan"),
                                  QStringLiteral("0x10"), QStringLiteral("+-1"),
                                  QStringLiteral("１２"), QStringLiteral("1 2"),
                                  QStringLiteral("1e999")};
    for (const QString &text : rejected)
        QVERIFY2(!ValueText::parseNumber(text, &v), qPrintable(text));
}

void TstGbkText::formatsAndParsesDates()
{
    QCOMPARE(ValueText::formatDate(QDate(2024, 3, 5)), QStringLiteral("2024-3-5"));
    QCOMPARE(ValueText::formatDate(QDate(2024, 11, 25)), QStringLiteral("2024-11-25"));
    QCOMPARE(ValueText::formatDate(QDate()), QString());

    const QDate expected(2024, 3, 5);
    for (const char *text : {"2024-3-5", "2024-03-05", "2024/3/5", "2024.03.05", " 2024-3-05 "})
        QCOMPARE(ValueText::parseDate(QString::fromLatin1(text)), expected);
    QCOMPARE(ValueText::parseDate(QStringLiteral("2024-2-29")), QDate(2024, 2, 29));

    const QStringList rejected = {QStringLiteral("2024-13-01"), QStringLiteral("2023-2-29"),
                                  QStringLiteral("24-3-5"), QStringLiteral("2024-3/5"),
                                  QStringLiteral("2024年3月5日"), QString(),
                                  QStringLiteral("2024-3"), QStringLiteral("5-3-2024"),
                                  QStringLiteral("2024-3-5x")};
    for (const QString &text : rejected)
        QVERIFY2(!ValueText::parseDate(text).isValid(), qPrintable(text));
}

QTEST_GUILESS_MAIN(TstGbkText)
#include "tst_gbktext.moc"
