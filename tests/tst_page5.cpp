// Page 5, the cooperating units of a record: the list through its section
// button, adding, modifying and deleting with dense numbers, a unit moved
// to another number, rows changed by their exact row, the dialog's checks
// and leave question, and the rows read by another dBase reader.
#include "engine/DataSet.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Unitpage5.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/DbfReadBack.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QLineEdit>
#include <QTableView>
#include <QtTest>

namespace {

const QString Number = u"2023000001"_s;
const QString Region = u"."_s;
const QString Units = u"cgwcdw.DBF"_s;

} // namespace

class TestPage5 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    TFpage5 *list = nullptr;
    TFinto5 *dialog = nullptr;

    Query &units() const { return *f.dm()->QryCgwcdw; }

    void openOn(const QStringList &names)
    {
        f.open();
        dialog = f.add(new TFinto5(f.main()));
        list = f.add(new TFpage5(f.main()));
        addComplete(f.db(), Number, u"1"_s, u"五页项目"_s);
        // A unit of another record, never shown here.
        appendRow(f.db(), Units, {{u"ITEM_4"_s, u"2023000002"_s}, {u"ITEM_DQDM"_s, Region},
                                  {u"ITEM_170"_s, u"别的项目的单位"_s}, {u"ITEM_176"_s, u"1"_s}});
        for (int i = 0; i < names.size(); ++i)
            appendRow(f.db(), Units, {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, Region},
                                      {u"ITEM_170"_s, names[i]}, {u"ITEM_176"_s, QString::number(i + 1)},
                                      {u"ITEM_174"_s, u"导入值"_s}});
        f.showList();
        list->showRowsOf({Number, Region});
    }

    QStringList namesInOrder()
    {
        QStringList names;
        Query read(f.db());
        read.setSql(u"select item_170, item_176 from cgwcdw where item_4 = :n order by item_176"_s);
        read.setParam(u"n"_s, Number);
        read.open();
        for (read.first(); !read.eof(); read.next())
            names << read.asString(u"item_170"_s) + u":"_s + read.asString(u"item_176"_s);
        return names;
    }

    // The dialog in a mode, shown; the action runs on it.
    void inDialog(bool modify, const std::function<void()> &action)
    {
        ModalHelper helper([&](QWidget *) { action(); });
        (modify ? list->modifyButton : list->addButton)->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
    }

    void modifyTo(int row, const QString &serial)
    {
        units().moveTo(row);
        inDialog(true, [&] {
            dialog->edt_176->setText(serial);
            dialog->Button1->click();
        });
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { m_log.clear(); }
    void cleanup() { f.stop(); }

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

    // Through the section button: "修改" on an empty list adds, a unit with
    // only a contact is enough, the dialog closes after an add, leaving the
    // list marks the section done; another reader sees the rows.
    void unitsAreAddedThroughTheSectionButton()
    {
        openOn({});
        f.main()->sectionButton(u"btn_page05"_s)->setKind(SectionButton::NotDone);
        QVERIFY(PagesFixture::throughButton<TFpage5>(f.main()->sectionButton(u"btn_page05"_s), [&](TFpage5 *page) {
            QCOMPARE(page, list);
            QCOMPARE(page->windowTitle(), u"成果名称：五页项目"_s);
            QCOMPARE(units().recordCount(), 0);
            inDialog(true, [&] {
                QCOMPARE(dialog->windowTitle(), u"新增－－【合作完成单位情况】"_s);
                QCOMPARE(dialog->edt_176->text(), u"1"_s);
                QVERIFY(dialog->edt_176->isReadOnly());
                dialog->edtdw_173->setText(u"赵六"_s);
                dialog->Button1->click();
            });
            QCOMPARE(m_log.last(), Messages::Texts::stored());
            inDialog(false, [&] {
                QCOMPARE(dialog->edt_176->text(), u"2"_s);
                dialog->edtdw_170->setText(u"  清华大学 "_s);
                dialog->edtdw_171->setText(u"北京市海淀区"_s);
                QTest::keyClicks(dialog->edtdw_172, u"10a0084x5"_s);
                QCOMPARE(dialog->edtdw_172->text(), u"100084"_s);
                dialog->Button1->click();
            });
            QCOMPARE(units().recordCount(), 2);
            QVERIFY(page->deleteButton->isEnabled());
            page->quitButton->click();
        }));
        QVERIFY(f.main()->sectionButton(u"btn_page05"_s)->isDone());
        QCOMPARE(f.main()->sectionButton(u"btn_page05"_s)->text(), u"合作完成单位情况"_s);
        const DbfReadBack back = readWithPythonDbf(
            f.dataPath(), Units, {u"item_4"_s, u"item_dqdm"_s, u"item_170"_s, u"item_172"_s, u"item_173"_s, u"item_176"_s});
        QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
        QCOMPARE(back.rows.size(), 3);
        const QJsonObject first = back.rows.at(1);
        const QJsonObject second = back.rows.at(2);
        QCOMPARE(first.value(u"item_4"_s).toString(), Number);
        QCOMPARE(first.value(u"item_dqdm"_s).toString(), Region);
        QCOMPARE(first.value(u"item_173"_s).toString(), u"赵六"_s);
        QCOMPARE(first.value(u"item_176"_s).toDouble(), 1.0);
        QCOMPARE(second.value(u"item_170"_s).toString(), u"清华大学"_s);
        QCOMPARE(second.value(u"item_172"_s).toString(), u"100084"_s);
        QCOMPARE(second.value(u"item_176"_s).toDouble(), 2.0);
    }

    // Leaving an empty list also marks the section; it never holds the lock.
    void leavingAnEmptyListMarksItDone()
    {
        openOn({});
        f.main()->sectionButton(u"btn_page05"_s)->setKind(SectionButton::NotDone);
        QVERIFY(PagesFixture::throughButton<TFpage5>(f.main()->sectionButton(u"btn_page05"_s),
                                                     [&](TFpage5 *page) { page->quitButton->click(); }));
        QVERIFY(f.main()->sectionButton(u"btn_page05"_s)->isDone());
        QVERIFY(f.main()->CheckPagesDone());
    }

    void deletingRenumbersAndKeepsTheNextUnit()
    {
        openOn({u"甲"_s, u"乙"_s, u"丙"_s});
        units().moveTo(1);
        list->deleteButton->click();
        QCOMPARE(m_log.last(), u"是否删除该项目？!"_s);
        QCOMPARE(namesInOrder(), (QStringList{u"甲:1"_s, u"丙:2"_s}));
        QCOMPARE(units().asString(u"item_170"_s), u"丙"_s);
    }

    void aUnitMovesToTheNumberGiven()
    {
        openOn({u"甲"_s, u"乙"_s, u"丙"_s});
        modifyTo(2, u"1"_s);
        QCOMPARE(namesInOrder(), (QStringList{u"丙:1"_s, u"甲:2"_s, u"乙:3"_s}));
        modifyTo(0, u"3"_s);
        QCOMPARE(namesInOrder(), (QStringList{u"甲:1"_s, u"乙:2"_s, u"丙:3"_s}));
        modifyTo(1, u"99"_s);
        QCOMPARE(namesInOrder(), (QStringList{u"甲:1"_s, u"丙:2"_s, u"乙:3"_s}));
        // Values the page neither shows nor writes survive.
        QCOMPARE(f.stored(Units, u"ITEM_174"_s, 2), u"导入值"_s);
    }

    // Two units alike in name and number (as an import may bring them): a
    // change reaches only the row that was chosen.
    void aChangeReachesOnlyItsRow()
    {
        openOn({u"同名"_s, u"同名"_s});
        appendRow(f.db(), Units, {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, Region},
                                  {u"ITEM_170"_s, u"同名"_s}, {u"ITEM_176"_s, u"2"_s}});
        list->showRowsOf({Number, Region});
        units().moveTo(2);
        const QString third = units().asString(u"item_170"_s);
        QCOMPARE(third, u"同名"_s);
        inDialog(true, [&] {
            dialog->edtdw_171->setText(u"只改这一行"_s);
            dialog->Button1->click();
        });
        QCOMPARE(countRows(f.db(), Units, u"ITEM_171='只改这一行'"_s), 1);
        QCOMPARE(namesInOrder(), (QStringList{u"同名:1"_s, u"同名:2"_s, u"同名:3"_s}));
    }

    void theDialogsChecksAndLeaveQuestion()
    {
        openOn({u"甲"_s});
        // An empty number stores nothing and says nothing.
        units().moveTo(0);
        inDialog(true, [&] {
            dialog->edtdw_171->setText(u"新地址"_s);
            dialog->edt_176->clear();
            m_log.clear();
            QVERIFY(!dialog->Button1Click());
            QVERIFY(m_log.boxes.isEmpty());
            dialog->edt_176->setText(u"一"_s);
            QVERIFY(!dialog->Button1Click());
            QCOMPARE(m_log.last(), u"输入序号必须为数字！"_s);
            QCOMPARE(m_log.boxes.last().icon, QMessageBox::NoIcon);
            // "是" with a number that is refused keeps the dialog and the input.
            m_log.answers = {QMessageBox::Yes};
            dialog->Button2->click();
            QCOMPARE(m_log.last(), u"输入序号必须为数字！"_s);
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->edtdw_171->text(), u"新地址"_s);
            // Leaving a changed unit asks; "否" closes without storing.
            m_log.answers = {QMessageBox::No};
            dialog->Button2->click();
            QCOMPARE(m_log.last(), u"记录已更改，是否保存后退出？"_s);
            QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        });
        QCOMPARE(f.stored(Units, u"ITEM_171"_s, 1), QString());
        // A dialog left blank stores nothing.
        inDialog(false, [&] { dialog->Button1->click(); });
        QCOMPARE(units().recordCount(), 1);
        // "是" stores, also from the leave question.
        inDialog(false, [&] {
            dialog->edtdw_170->setText(u"乙"_s);
            m_log.answers = {QMessageBox::Yes};
            dialog->Button2->click();
        });
        QCOMPARE(namesInOrder(), (QStringList{u"甲:1"_s, u"乙:2"_s}));
    }
};

QTEST_MAIN(TestPage5)
#include "tst_page5.moc"
