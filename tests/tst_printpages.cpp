// The printed form's cover and persons list of both categories: what lands
// on which page, the footer's label or counter, the breaks of long texts,
// and the same texts read back from real PDFs; the product annex's layout.

#include "engine/GbkText.h"
#include "printing/CoverPage.h"
#include "printing/PersonsPage.h"
#include "printing/PrintPreparation.h"
#include "support/PrintFixture.h"

#include <QtTest>

namespace {

const QString Applied = u"2006000001"_s;
const QString Theory = u"2006000002"_s;
const QString Basic = u"2006000003"_s;

int units(const QString &line)
{
    return GbkText::byteLength(line);
}

} // namespace

class TestPrintPages : public QObject
{
    Q_OBJECT

    PrintFixture f;
    BoxLog m_log;

    void prepare(const QString &item4)
    {
        QVERIFY(f.prepare(item4, item4 == Applied ? 0 : item4 == Theory ? 1 : 2));
    }

    // Persons: of the applied record, and of the soft-science and the
    // basic-theory record each.
    void addRecords(int appliedPersons, int theoryPersons)
    {
        addAchievement(f.db(), Applied, u"1"_s, u"高效节能换热器的研制"_s);
        addAchievement(f.db(), Theory, u"2"_s, u"区域发展战略研究"_s);
        addAchievement(f.db(), Basic, u"3"_s, u"稀土元素的电子结构"_s);
        addPersons(f.db(), Applied, appliedPersons);
        addPersons(f.db(), Theory, theoryPersons);
        addPersons(f.db(), Basic, theoryPersons);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.openPrint();
    }
    void cleanup() { f.stop(); }

    void cover_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("registered");
        QTest::addColumn<QStringList>("date");
        QTest::newRow("applied") << Applied << u"Tyyfm1"_s << u"（应用技术类成果）"_s << u"2008-5-17"_s
                                 << QStringList{u"2008"_s, u"5"_s, u"17"_s};
        QTest::newRow("theory") << Theory << u"Trjfm1"_s << u"（基础理论、软科学类成果）"_s << u"2008-12-31"_s
                                << QStringList{u"2008"_s, u"12"_s, u"31"_s};
        QTest::newRow("basic theory") << Basic << u"Trjfm1"_s << u"（基础理论、软科学类成果）"_s
                                      << u"2012-2-29"_s << QStringList{u"2012"_s, u"2"_s, u"29"_s};
    }
    void cover()
    {
        QFETCH(QString, record);
        QFETCH(QString, page);
        QFETCH(QString, registered);
        addRecords(1, 1);
        setFields(f.db(), record,
                  {{u"ITEM_9"_s, u"某某研究院"_s}, {u"ITEM_128"_s, u"某某市科学技术局"_s},
                   {u"ITEM_120"_s, u"9990001000"_s}, {u"ITEM_8"_s, u"2001.01   至2003.12"_s},
                   {u"ITEM_121"_s, registered}});
        prepare(record);
        const report::Document doc = f.print()->previewDocument(page);
        QCOMPARE(doc.pageCount(), 1);
        const report::Page &p = doc.pages[0];
        const QHash<QString, QString> titles = {{Applied, u"高效节能换热器的研制"_s},
                                                {Theory, u"区域发展战略研究"_s},
                                                {Basic, u"稀土元素的电子结构"_s}};
        QVERIFY(p.texts().contains(titles.value(record)));
        QTEST(p.textOf(u"QRLabelSet"_s), "set");
        const QStringList filled = {p.textOf(u"QRDBText_9"_s), p.textOf(u"QRDBText_128"_s),
                                    p.textOf(u"QRDBText_120"_s)};
        QCOMPARE(filled, (QStringList{u"某某研究院"_s, u"某某市科学技术局"_s, u"9990001000"_s}));
        QStringList period;
        for (const QString &name : {u"item_8_1"_s, u"item_8_2"_s, u"item_8_3"_s, u"item_8_4"_s})
            period << p.textOf(name);
        QCOMPARE(period, (QStringList{u"2001"_s, u"01"_s, u"2003"_s, u"12"_s}));
        QStringList date;
        for (const QString &name : {u"item_121_1"_s, u"item_121_2"_s, u"item_121_3"_s})
            date << p.textOf(name);
        QTEST(date, "date");

        // The same on paper.
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"cover.pdf"_s);
        report::writePdf(doc, pdf);
        const QString text = pdfText(pdf);
        for (const QString &expected : {u"某某研究院"_s, u"某某市科学技术局"_s, u"2001"_s,
                                        u"2003"_s, registered.left(4), u"9990001000"_s})
            QVERIFY2(text.contains(expected), qPrintable(expected + u" not in:\n"_s + text));
    }

    // An empty period and date print nothing; a date text without "-" is
    // all day.
    void coverWithoutPeriod()
    {
        QCOMPARE(CoverPage::periodParts(QString()), QStringList(4, QString()));
        QCOMPARE(CoverPage::registrationDateParts(u"2008/5/17"_s),
                 (QStringList{QString(), QString(), u"2008/5/17"_s}));
    }

    void personsList_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("persons");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("footers");
        QTest::newRow("applied 0") << Applied << 0 << 1 << QStringList{u"10"_s};
        QTest::newRow("applied 18") << Applied << 18 << 1 << QStringList{u"10"_s};
        QTest::newRow("applied 19") << Applied << 19 << 2 << QStringList{u"10--1"_s, u"10--2"_s};
        QTest::newRow("applied 45") << Applied << 45 << 3
                                    << QStringList{u"10--1"_s, u"10--2"_s, u"10--3"_s};
        QTest::newRow("theory 17") << Theory << 17 << 1 << QStringList{u"8"_s};
        QTest::newRow("theory 18") << Theory << 18 << 2 << QStringList{u"8--1"_s, u"8--2"_s};
        QTest::newRow("basic theory 17") << Basic << 17 << 1 << QStringList{u"8"_s};
        QTest::newRow("basic theory 18") << Basic << 18 << 2 << QStringList{u"8--1"_s, u"8--2"_s};
    }
    void personsList()
    {
        QFETCH(QString, record);
        QFETCH(int, persons);
        QFETCH(int, pages);
        addRecords(record == Applied ? std::max(persons, 1) : 1, record == Applied ? 1 : persons);
        prepare(record);
        if (persons == 0) {
            // A record without persons is incomplete and never reaches the
            // print window; the list still has its blank row.
            f.db()->execute(u"delete from cgwcr where item_4 = :k"_s, {{u"k"_s, record}});
            f.dm()->QryCgwcr->close();
            f.dm()->QryCgwcr->open();
        }
        const QString page = record == Applied ? u"TyyPrint10"_s : u"TrjPrint08"_s;
        const report::Document doc = f.print()->previewDocument(page);
        QCOMPARE(f.print()->ClientDataSet2.rowCount(), persons + 1);
        QCOMPARE(doc.pageCount(), pages);
        QStringList footers;
        QStringList names;
        for (const report::Page &p : doc.pages) {
            footers << p.textOf(p.has(u"QRSysData1"_s) ? u"QRSysData1"_s : u"QRpage"_s);
            QVERIFY(!(p.has(u"QRSysData1"_s) && p.has(u"QRpage"_s)));
            for (const report::DrawItem &item : p.items) {
                if (item.name == u"QRDBText_180"_s && !item.text.isEmpty())
                    names << item.text;
            }
        }
        QTEST(footers, "footers");
        // Every person once, in serial order, and the blank row last.
        QStringList expected;
        for (int i = 1; i <= persons; ++i)
            expected << u"人员%1"_s.arg(i);
        QCOMPARE(names, expected);
        QCOMPARE(f.print()->ClientDataSet2.value(persons, u"ITEM_180"_s), QString());
        if (persons > 0) {
            QCOMPARE(f.print()->ClientDataSet2.value(0, u"ITEM_183"_s), u"正高"_s);
            QCOMPARE(f.print()->ClientDataSet2.value(0, u"ITEM_184"_s), u"硕士研究生"_s);
            QCOMPARE(f.print()->ClientDataSet2.value(0, u"ITEM_181"_s), u"男"_s);
            QCOMPARE(f.print()->ClientDataSet2.value(0, u"ITEM_188"_s), u"否"_s);
        }
    }

    // A two-page list on paper: the second page holds its persons and its
    // own counter.
    void personsListPdf()
    {
        addRecords(30, 1);
        prepare(Applied);
        const report::Document doc = f.print()->previewDocument(u"TyyPrint10"_s);
        QCOMPARE(doc.pageCount(), 2);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"persons.pdf"_s);
        report::writePdf(doc, pdf);
        const QStringList pagesText = pdfText(pdf).split(u'\f');
        QVERIFY(pagesText.size() >= 2);
        QVERIFY(pagesText[0].contains(u"成果完成人员名单"_s));
        QVERIFY(pagesText[0].contains(u"人员1"_s));
        QVERIFY(!pagesText[0].contains(u"人员30"_s));
        QVERIFY(pagesText[0].contains(u"10--1"_s));
        QVERIFY(pagesText[1].contains(u"人员30"_s));
        QVERIFY(pagesText[1].contains(u"10--2"_s));
        QVERIFY(pagesText[1].contains(u"填写说明"_s));
    }

    // Annex 3 of the applied set: every product line at the size of annex 4
    // below it, in columns over the page's width, none shrunk, cut or
    // overlapping, all of them on paper.
    void productAnnexOverThePageWidth()
    {
        addRecords(1, 1);
        prepare(Applied);
        const report::Document doc = f.print()->previewDocument(u"TyyPrint12"_s);
        QCOMPARE(doc.pageCount(), 1);
        QList<report::DrawItem> products;
        QList<report::DrawItem> industries;
        QList<report::DrawItem> *list = nullptr;
        for (const report::DrawItem &item : doc.pages[0].items) {
            if (item.type != report::DrawItem::Text || item.text.isEmpty())
                continue;
            if (item.text.startsWith(u"附件3"_s))
                list = &products;
            else if (item.text.startsWith(u"附件4"_s))
                list = &industries;
            else if (list && item.name.isEmpty())
                *list << item;
        }
        QCOMPARE(products.size(), 75);  // the catalogue's codes of up to four digits
        QCOMPARE(products.first().text, u"01  电子信息"_s);
        QCOMPARE(products.last().text, u"1108  肥料与土壤改良技术"_s);
        QCOMPARE(industries.size(), 8);
        QCOMPARE(report::printedPointSize(industries.first()), 9.0);

        double left = 210;
        double right = 0;
        for (const report::DrawItem &item : std::as_const(products)) {
            QCOMPARE(report::printedPointSize(item), 9.0);
            QVERIFY2(report::textWidthMm(item.text, item.style) <= item.mm.width(), qPrintable(item.text));
            QVERIFY2(item.mm.left() >= 15 && item.mm.right() <= 195 && item.mm.bottom() <= 277,
                     qPrintable(item.text));
            for (const report::DrawItem &other : std::as_const(products))
                QVERIFY2(&other == &item || !other.mm.intersects(item.mm), qPrintable(item.text + other.text));
            left = std::min(left, item.mm.left());
            right = std::max(right, item.mm.right());
        }
        QVERIFY2(left <= 16 && right >= 170, qPrintable(u"%1 .. %2 mm"_s.arg(left).arg(right)));

        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"annex.pdf"_s);
        report::writePdf(doc, pdf);
        const QString text = pdfText(pdf);
        for (const report::DrawItem &item : std::as_const(products))
            QVERIFY2(text.contains(item.text.section(u"  "_s, 1)), qPrintable(item.text));
    }

    // Lines of at most 26 width units, cut between characters, in order.
    void textBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("contribution");
        QTest::addColumn<int>("lines");
        QTest::newRow("short unit") << u"某某研究所"_s << false << 1;
        QTest::newRow("26 units") << QString(13, u'所') << false << 1;
        QTest::newRow("odd cut in a unit") << u"a"_s + QString(13, u'所') << false << 2;
        QTest::newRow("long unit, one break") << QString(40, u'所') << false << 2;
        QTest::newRow("52 units") << QString(26, u'贡') << true << 2;
        QTest::newRow("60 units") << QString(30, u'贡') << true << 3;
        QTest::newRow("160 units, rest on line 6") << QString(80, u'贡') << true << 6;
        QTest::newRow("mixed ASCII and Chinese")
            << u"负责CAD/CAM系统的总体设计,完成3D建模与有限元分析工作并编写软件"_s << true << 3;
    }
    void textBreaks()
    {
        QFETCH(QString, text);
        QFETCH(bool, contribution);
        const QString broken = contribution ? PersonsPage::breakContribution(text)
                                            : PersonsPage::breakWorkUnit(text);
        const QStringList lines = broken.split(u'\n');
        QTEST(int(lines.size()), "lines");
        QCOMPARE(lines.join(QString()), text);
        for (int i = 0; i < lines.size() - 1; ++i)
            QVERIFY2(units(lines[i]) <= 26 && units(lines[i]) >= 25, qPrintable(lines[i]));
        if (contribution && lines.size() < 6)
            QVERIFY(units(lines.last()) <= 26);
    }
};

QTEST_MAIN(TestPrintPages)
#include "tst_printpages.moc"
