// The unit information page over the shipped tables: what every save writes,
// the enterprise rule, the code lists, the memo editors, the required texts
// and the change test, and the first run of a new user through the main
// window.
#include "engine/DataSet.h"
#include "records/EntryRoutines.h"
#include "records/SectionButton.h"
#include "records/Unit1.h"
#include "records/UnitProfile.h"
#include "records/Unitpage11.h"
#include "records/Unitpage4a.h"
#include "records/Unitpage4a1.h"
#include "records/Unitpage4a3.h"
#include "records/Unitpage4a5.h"
#include "records/Unittree.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DropDownCombo.h"
#include "records/widgets/GbkMemo.h"
#include "support/ModalHelper.h"
#include "support/UnitFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString Question = QStringLiteral("记录已经更改,是否保存？");
const QString Stored = QStringLiteral("存储成功！");

QString code(const QComboBox *combo)
{
    return UnitProfile::pickCode(combo->currentText());
}

} // namespace

class TestUnitPage : public QObject
{
    Q_OBJECT

    UnitFixture f;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TFpage4a> m_page;

    TFpage4a &page() { return *m_page; }
    Table &unit() { return *f.dm()->Tblunit; }

    void makeWindows()
    {
        m_main = std::make_unique<TMainForm>();
        MainForm = m_main.get();
        FormTree = new TFormTree(m_main.get());
        FormTree->setTable(f.dm()->Table1);
        Fpage11 = new TFpage11(m_main.get());
        formadvantage = new Tformadvantage(m_main.get());
        formunitintrod = new Tformunitintrod(m_main.get());
        Formstudy = new TFormstudy(m_main.get());
        m_page = std::make_unique<TFpage4a>();
        Fpage4a = m_page.get();
    }

    void dropWindows()
    {
        Fpage4a = nullptr;
        m_page.reset();
        FormTree = nullptr;
        Fpage11 = nullptr;
        formadvantage = nullptr;
        formunitintrod = nullptr;
        Formstudy = nullptr;
        MainForm = nullptr;
        m_main.reset();
    }

    void restart(const QStringList &removeFiles = {})
    {
        dropWindows();
        f.stop();
        QVERIFY(f.start(removeFiles));
        makeWindows();
    }

    void fillRequired()
    {
        page().edt_9->setText(QStringLiteral("华北材料研究所"));
        page().Edt_37->setText(QStringLiteral("北京市海淀区学院路1号"));
        page().Edt_38->setText(QStringLiteral("100083"));
        page().edt_420->setText(QStringLiteral("40000123-4"));
        page().Edt_39->setText(QStringLiteral("010-62331234"));
        page().Edt_40->setText(QStringLiteral("010-62331235"));
        page().Memo3->setPlainText(QStringLiteral("从事新材料研究。"));
        page().Edt_41->setText(QStringLiteral("科技处"));
        page().Edt_41_2->setText(QStringLiteral("010-62331236"));
    }

    void setUnitField(const QString &field, const QString &value)
    {
        unit().first();
        unit().edit();
        unit().setString(field, value);
        unit().post();
    }

    // A saved profile, loaded again.
    void saveAndReload()
    {
        page().LoadUnitPage();
        fillRequired();
        page().btnSave01Click();
        page().LoadUnitPage();
        f.boxes.clear();
    }

    QLineEdit *codeEdit(const QString &name) { return page().findChild<QLineEdit *>(name); }

    QStringList codeEditTexts(const QString &prefix)
    {
        QStringList texts;
        for (int i = 1; i <= 10; ++i)
            texts << codeEdit(prefix + QString::number(i))->text();
        return texts;
    }

private slots:
    void initTestCase() { f.buildOnce(); }

    void init()
    {
        QVERIFY(f.start());
        makeWindows();
    }

    void cleanup()
    {
        dropWindows();
        f.stop();
    }

    void everySaveWritesTheFixedValues()
    {
        QVERIFY(unit().isEmpty());
        page().LoadUnitPage();
        fillRequired();
        page().edt_9->setText(QStringLiteral("  华北材料研究所  "));
        m_main->btn_page04->setKind(SectionButton::NotDone);
        page().btnSave01Click();

        QCOMPARE(f.boxTexts(), QStringList{Stored});
        QCOMPARE(f.boxes.first().caption, QStringLiteral("Dravik"));
        QVERIFY(m_main->btn_page04->isDone());
        QCOMPARE(countRows(f.db(), QStringLiteral("unit.dbf")), 1);
        QCOMPARE(f.stored("unit.dbf", "item_9"), QStringLiteral("华北材料研究所"));
        QCOMPARE(f.stored("unit.dbf", "unitcode"), QStringLiteral("9990001000"));
        QCOMPARE(f.stored("unit.dbf", "unitlevel"), QStringLiteral("1"));
        QCOMPARE(f.stored("unit.dbf", "endlevel"), QStringLiteral("1"));
        QCOMPARE(f.stored("unit.dbf", "chiefexper"), QStringLiteral("   9999999999"));
        QCOMPARE(f.stored("unit.dbf", "unitintrod"), QStringLiteral("从事新材料研究。"));

        // The next save edits the same row and writes them again.
        setUnitField(QStringLiteral("unitcode"), QStringLiteral("1234567890"));
        setUnitField(QStringLiteral("chiefexper"), QString());
        page().Button2Click();
        QCOMPARE(f.boxTexts(), QStringList{Stored});  // the silent save says nothing
        QCOMPARE(countRows(f.db(), QStringLiteral("unit.dbf")), 1);
        QCOMPARE(f.stored("unit.dbf", "unitcode"), QStringLiteral("9990001000"));
        QCOMPARE(f.stored("unit.dbf", "chiefexper"), QStringLiteral("   9999999999"));
    }

    void ownershipIsKeptOnlyForAnEnterprise()
    {
        page().LoadUnitPage();
        fillRequired();
        QVERIFY(!page().CB_41_3->isEnabled());
        SelectComboByCode(QStringLiteral("3"), page().cb_62);
        emit page().cb_62->activated(page().cb_62->currentIndex());
        QVERIFY(page().CB_41_3->isEnabled() && page().cb_163->isEnabled());
        QCOMPARE(page().CB_41_3->currentIndex(), -1);
        SelectComboByCode(QStringLiteral("05"), page().CB_41_3);
        page().cb_163->setChecked(true);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_62"), QStringLiteral("3"));
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), QStringLiteral("05"));
        QCOMPARE(f.stored("unit.dbf", "item_163"), QStringLiteral("1"));
        page().cb_163->setChecked(false);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_163"), QStringLiteral("0"));

        // Another attribute: whatever the ownership list and the box show.
        SelectComboByCode(QStringLiteral("1"), page().cb_62);
        page().cb_163->setChecked(true);
        QCOMPARE(code(page().CB_41_3), QStringLiteral("05"));
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_62"), QStringLiteral("1"));
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), QString());
        QCOMPARE(f.stored("unit.dbf", "item_163"), QString());

        // Choosing a non-enterprise clears and locks the two.
        emit page().cb_62->activated(page().cb_62->currentIndex());
        QVERIFY(!page().CB_41_3->isEnabled() && !page().cb_163->isEnabled());
        QVERIFY(!page().cb_163->isChecked());
        QCOMPARE(page().CB_41_3->count(), 0);

        // Loading an enterprise row selects its stored codes.
        setUnitField(QStringLiteral("item_62"), QStringLiteral("3"));
        setUnitField(QStringLiteral("item_41_3"), QStringLiteral("11"));
        setUnitField(QStringLiteral("item_163"), QStringLiteral("1"));
        page().LoadUnitPage();
        QVERIFY(page().CB_41_3->isEnabled());
        QCOMPARE(code(page().CB_41_3), QStringLiteral("11"));
        QVERIFY(page().cb_163->isChecked());
    }

    void codeListsAreStoredAsCodeEntries()
    {
        page().LoadUnitPage();
        fillRequired();
        codeEdit("edt_124_2_1")->setText(QStringLiteral("0101  微电子技术"));
        codeEdit("edt_124_2_3")->setText(QStringLiteral("0102"));  // a bare code
        codeEdit("edt_124_2_4")->setText(QStringLiteral("   "));
        codeEdit("edt_124_2_10")->setText(QStringLiteral("010101  集成电路设计技术"));
        codeEdit("edt_15_1_2")->setText(QStringLiteral("11010  数学史"));
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_124_2"), QStringLiteral("0101 ;0102 ;010101 ;"));
        QCOMPARE(f.stored("unit.dbf", "item_15_1"), QStringLiteral("11010 ;"));
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), QString());
        QCOMPARE(f.stored("unit.dbf", "item_15"), QString());
    }

    void storedCodeListsLoadBackWithTheirNames()
    {
        saveAndReload();
        // Eleven entries, one of them unknown to the table.
        QString eleven;
        for (int i = 1; i <= 9; ++i)
            eleven += QStringLiteral("0%1 ;").arg(i);
        eleven += QStringLiteral("999999 ;10 ;");
        setUnitField(QStringLiteral("item_124_1"), eleven);
        setUnitField(QStringLiteral("item_15"), QStringLiteral("110 ;11010 ;"));
        setUnitField(QStringLiteral("item_124_2"), QStringLiteral("0101 ;0102"));
        Table &gxjs = *f.dm()->Tblgxjs;
        gxjs.setFilter(QStringLiteral("xxdm='02'"));
        gxjs.setFiltered(true);
        codeEdit("edt_15_5")->setText(QStringLiteral("旧的内容"));

        page().LoadUnitPage();
        const QStringList advantage = codeEditTexts(QStringLiteral("edt_124_1_"));
        QCOMPARE(advantage.first(), QStringLiteral("01  电子信息"));
        QCOMPARE(advantage.at(8), QStringLiteral("09  地球、空间与海洋"));
        QCOMPARE(advantage.at(9), QStringLiteral("999999"));
        QCOMPARE(codeEditTexts(QStringLiteral("edt_15_")).mid(0, 3),
                 (QStringList{QStringLiteral("110  数学"), QStringLiteral("11010  数学史"), QString()}));
        QCOMPARE(codeEdit("edt_15_5")->text(), QString());
        QCOMPARE(codeEditTexts(QStringLiteral("edt_124_2_")).mid(0, 3),
                 (QStringList{QStringLiteral("0101  微电子技术"),
                              QStringLiteral("0102  计算机及网络技术"), QString()}));
        // The look-ups leave the classification table as it was.
        QVERIFY(gxjs.filtered());
        QCOMPARE(gxjs.filter(), QStringLiteral("xxdm='02'"));
        QCOMPARE(gxjs.recordCount(), 1);
        QVERIFY(!f.dm()->Txkfl2->filtered());

        // Saved again: at most ten entries, the unknown code kept.
        page().btnSave01Click();
        eleven.chop(QStringLiteral("10 ;").size());
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), eleven);
        QCOMPARE(f.stored("unit.dbf", "item_124_2"), QStringLiteral("0101 ;0102 ;"));
    }

    void subjectCodesShowBareWithoutTheSubjectTable()
    {
        restart({QStringLiteral("xkfl.dbf")});
        QVERIFY(!f.dm()->XkflPresent);
        saveAndReload();
        setUnitField(QStringLiteral("item_15_1"), QStringLiteral("110 ;"));
        page().LoadUnitPage();
        QVERIFY(f.boxes.isEmpty());
        QCOMPARE(codeEdit("edt_15_1_1")->text(), QStringLiteral("110"));
        page().Button2Click();
        QCOMPARE(f.stored("unit.dbf", "item_15_1"), QStringLiteral("110 ;"));
    }

    void theChooserWritesIntoItsOwnEdit()
    {
        page().LoadUnitPage();
        codeEdit("edt_124_1_2")->setText(QStringLiteral("02  软件"));
        ModalHelper helper([](QWidget *modal) {
            auto *tree = modal->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
            const auto found = tree->findItems(QStringLiteral("0103  通信技术"),
                                               Qt::MatchExactly | Qt::MatchRecursive);
            if (!found.isEmpty())
                tree->setCurrentItem(found.first());
            ModalHelper::click(modal, QStringLiteral("Button1"));
        });
        page().findChild<DropDownCombo *>(QStringLiteral("cb_124_2_3"))->showPopup();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(codeEdit("edt_124_2_3")->text(), QStringLiteral("0103  通信技术"));
        QCOMPARE(codeEdit("edt_124_1_2")->text(), QStringLiteral("02  软件"));
        QCOMPARE(page().Edit1->text(), QStringLiteral("item_124_2_3"));
        QCOMPARE(FormTree->targetTable(), QStringLiteral("gxjs.dbf"));
    }

    void memoEditorsStoreAtOnce_data()
    {
        QTest::addColumn<int>("memo");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("field");
        QTest::newRow("Memo1") << 1 << QStringLiteral("简要说明及补充") << QStringLiteral("studydirec");
        QTest::newRow("Memo2") << 2 << QStringLiteral("研发优势简要说明") << QStringLiteral("advantage");
        QTest::newRow("Memo3") << 3 << QStringLiteral("单位简介") << QStringLiteral("unitintrod");
    }

    void memoEditorsStoreAtOnce()
    {
        QFETCH(int, memo);
        QFETCH(QString, caption);
        QFETCH(QString, field);
        page().LoadUnitPage();
        GbkMemo *pageMemo = memo == 1 ? page().Memo1 : memo == 2 ? page().Memo2 : page().Memo3;
        pageMemo->setPlainText(QStringLiteral("原来的"));
        QString seenText;
        ModalHelper helper([&](QWidget *modal) {
            seenText = modal->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->toPlainText();
            modal->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))
                ->setPlainText(QStringLiteral("第一行\t甲\t乙\n第二行"));
            ModalHelper::click(modal, QStringLiteral("保存"));
            ModalHelper::click(modal, QStringLiteral("退出"));
        });
        QTest::mouseClick(pageMemo->viewport(), Qt::LeftButton);
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), caption);
        QCOMPARE(seenText, QStringLiteral("原来的"));
        // Stored at once, in an empty table as its first row.
        QCOMPARE(countRows(f.db(), QStringLiteral("unit.dbf")), 1);
        QCOMPARE(f.stored("unit.dbf", field), QStringLiteral("第一行 甲 乙\r\n第二行"));
        QCOMPARE(pageMemo->toPlainText(), QStringLiteral("第一行 甲 乙\n第二行"));
    }

    void requiredTextsAreCheckedInOrder()
    {
        page().LoadUnitPage();
        page().setResult(QDialog::Rejected);
        const QList<UnitProfile::RequiredText> &required = UnitProfile::requiredTexts();
        QStringList expected, seen;
        for (const UnitProfile::RequiredText &r : required) {
            f.boxes.clear();
            page().quit01Click();
            QCOMPARE(f.boxes.size(), 1);
            seen << f.boxes.first().text;
            expected << r.message;
            QCOMPARE(page().result(), int(QDialog::Rejected));
            // A text of blanks counts as filled.
            QWidget *control = page().findChild<QWidget *>(r.control);
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                edit->setText(QStringLiteral(" "));
            else
                qobject_cast<QPlainTextEdit *>(control)->setPlainText(QStringLiteral(" "));
        }
        QCOMPARE(seen, expected);
        QCOMPARE(seen.first(), QStringLiteral("\"单位名称\"不能为空！"));
        QCOMPARE(seen.at(3), QStringLiteral("\"单位法人\"不能为空！"));
        QCOMPARE(seen.last(), QStringLiteral("\"联系部门电话\"不能为空！"));

        f.boxes.clear();
        f.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(f.boxTexts(), QStringList{Question});
        QCOMPARE(f.boxes.first().caption, QStringLiteral("请注意！"));
        QCOMPARE(page().result(), int(QDialog::Accepted));
        QVERIFY(unit().isEmpty());
    }

    void everyEditedFieldCountsAsAChange()
    {
        saveAndReload();
        page().quit01Click();
        QVERIFY(f.boxes.isEmpty());  // nothing changed: no question

        const QList<std::function<void()>> changes = {
            [this] { page().edt_420->setText(QStringLiteral("40000999-9")); },
            [this] {
                SelectComboByCode(QStringLiteral("3"), page().cb_62);
                emit page().cb_62->activated(page().cb_62->currentIndex());
            },
            [this] { page().cb_163->setChecked(true); },
            [this] { SelectComboByCode(QStringLiteral("02"), page().CB_41_3); },
            [this] { page().Memo2->setPlainText(QStringLiteral("优势")); },
            [this] { codeEdit("edt_15_7")->setText(QStringLiteral("110  数学")); },
            [this] { SelectComboByCode(QStringLiteral("12"), page().cb_64); },
        };
        f.answer = QMessageBox::Yes;
        for (int i = 0; i < changes.size(); ++i) {
            page().LoadUnitPage();
            page().Edit1->clear();
            changes[i]();
            f.boxes.clear();
            page().quit01Click();
            QVERIFY2(f.boxTexts() == (QStringList{Question, Stored}),
                     qPrintable(QStringLiteral("change %1: %2").arg(i).arg(f.boxTexts().join('|'))));
            page().LoadUnitPage();
            page().Edit1->clear();
            f.boxes.clear();
            page().quit01Click();
            QVERIFY2(f.boxes.isEmpty(), qPrintable(QStringLiteral("change %1 saved").arg(i)));
        }
        QCOMPARE(f.stored("unit.dbf", "item_420"), QStringLiteral("40000999-9"));
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), QStringLiteral("02"));
        QCOMPARE(f.stored("unit.dbf", "item_15"), QStringLiteral("110 ;"));
        QCOMPARE(f.stored("unit.dbf", "item_64"), QStringLiteral("12"));

        // Answering no leaves the row as it was.
        page().LoadUnitPage();
        page().edt_420->setText(QStringLiteral("改了"));
        f.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(f.stored("unit.dbf", "item_420"), QStringLiteral("40000999-9"));
    }

    void aNewUserStartsOnTheUnitPage()
    {
        QVERIFY(unit().isEmpty());
        QStringList boxesWhileOpen;
        bool leftOpenAfterWarning = false;
        ModalHelper helper([&](QWidget *modal) {
            QCOMPARE(modal, static_cast<QWidget *>(&page()));
            UnitFixture::shoot(modal, QStringLiteral("01-first-run-unit-page"));
            ModalHelper::click(modal, QStringLiteral("quit01"));
            boxesWhileOpen = f.boxTexts();
            leftOpenAfterWarning = modal->isVisible();
            fillRequired();
            SelectComboByCode(QStringLiteral("3"), page().cb_62);
            emit page().cb_62->activated(page().cb_62->currentIndex());
            SelectComboByCode(QStringLiteral("06"), page().CB_41_3);
            SelectComboByCode(QStringLiteral("11"), page().cb_64);
            page().Edt_60->setText(QStringLiteral("www.hbcl.example.cn"));
            codeEdit("edt_124_2_1")->setText(QStringLiteral("0101  微电子技术"));
            codeEdit("edt_124_2_2")->setText(QStringLiteral("0105  新型电子元器件"));
            codeEdit("edt_15_1_1")->setText(QStringLiteral("11010  数学史"));
            page().Memo1->setPlainText(QStringLiteral("主要研究方向为电子材料。"));
            UnitFixture::shoot(modal, QStringLiteral("02-first-run-unit-page-filled"));
            ModalHelper::click(modal, QStringLiteral("quit01"));
        });
        // Shown, the main window runs its start: the splash, then this page.
        m_main->show();
        QTRY_VERIFY_WITH_TIMEOUT(helper.ran() && !page().isVisible() && m_main->ComboBox2->count() > 0,
                                 10000);
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(boxesWhileOpen, QStringList{QStringLiteral("\"单位名称\"不能为空！")});
        QVERIFY(leftOpenAfterWarning);
        QCOMPARE(f.boxTexts().mid(1), (QStringList{Question, Stored}));
        QCOMPARE(f.stored("unit.dbf", "item_9"), QStringLiteral("华北材料研究所"));
        for (QWidget *w : m_main->unitDependentControls())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        UnitFixture::shoot(m_main.get(), QStringLiteral("03-main-window-after-first-run"));
    }

    void leavingEmptyKeepsTheCommandsDisabled()
    {
        m_main->prepareFilters();
        page().LoadUnitPage();
        fillRequired();
        f.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(page().result(), int(QDialog::Accepted));
        QVERIFY(!m_main->Button1->isEnabled());
        QVERIFY(m_main->Button2->isEnabled());
    }

    void theUnitButtonShowsTheStoredProfile()
    {
        saveAndReload();
        setUnitField(QStringLiteral("item_62"), QStringLiteral("3"));
        setUnitField(QStringLiteral("item_41_3"), QStringLiteral("05"));
        setUnitField(QStringLiteral("item_163"), QStringLiteral("0"));
        setUnitField(QStringLiteral("item_124_2"), QStringLiteral("0101 ;"));
        page().edt_9->clear();
        QString name, ownership, field;
        bool ownershipEnabled = false;
        ModalHelper helper([&](QWidget *) {
            name = page().edt_9->text();
            ownership = code(page().CB_41_3);
            ownershipEnabled = page().CB_41_3->isEnabled();
            field = codeEdit("edt_124_2_1")->text();
            ModalHelper::click(&page(), QStringLiteral("quit01"));
        });
        m_main->Button2->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(name, QStringLiteral("华北材料研究所"));
        QCOMPARE(ownership, QStringLiteral("05"));
        QVERIFY(ownershipEnabled);
        QCOMPARE(field, QStringLiteral("0101  微电子技术"));
        QVERIFY(f.boxes.isEmpty());  // unchanged: left without a question
    }

    void theLeadersButtonSavesFirst()
    {
        page().LoadUnitPage();
        fillRequired();
        QString filter;
        ModalHelper helper([&](QWidget *modal) {
            filter = f.dm()->Tblexpert->filtered() ? f.dm()->Tblexpert->filter() : QString();
            ModalHelper::click(modal, QStringLiteral("quit01"));
        });
        page().BitBtndtr->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), QStringLiteral("学科带头人情况"));
        QCOMPARE(filter, QStringLiteral("unitcode='9990001000'"));
        QCOMPARE(f.stored("unit.dbf", "unitcode"), QStringLiteral("9990001000"));
        QVERIFY(f.boxes.isEmpty());
    }

    void hiddenButtonsAreBuiltButNeverShown()
    {
        m_page->show();
        for (const char *name : {"Button1", "Button2", "Button3", "Button4", "Button5"}) {
            auto *button = page().findChild<QPushButton *>(QString::fromLatin1(name));
            QVERIFY2(button && !button->isVisible(), name);
        }
        QCOMPARE(page().size(), QSize(800, 600));
        page().resize(900, 700);
        QCOMPARE(page().size(), QSize(800, 600));
        page().hide();
    }
};

QTEST_MAIN(TestUnitPage)
#include "tst_unitpage.moc"
