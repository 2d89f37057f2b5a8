// Page 5, the cooperating units of a record: the order after a unit is
// given another number.
#include "records/pages/Unitpage5.h"

#include <QtTest>

class TestPage5 : public QObject
{
    Q_OBJECT

private slots:
    void aMovedUnitTakesThePlaceItsNumberNames_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("third to first") << 3 << 2 << 1 << QList<int>{2, 0, 1};
        QTest::newRow("first to third") << 3 << 0 << 3 << QList<int>{1, 2, 0};
        QTest::newRow("second to second") << 3 << 1 << 2 << QList<int>{0, 1, 2};
        QTest::newRow("fourth to second") << 5 << 3 << 2 << QList<int>{0, 3, 1, 2, 4};
        QTest::newRow("beyond the list") << 3 << 0 << 9 << QList<int>{1, 2, 0};
        QTest::newRow("below one") << 3 << 2 << 0 << QList<int>{2, 0, 1};
        QTest::newRow("alone") << 1 << 0 << 5 << QList<int>{0};
    }
    void aMovedUnitTakesThePlaceItsNumberNames()
    {
        QFETCH(int, count);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, order);
        QCOMPARE(CooperatingUnits::orderAfterMove(count, from, to), order);
    }
};

QTEST_MAIN(TestPage5)
#include "tst_page5.moc"
