// The second-level units of the registering unit: their codes, the window
// behind the unit page's hidden button exercised through its handlers
// (adding, the edits following the chosen unit, storing, deleting, the fill
// from the own-unit profile), UNIT.TXT holding them, and the registering
// unit's own row that is never deleted.
#include "engine/DataSet.h"
#include "exchange/core/ExchangeFile.h"
#include "records/unit/UnitCodes.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTableView>
#include <QtTest>

namespace {
const QString Parent = u"9990001000"_s;
}

class TestSecondLevel : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    TFpage4a *unitPage = nullptr;
    TFpage10 *w = nullptr;

    Query &units() const { return *f.dm()->Qryunit; }

    void openUnits()
    {
        f.open();
        unitPage = f.add(new TFpage4a(f.main()));
        w = f.add(new TFpage10(f.main()));
        unitPage->LoadUnitPage();
    }

    // The window through the unit page's hidden button; `action` runs on it.
    void throughUnitPage(const std::function<void()> &action)
    {
        QVERIFY(!unitPage->Button5->isVisible());
        ModalHelper helper([&](QWidget *modal) {
            QCOMPARE(modal, static_cast<QWidget *>(w));
            action();
            w->quit01->click();
        });
        unitPage->Button5->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
    }

    void addUnit(const QString &name, const QString &address)
    {
        QVERIFY(w->Button2Click());
        QCOMPARE(w->Edt_9->text(), QString());
        w->Edt_9->setText(name);
        w->Edt_37->setText(address);
        m_log.clear();
        QVERIFY(w->btnSave01Click());
        QCOMPARE(m_log.last(), Messages::Texts::stored());
    }

    void chooseRow(int row)
    {
        w->DBGrid1->selectionModel()->setCurrentIndex(w->DBGrid1->model()->index(row, 0),
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { m_log.clear(); }
    void cleanup() { f.stop(); }

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
    // Added, edited and deleted through the window: codes 010, 020 under
    // the registering unit, level "2"; the edits follow the chosen unit, so
    // a store never writes one unit's texts into another.
    void unitsAreAddedEditedAndDeleted()
    {
        openUnits();
        throughUnitPage([&] {
            QCOMPARE(w->Panel4->text(), u"报告单位"_s);
            QCOMPARE(w->Panel5->text(), Parent);
            QCOMPARE(units().recordCount(), 0);
            // Nothing to store into before a unit is added.
            QVERIFY(!w->btnSave01Click());
            QCOMPARE(m_log.last(), u"请先按“增加”增加一个二级单位！"_s);
            QCOMPARE(countRows(f.db(), u"unit.dbf"_s), 1);

            addUnit(u"第一研究室"_s, u"一号楼"_s);
            w->Memoad->setPlainText(u"优势\t说明"_s);
            w->findChild<QLineEdit *>(u"edt_124_1_1"_s)->setText(u"0101  微电子技术"_s);
            QVERIFY(w->btnSave01Click());
            addUnit(u"第二研究室"_s, u"二号楼"_s);
            QCOMPARE(w->edt_unit->text(), u"9990001020"_s);
            QCOMPARE(w->Memoad->toPlainText(), QString());
            QCOMPARE(w->findChild<QLineEdit *>(u"edt_124_1_1"_s)->text(), QString());

            chooseRow(0);
            QCOMPARE(w->edt_unit->text(), u"9990001010"_s);
            QCOMPARE(w->Edt_9->text(), u"第一研究室"_s);
            QCOMPARE(w->Memoad->toPlainText(), u"优势 说明"_s);
            QCOMPARE(w->findChild<QLineEdit *>(u"edt_124_1_1"_s)->text(), u"0101  微电子技术"_s);
            // Typing is not lost to another choice: "是" stores it first.
            w->Edt_37->setText(u"一号楼三层"_s);
            m_log.clear();
            chooseRow(1);
            QCOMPARE(m_log.texts().first(), Messages::Texts::leaveQuestion());
            QCOMPARE(w->Edt_9->text(), u"第二研究室"_s);

            units().moveTo(1);
            w->Button3->click();
            QCOMPARE(m_log.last(), u"是否删除该项目？!"_s);
            QCOMPARE(units().recordCount(), 1);
            QCOMPARE(w->Edt_9->text(), u"第一研究室"_s);
        });
        Table unit(f.db(), u"unit.dbf"_s);
        unit.open();
        QCOMPARE(unit.recordCount(), 2);
        QVERIFY(unit.locate(u"unitcode"_s, u"9990001010"_s));
        QCOMPARE(unit.asString(u"upunitcode"_s), Parent);
        QCOMPARE(unit.asString(u"unitlevel"_s), u"2"_s);
        QCOMPARE(unit.asNumber(u"endlevel"_s), 0.0);
        QCOMPARE(unit.asString(u"item_37"_s), u"一号楼三层"_s);
        QCOMPARE(unit.asString(u"item_124_1"_s), u"0101 ;"_s);
        QCOMPARE(unit.asString(u"advantage"_s), u"优势 说明"_s);

        // The exchange file of the unit table holds the registering unit and
        // its second-level unit.
        f.dm()->Tblunit->refresh();
        const QString path = f.dataPath() + u"/UNIT.TXT"_s;
        WriteExchangeFile(*f.dm()->Tblunit, path, ExchangeLine::Unit);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("9990001000\t"));
        QVERIFY(lines.at(1).startsWith("9990001010\t9990001000\t2\t0\t"));
        const QByteArray texts = QStringEncoder("GBK").encode(u"\t第一研究室\t\t一号楼三层\t"_s);
        QVERIFY(lines.at(1).contains(texts));
    }

    // The ninety-ninth unit is the last one a parent takes; the window says
    // so and adds nothing.
    void theHundredthUnitIsRefusedByTheWindow()
    {
        openUnits();
        for (int i = 1; i <= UnitCodes::MaxChildren; ++i)
            appendRow(f.db(), u"unit.dbf"_s,
                      {{u"unitcode"_s, u"9990001%1"_s.arg(i * 10, 3, 10, QLatin1Char('0'))},
                       {u"upunitcode"_s, Parent}, {u"unitlevel"_s, u"2"_s}});
        throughUnitPage([&] {
            QCOMPARE(units().recordCount(), UnitCodes::MaxChildren);
            QVERIFY(!w->Button2Click());
            QCOMPARE(m_log.last(), u"所属二级单位已满99个，不能再增加！"_s);
            QCOMPARE(units().recordCount(), UnitCodes::MaxChildren);
        });
    }

    // The hidden fill copies the own-unit profile, as its caption says.
    void theFillCopiesTheOwnUnitProfile()
    {
        openUnits();
        appendRow(f.db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001010"_s}, {u"upunitcode"_s, Parent},
                                          {u"unitlevel"_s, u"2"_s}, {u"item_9"_s, u"二级单位"_s}});
        throughUnitPage([&] {
            QVERIFY(!w->Button1->isVisible());
            QVERIFY(!w->Button1Click());
            QCOMPARE(m_log.last(), u"本单位情况还没设置，请先设置单位基本情况"_s);
            appendRow(f.db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"本所"_s}, {u"item_37"_s, u"本所地址"_s},
                                              {u"item_41_2"_s, u"62000000"_s}});
            QVERIFY(w->Button1Click());
            QCOMPARE(w->Edt_9->text(), u"本所"_s);
            QCOMPARE(w->Edt_37->text(), u"本所地址"_s);
            QCOMPARE(w->Edt_41_2->text(), u"62000000"_s);
            QCOMPARE(w->edt_unit->text(), u"9990001010"_s);
        });
    }

    // The unit page's hidden delete never removes the registering unit.
    void theRegisteringUnitIsNeverDeleted()
    {
        openUnits();
        f.dm()->Qryunit->close();
        f.dm()->Qryunit->open();
        unitPage->Button4->click();
        QCOMPARE(m_log.last(), u"本单位情况不能删除！"_s);
        QCOMPARE(countRows(f.db(), u"unit.dbf"_s), 1);
        QCOMPARE(f.stored(u"unit.dbf"_s, u"unitcode"_s), Parent);
    }
};

QTEST_MAIN(TestSecondLevel)
#include "tst_secondlevel.moc"
