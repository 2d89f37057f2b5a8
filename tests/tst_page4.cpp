// Page 4, the first completing unit of a record, and the own-unit profile
// it can be filled from.
#include "engine/DataSet.h"
#include "records/unit/OwnUnitProfile.h"
#include "support/RecordsData.h"

#include <QtTest>

namespace {

// A value per column that its field holds whole.
QString sampleValue(const QString &column)
{
    if (column == u"item_62"_s)
        return u"3"_s;
    if (column == u"item_41_3"_s)
        return u"13"_s;
    return column.mid(5);
}

QStringList profileValues(const QString &name)
{
    QStringList values;
    for (const QString &column : OwnUnitProfile::columns())
        values << (column == u"item_9"_s ? name : sampleValue(column));
    return values;
}

} // namespace

class TestPage4 : public QObject
{
    Q_OBJECT

    DataFixture f;

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // The profile stays one row, and what is typed is stored as typed:
    // quotes are values, not statement text.
    void theProfileIsOneRowWithItsValuesBound()
    {
        const QString quoted = u"王'记 研究所'); delete from dwqk; --"_s;
        OwnUnitProfile::store(*f.db(), profileValues(quoted));
        OwnUnitProfile::store(*f.db(), profileValues(u"第二次"_s));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 1);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s), u"第二次"_s);
        OwnUnitProfile::store(*f.db(), profileValues(quoted));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 1);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s), quoted);
        for (int i = 1; i < OwnUnitProfile::columns().size(); ++i) {
            const QString column = OwnUnitProfile::columns().at(i);
            QCOMPARE(f.stored(u"dwqk.dbf"_s, column), sampleValue(column));
        }
    }

    // A table that already holds two rows gets both rewritten: every
    // reader takes the first, none keeps an older profile.
    void everyRowOfAnOlderTableIsRewritten()
    {
        appendRow(f.db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"甲"_s}});
        appendRow(f.db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"乙"_s}});
        OwnUnitProfile::store(*f.db(), profileValues(u"丙"_s));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 2);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s, 0), u"丙"_s);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s, 1), u"丙"_s);
    }
};

QTEST_MAIN(TestPage4)
#include "tst_page4.moc"
