// The rules of pages 2 and 3 that need no window: the funding sums in the
// program's number form, what page 2 derives from the patents, and the
// application-status texts.
#include "records/pages/SectionRules.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSectionRules : public QObject
{
    Q_OBJECT

private slots:
    void fundingSums_data()
    {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("0.1 + 0.2") << QStringList{u"0.1"_s, u"0.2"_s} << u"0.3"_s << false;
        QTest::newRow("three tenths") << QStringList{u"0.1"_s, u"0.1"_s, u"0.1"_s} << u"0.3"_s << false;
        QTest::newRow("empty counts 0") << QStringList{QString(), u" "_s, u"7"_s} << u"7"_s << false;
        QTest::newRow("nothing") << QStringList{QString(), QString()} << u"0"_s << false;
        QTest::newRow("blanks around") << QStringList{u" 12.5 "_s, u"0.25"_s} << u"12.75"_s << false;
        QTest::newRow("seven digits") << QStringList{u"9999998"_s, u"1"_s} << u"9999999"_s << false;
        QTest::newRow("eight digits") << QStringList{u"9999999"_s, u"1"_s} << u"10000000"_s << true;
        QTest::newRow("long fraction") << QStringList{u"1.5"_s, u"0.0001"_s} << u"1.5001"_s << false;
    }
    void fundingSums()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QString, sum);
        QFETCH(bool, tooLong);
        QCOMPARE(Funding::sumText(amounts), sum);
        QCOMPARE(Funding::sumTooLong(Funding::sumText(amounts)), tooLong);
    }

    void patentSummary_data()
    {
        QTest::addColumn<QStringList>("patents");  // status + type
        QTest::addColumn<int>("applications");
        QTest::addColumn<int>("grants");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("types");
        QTest::newRow("none") << QStringList{} << 0 << 0 << u"1"_s << QString();
        QTest::newRow("two applications, one grant")
            << QStringList{u"11"_s, u"11"_s, u"23"_s} << 2 << 1 << u"3"_s << u"1;3;"_s;
        QTest::newRow("one grant only") << QStringList{u"22"_s} << 0 << 1 << u"3"_s << u"2;"_s;
        QTest::newRow("applications only")
            << QStringList{u"13"_s, u"12"_s} << 2 << 0 << u"2"_s << u"2;3;"_s;
        QTest::newRow("types in their order")
            << QStringList{u"23"_s, u"12"_s, u"21"_s} << 1 << 2 << u"3"_s << u"1;2;3;"_s;
        QTest::newRow("unknown codes count for nothing")
            << QStringList{u"  "_s, u"39"_s} << 0 << 0 << u"1"_s << QString();
    }
    void patentSummary()
    {
        QFETCH(QStringList, patents);
        QList<PatentSummary::Patent> list;
        for (const QString &p : patents)
            list.append({p.left(1).trimmed(), p.mid(1, 1).trimmed()});
        const PatentSummary::Summary s = PatentSummary::of(list);
        QTEST(s.applications, "applications");
        QTEST(s.grants, "grants");
        QTEST(s.status, "status");
        QTEST(s.types, "types");
    }

    void applicationStatus_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stable");
        QTest::addColumn<bool>("notApplied");
        QTest::addColumn<bool>("needsReason");
        QTest::addColumn<bool>("storesNoReason");
        QTest::newRow("stable") << u"1  稳定应用"_s << true << false << false << true;
        QTest::newRow("stopped") << u"2  应用后停用"_s << false << false << true << false;
        QTest::newRow("not applied") << u"3  未应用"_s << false << true << true << false;
        QTest::newRow("nothing chosen") << QString() << false << false << true << false;
    }
    void applicationStatus()
    {
        QFETCH(QString, text);
        QTEST(ApplicationStatus::isStable(text), "stable");
        QTEST(ApplicationStatus::isNotApplied(text), "notApplied");
        QTEST(ApplicationStatus::needsReason(text), "needsReason");
        QTEST(ApplicationStatus::storesNoReason(text), "storesNoReason");
    }
};

QTEST_APPLESS_MAIN(TestSectionRules)
#include "tst_sectionrules.moc"
