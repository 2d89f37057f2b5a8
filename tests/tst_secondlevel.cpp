// The second-level units of the registering unit: their codes, and the
// registering unit's own row that is never deleted.
#include "records/unit/UnitCodes.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestSecondLevel : public QObject
{
    Q_OBJECT

private slots:
    void childCodesKeepTheParentPrefix_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QStringList>("children");
        QTest::addColumn<QString>("next");
        QTest::newRow("first child") << u"9990001000"_s << QStringList{} << u"9990001010"_s;
        QTest::newRow("second") << u"9990001000"_s << QStringList{u"9990001010"_s} << u"9990001020"_s;
        QTest::newRow("tenth") << u"9990001000"_s
                               << QStringList{u"9990001010"_s, u"9990001090"_s, u"9990001050"_s}
                               << u"9990001100"_s;
        QTest::newRow("after a gap, past the highest")
            << u"9990001000"_s << QStringList{u"9990001030"_s, u"9990001010"_s} << u"9990001040"_s;
        // A whole-number reading of the code would drop the leading zeros.
        QTest::newRow("parent with leading zeros")
            << u"0010001000"_s << QStringList{u"0010001010"_s} << u"0010001020"_s;
        QTest::newRow("parent that is no number")
            << u"ABC0001000"_s << QStringList{} << u"ABC0001010"_s;
        // Codes of other parents or of another form do not count.
        QTest::newRow("foreign codes passed over")
            << u"9990001000"_s << QStringList{u"9990002990"_s, u"99900010X0"_s, u"999000101"_s, u" 9990001020 "_s}
            << u"9990001030"_s;
    }
    void childCodesKeepTheParentPrefix()
    {
        QFETCH(QString, parent);
        QFETCH(QStringList, children);
        QFETCH(QString, next);
        const UnitCodes::NextCode code = UnitCodes::nextChildCode(parent, children);
        QCOMPARE(code.code, next);
        QVERIFY(code.refusal.isEmpty());
    }

    // The ninety-ninth child is the last: the next code would belong to
    // another parent.
    void theHundredthChildIsRefused()
    {
        QStringList children;
        for (int i = 1; i <= 98; ++i)
            children << u"9990001%1"_s.arg(i * 10, 3, 10, QLatin1Char('0'));
        const UnitCodes::NextCode last = UnitCodes::nextChildCode(u"9990001000"_s, children);
        QCOMPARE(last.code, u"9990001990"_s);
        children << last.code;
        const UnitCodes::NextCode refused = UnitCodes::nextChildCode(u"9990001000"_s, children);
        QVERIFY(refused.code.isEmpty());
        QCOMPARE(refused.refusal, u"所属二级单位已满99个，不能再增加！"_s);
        QVERIFY(!UnitCodes::nextChildCode(u"999"_s, {}).refusal.isEmpty());
    }

    void theRegisteringUnitIsKnownByItsCode()
    {
        QVERIFY(UnitCodes::isRegisteringUnit(u"9990001000"_s));
        QVERIFY(UnitCodes::isRegisteringUnit(u"9990001000  "_s));
        QVERIFY(!UnitCodes::isRegisteringUnit(u"9990001010"_s));
        QVERIFY(!UnitCodes::isRegisteringUnit(QString()));
    }
};

QTEST_MAIN(TestSecondLevel)
#include "tst_secondlevel.moc"
