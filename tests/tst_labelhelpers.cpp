// The label helpers that turn stored codes and texts into printed ones, over
// a small code table in memory; and the lookups over the shipped tables,
// which leave no table of the data module filtered.

#include "engine/DataSet.h"
#include "printing/CodeLookup.h"
#include "printing/LabelHelpers.h"
#include "report/Report.h"
#include "support/RecordsData.h"

#include <QtTest>

namespace {

// Dictionary groups and one code/name table, as plain maps.
class MapCodes : public CodeLookup
{
public:
    QHash<QString, QString> options;  // "group|code" → text
    QHash<QString, QString> rows;     // "table|key" → name
    QStringList tables{u"province"_s};

    QString optionText(const QString &group, const QString &code) const override
    {
        return options.value(group + u'|' + code);
    }
    QString fieldText(const QString &table, const QString &, const QString &,
                      const QString &key) const override
    {
        return rows.value(table + u'|' + key);
    }
    bool hasTable(const QString &table) const override { return tables.contains(table); }
};

MapCodes sampleCodes()
{
    MapCodes codes;
    codes.options = {{u"item_126|1"_s, u"国家科技计划"_s},
                     {u"item_126|2"_s, u"部门计划"_s},
                     {u"item_126|3"_s, u"地方计划"_s},
                     {u"item_126|4"_s, u"其他"_s}};
    codes.rows = {{u"province|11"_s, u"北京"_s}, {u"xkfl|110"_s, u"数学"_s}};
    return codes;
}

// A page with the choice labels of the fields used below and a few labels
// that only look alike.
report::Report choicePage()
{
    report::Report page(u"page"_s);
    const QStringList names = {
        u"QL_ITEM_2_1"_s,    u"QL_ITEM_2_2"_s,     u"QL_ITEM_2_3"_s,    u"QL_ITEM_2_4"_s,
        u"QL_ITEM_125_1"_s,  u"QL_ITEM_125_1_1"_s, u"QL_ITEM_125_01"_s, u"QR_ITEM_21_2"_s,
        u"QR_ITEM_34"_s,     u"QL_patent_ty_1"_s,  u"item_14_1"_s,      u"QR_item_15"_s,
        u"ITEM_LABEL"_s};
    for (const QString &name : names) {
        report::Element e;
        e.name = name;
        e.text = u"x"_s;
        page.add(report::BandKind::Title, e);
    }
    report::Element field;
    field.kind = report::Kind::Field;
    field.name = u"QRDBITEM_3"_s;
    field.text = u"x"_s;
    page.add(report::BandKind::Title, field);
    return page;
}

QStringList ticked(report::Report &page)
{
    QStringList names;
    for (report::Element *e : page.elements()) {
        if (e->text == u"√"_s)
            names << e->name;
    }
    return names;
}

} // namespace

class TestLabelHelpers : public QObject
{
    Q_OBJECT

private slots:
    void researchPeriod_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::newRow("stored form") << u"2001.01   至2003.12"_s << u"2001年01月"_s << u"2003年12月"_s;
        QTest::newRow("no blank before 至") << u"2001.01至2003.12"_s << u"2001年01月"_s << u"2003年12月"_s;
        QTest::newRow("empty") << QString() << QString() << QString();
        // Without "至" nothing is cut off the text, whatever its first character.
        QTest::newRow("no 至") << u" 2001.01 "_s << u"2001年01月"_s << QString();
        QTest::newRow("no 至, Chinese") << u"二〇〇一"_s << u"年二〇〇一月"_s << QString();
        QTest::newRow("empty end") << u"2001.01   至"_s << u"2001年01月"_s << QString();
        QTest::newRow("part without dot") << u"2001   至2003"_s << u"年2001月"_s << u"年2003月"_s;
    }
    void researchPeriod()
    {
        QFETCH(QString, period);
        const ResearchPeriod parts = SplitResearchPeriod(period);
        QTEST(parts.start, "start");
        QTEST(parts.end, "end");
    }

    void semicolonParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("three") << u"a;b;c"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("two keeps the third") << u"a;b"_s << QStringList{u"a"_s, u"b"_s, u"old"_s};
        QTest::newRow("four drops the rest") << u"a;b;c;d"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("none") << u"a b"_s << QStringList{u"a b"_s, u"old"_s, u"old"_s};
        QTest::newRow("not trimmed") << u" a ; b"_s << QStringList{u" a "_s, u" b"_s, u"old"_s};
    }
    void semicolonParts()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, parts);
        QString p1 = u"old"_s, p2 = u"old"_s, p3 = u"old"_s;
        SplitBySemicolon(text, p1, p2, p3);
        QCOMPARE((QStringList{p1, p2, p3}), parts);
    }

    void codeNames_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("names");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("one without ;") << u"2"_s << u"部门计划"_s;
        QTest::newRow("one keeps its ;") << u"1;"_s << u"国家科技计划;"_s;
        QTest::newRow("two") << u"1;3;"_s << u"国家科技计划;地方计划"_s;
        QTest::newRow("three") << u"1;2;4;"_s << u"国家科技计划;部门计划;其他"_s;
        QTest::newRow("trailing text is no code") << u"1;2"_s << u"国家科技计划;"_s;
        QTest::newRow("blanks trimmed") << u" 1 ; 3 ;"_s << u"国家科技计划;地方计划"_s;
        QTest::newRow("unknown code") << u"7"_s << QString();
    }
    void codeNames()
    {
        QFETCH(QString, stored);
        const MapCodes codes = sampleCodes();
        QTEST(GetCodeNames(codes, u"item_126"_s, stored), "names");
    }

    void lookups()
    {
        MapCodes codes = sampleCodes();
        QCOMPARE(LookupFieldText(codes, u"province"_s, u"Province_i"_s, u"Province_n"_s, u"11"_s),
                 u"北京"_s);
        QCOMPARE(LookupFieldText(codes, u"province"_s, u"Province_i"_s, u"Province_n"_s, u"99"_s),
                 QString());
        codes.tables << u"xkfl"_s;
        QCOMPARE(LookupCodeWithName(codes, u"xkfl"_s, u"xxdm"_s, u"xxmc"_s, u"110"_s), u"110 数学"_s);
        QCOMPARE(LookupCodeWithName(codes, u"xkfl"_s, u"xxdm"_s, u"xxmc"_s, u"999"_s), QString());
        // An optional classification table that is not there: the code alone.
        codes.tables.removeAll(u"xkfl"_s);
        QCOMPARE(LookupCodeWithName(codes, u"xkfl"_s, u"xxdm"_s, u"xxmc"_s, u"110"_s), u"110"_s);
    }

    void dateParts_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("full") << u"2008.05.17"_s << QStringList{u"2008"_s, u"05"_s, u"17"_s};
        QTest::newRow("year only") << u"2008"_s << QStringList{u"2008"_s, QString(), QString()};
        QTest::newRow("empty") << QString() << QStringList{QString(), QString(), QString()};
    }
    void dateParts()
    {
        QFETCH(QString, date);
        const DateParts parts = SplitDate(date);
        QTEST((QStringList{parts.year, parts.month, parts.day}), "parts");
    }

    void choiceMarks_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("ticked");
        QTest::newRow("two codes") << u"ITEM_2"_s << u"1;3;"_s
                                   << QStringList{u"QL_ITEM_2_1"_s, u"QL_ITEM_2_3"_s};
        QTest::newRow("one code") << u"ITEM_2"_s << u"2"_s << QStringList{u"QL_ITEM_2_2"_s};
        QTest::newRow("no final ;") << u"ITEM_2"_s << u"1;2"_s << QStringList{u"QL_ITEM_2_1"_s};
        QTest::newRow("at most three") << u"ITEM_2"_s << u"1;2;3;4;"_s
                                       << QStringList{u"QL_ITEM_2_1"_s, u"QL_ITEM_2_2"_s,
                                                      u"QL_ITEM_2_3"_s};
        QTest::newRow("rest of the name is the code") << u"ITEM_125"_s << u"1"_s
                                                      << QStringList{u"QL_ITEM_125_1"_s};
        QTest::newRow("two-digit code") << u"ITEM_125"_s << u"01;"_s
                                        << QStringList{u"QL_ITEM_125_01"_s};
        QTest::newRow("other prefix") << u"ITEM_21"_s << u"2"_s << QStringList{u"QR_ITEM_21_2"_s};
        QTest::newRow("empty") << u"ITEM_2"_s << QString() << QStringList();
        QTest::newRow("case matters") << u"item_2"_s << u"1"_s << QStringList();
    }
    void choiceMarks()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        report::Report page = choicePage();
        ClearItemLabels(page);
        MarkChoices(page, field, stored);
        QTEST(ticked(page), "ticked");
    }

    void clearingLeavesFixedCaptions()
    {
        report::Report page = choicePage();
        ClearItemLabels(page);
        QStringList kept;
        for (report::Element *e : page.elements()) {
            if (!e->text.isEmpty())
                kept << e->name;
        }
        QCOMPARE(kept, (QStringList{u"item_14_1"_s, u"QR_item_15"_s, u"ITEM_LABEL"_s,
                                    u"QRDBITEM_3"_s}));
    }

    // The lookups over the shipped tables leave the data module's dictionary
    // as it was, and a data folder without the optional classification
    // table still gives the stored code.
    void lookupsOverTheShippedTables()
    {
        DataFixture f;
        f.buildOnce();
        QVERIFY(f.start({u"xkfl.dbf"_s}));
        DatabaseCodes codes(f.db());
        QCOMPARE(GetCodeName(codes, u"item_46"_s, u"1"_s), u"50万元以下"_s);
        QCOMPARE(GetCodeName(codes, u"item_46"_s, u"x'; drop"_s), QString());
        QCOMPARE(LookupFieldText(codes, u"province"_s, u"Province_i"_s, u"Province_n"_s,
                                 f.stored(u"province.dbf"_s, u"Province_i"_s, 0)),
                 f.stored(u"province.dbf"_s, u"Province_n"_s, 0));
        QVERIFY(!f.dm()->Tblzdxx->filtered());
        QCOMPARE(LookupCodeWithName(codes, u"xkfl"_s, u"xxdm"_s, u"xxmc"_s, u"110"_s), u"110"_s);
    }
};

QTEST_MAIN(TestLabelHelpers)
#include "tst_labelhelpers.moc"
