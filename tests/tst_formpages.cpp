// The registration form's pages of both sets on fully filled records: every
// page lays out and reaches a PDF, options are ticked where the record says
// so, the units and committee tables have their row counts, patents fill
// their slots, and an empty approval date prints nothing.

#include "printing/CommitteePage.h"
#include "printing/DataPages.h"
#include "printing/ReportPages.h"
#include "support/PrintFixture.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

const QString Applied = u"2006000001"_s;
const QString Theory = u"2006000002"_s;

void addUnits(Database *db, const QString &item4, int n)
{
    for (int i = 1; i <= n; ++i)
        appendRow(db, u"cgwcdw.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_176"_s, QString::number(i)},
                   {u"ITEM_170"_s, u"合作单位%1"_s.arg(i)}});
}

void addMembers(Database *db, const QString &item4, int n)
{
    for (int i = 1; i <= n; ++i)
        appendRow(db, u"jdwyhmd.DBF"_s,
                  {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_190"_s, QString::number(i)},
                   {u"ITEM_192"_s, u"委员%1"_s.arg(i)}, {u"ITEM_193"_s, u"1"_s}, {u"ITEM_198"_s, u"3"_s}});
}

void addPatent(Database *db, int serial, const QString &status, const QString &number)
{
    appendRow(db, u"zlqk.dbf"_s,
              {{u"ITEM_4"_s, Applied}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_NO"_s, QString::number(serial)},
               {u"PATENT_ST"_s, status}, {u"PATENT_TY"_s, u"1"_s}, {u"PATENT_NO"_s, number},
               {u"PATENT_NAM"_s, u"专利"_s + number}});
}

QString footer(const report::Page &page)
{
    return page.textOf(page.has(u"QRSysData1"_s) ? u"QRSysData1"_s : u"QRpage"_s);
}

} // namespace

class TestFormPages : public QObject
{
    Q_OBJECT

    PrintFixture f;
    BoxLog m_log;

    void prepare(const QString &item4) { QVERIFY(f.prepare(item4, item4 == Applied ? 0 : 1)); }
    report::Document page(const QString &className) { return f.print()->previewDocument(className); }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.openPrint();
        addComplete(f.db(), Applied, u"1"_s, u"应用技术成果"_s);
        addComplete(f.db(), Theory, u"2"_s, u"软科学成果"_s);
    }
    void cleanup() { f.stop(); }

    // Every page of the record's set lays out and lands in one PDF.
    void everyPageToPdf_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("pages");
        QTest::newRow("applied") << Applied << 15;
        QTest::newRow("theory") << Theory << 13;
    }
    void everyPageToPdf()
    {
        QFETCH(QString, record);
        QFETCH(int, pages);
        prepare(record);
        const QString set = record == Applied ? u"Tyy"_s : u"Trj"_s;
        QList<report::Document> docs;
        for (const ReportPageKind &kind : ReportPages::kinds()) {
            if (kind.className.startsWith(set))
                docs << page(kind.className);
        }
        QCOMPARE(int(docs.size()), pages);
        QList<const report::Document *> all;
        for (const report::Document &d : docs) {
            QCOMPARE(d.pageCount(), 1);
            all << &d;
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"form.pdf"_s);
        report::writePdf(all, pdf);
        QString text = pdfText(pdf);
        QCOMPARE(int(text.count(u'\f')), pages);
        // How the extraction spaces the letters depends on the face found.
        text.remove(QRegularExpression(u"\\s"_s));
        for (const QString &heading : {u"科技成果登记表"_s, u"封面填写说明"_s, u"一、成果概况"_s,
                                       u"成果完成人员名单"_s, u"评价委员会名单"_s, u"成果简介"_s})
            QVERIFY2(text.contains(heading), qPrintable(heading));
        QVERIFY(m_log.boxes.isEmpty());
    }

    // Ticks where the record holds the code, none elsewhere; on paper too.
    void ticks_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("notTicked");
        QTest::newRow("level") << Applied << u"TyyPrint03"_s << u"ITEM_2"_s << u"2"_s
                               << QStringList{u"QL_ITEM_2_2"_s} << QStringList{u"QL_ITEM_2_1"_s};
        QTest::newRow("letter code") << Applied << u"TyyPrint03"_s << u"ITEM_123"_s << u"A"_s
                                     << QStringList{u"QL_ITEM_123_A"_s}
                                     << QStringList{u"QL_ITEM_123_1"_s};
        QTest::newRow("industry") << Applied << u"TyyPrint03"_s << u"ITEM_125"_s << u"01;20;"_s
                                  << QStringList{u"QL_ITEM_125_01"_s, u"QL_ITEM_125_20"_s}
                                  << QStringList{u"QL_ITEM_125_02"_s};
        QTest::newRow("reasons") << Applied << u"TyyPrint05"_s << u"ITEM_160"_s << u"23"_s
                                 << QStringList{u"QL_ITEM_160_23"_s} << QStringList{u"QL_ITEM_160_22"_s};
        QTest::newRow("unit kind") << Applied << u"TyyPrint07"_s << u"ITEM_41_3"_s << u"05"_s
                                   << QStringList{u"QL_ITEM_41_3_05"_s} << QStringList{u"QL_ITEM_41_3_01"_s};
        QTest::newRow("goals") << Theory << u"TrjPrint03"_s << u"ITEM_200"_s << u"03;"_s
                               << QStringList{u"QL_ITEM_200_03"_s} << QStringList{u"QL_ITEM_200_01"_s};
        QTest::newRow("evaluation") << Theory << u"TrjPrint05"_s << u"ITEM_21"_s << u"4"_s
                                    << QStringList{u"QR_ITEM_21_4"_s} << QStringList{u"QR_ITEM_21_2"_s};
    }
    void ticks()
    {
        QFETCH(QString, record);
        QFETCH(QString, className);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, notTicked);
        // Only this field: the record's required codes are "1" elsewhere.
        setFields(f.db(), record, {{field, stored}});
        prepare(record);
        const report::Document doc = page(className);
        for (const QString &name : ticked)
            QCOMPARE(doc.pages[0].textOf(name), u"√"_s);
        for (const QString &name : notTicked)
            QCOMPARE(doc.pages[0].textOf(name), QString());
        QTemporaryDir dir;
        report::writePdf(doc, dir.filePath(u"p.pdf"_s));
        QVERIFY(pdfText(dir.filePath(u"p.pdf"_s)).contains(u"√"_s));
    }

    // Application slots take the status-"1" patents, granted slots the
    // status-"2" ones, each in serial order, at most four; a granted patent
    // stored first does not push the others out.
    void patentSlots()
    {
        addPatent(f.db(), 5, u"2"_s, u"G5"_s);
        addPatent(f.db(), 3, u"1"_s, u"A3"_s);
        addPatent(f.db(), 1, u"1"_s, u"A1"_s);
        for (int i = 6; i <= 10; ++i)
            addPatent(f.db(), i, u"1"_s, u"A%1"_s.arg(i));
        prepare(Applied);
        const report::Page p = page(u"TyyPrint05"_s).pages[0];
        QStringList applied, granted;
        for (int i = 1; i <= 4; ++i) {
            applied << p.textOf(u"QLL_zlqk_zlh_%1"_s.arg(i));
            granted << p.textOf(u"QL_zlqk_zlh_%1"_s.arg(i));
        }
        QCOMPARE(applied, (QStringList{u"A1"_s, u"A3"_s, u"A6"_s, u"A7"_s}));
        QCOMPARE(granted, (QStringList{u"G5"_s, QString(), QString(), QString()}));
        QCOMPARE(p.textOf(u"QL_zlqk_zlm_1"_s), u"专利G5"_s);
    }

    void approvalDate_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("applied") << Applied << u"2008-5-17"_s
                                 << QStringList{u"2008"_s, u"05"_s, u"17"_s};
        QTest::newRow("applied, none") << Applied << QString() << QStringList{QString(), QString(), QString()};
        QTest::newRow("theory, none") << Theory << QString() << QStringList{QString(), QString(), QString()};
    }
    void approvalDate()
    {
        QFETCH(QString, record);
        QFETCH(QString, date);
        if (!date.isEmpty())
            setFields(f.db(), record, {{u"ITEM_121"_s, date}});
        prepare(record);
        const bool applied = record == Applied;
        const report::Page p = page(applied ? u"TyyPrint08"_s : u"TrjPrint06"_s).pages[0];
        QTEST((QStringList{p.textOf(u"QRLabel_year"_s), p.textOf(u"QRLabel_M"_s),
                           p.textOf(applied ? u"QRLabel_d"_s : u"QRLabel_D"_s)}),
              "parts");
    }

    void unitsTable_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("units");
        QTest::addColumn<int>("rows");
        QTest::newRow("applied 3") << Applied << 3 << 23;
        QTest::newRow("applied 22") << Applied << 22 << 23;
        QTest::newRow("applied 23") << Applied << 23 << 23;
        QTest::newRow("applied 24") << Applied << 24 << 23;
        QTest::newRow("theory 2") << Theory << 2 << 13;
        QTest::newRow("theory 12") << Theory << 12 << 13;
        QTest::newRow("theory 13") << Theory << 13 << 13;
        QTest::newRow("theory 14") << Theory << 14 << 13;
    }
    void unitsTable()
    {
        QFETCH(QString, record);
        QFETCH(int, units);
        QFETCH(int, rows);
        addUnits(f.db(), record, units);
        prepare(record);
        const report::Document doc = page(record == Applied ? u"TyyPrint07"_s : u"TrjPrint05"_s);
        QCOMPARE(doc.pageCount(), 1);
        QCOMPARE(f.print()->ClientDataSet3.rowCount(), rows);
        const QStringList texts = doc.pages[0].texts();
        QVERIFY(texts.contains(u"合作单位%1"_s.arg(std::min(units, rows))));
        QVERIFY(!texts.contains(u"合作单位%1"_s.arg(rows + 1)));
    }

    // Rows up to a full last page; the counter exactly when the list runs
    // over more than one page (14 or 15 members of an applied record too).
    void committee_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("members");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("footers");
        QTest::newRow("applied 12") << Applied << 12 << 13 << QStringList{u"11"_s};
        QTest::newRow("applied 13") << Applied << 13 << 13 << QStringList{u"11"_s};
        QTest::newRow("applied 14") << Applied << 14 << 34 << QStringList{u"11--1"_s, u"11--2"_s};
        QTest::newRow("applied 15") << Applied << 15 << 34 << QStringList{u"11--1"_s, u"11--2"_s};
        QTest::newRow("applied 34") << Applied << 34 << 34 << QStringList{u"11--1"_s, u"11--2"_s};
        QTest::newRow("applied 35") << Applied << 35 << 55
                                    << QStringList{u"11--1"_s, u"11--2"_s, u"11--3"_s};
        QTest::newRow("theory 14") << Theory << 14 << 15 << QStringList{u"9"_s};
        QTest::newRow("theory 15") << Theory << 15 << 15 << QStringList{u"9"_s};
        QTest::newRow("theory 16") << Theory << 16 << 37 << QStringList{u"9--1"_s, u"9--2"_s};
        QTest::newRow("theory 37") << Theory << 37 << 37 << QStringList{u"9--1"_s, u"9--2"_s};
        QTest::newRow("theory 38") << Theory << 38 << 59 << QStringList{u"9--1"_s, u"9--2"_s, u"9--3"_s};
    }
    void committee()
    {
        QFETCH(QString, record);
        QFETCH(int, members);
        QFETCH(int, rows);
        addMembers(f.db(), record, members);
        prepare(record);
        const report::Document doc = page(record == Applied ? u"TyyPrint11"_s : u"TrjPrint09"_s);
        QCOMPARE(f.print()->ClientDataSet1.rowCount(), rows);
        QStringList footers;
        for (const report::Page &p : doc.pages)
            footers << footer(p);
        QTEST(footers, "footers");
        QCOMPARE(f.print()->ClientDataSet1.value(0, u"ITEM_193"_s), u"女"_s);
        QCOMPARE(f.print()->ClientDataSet1.value(0, u"ITEM_198"_s), u"副高"_s);
    }
};

QTEST_MAIN(TestFormPages)
#include "tst_formpages.moc"
