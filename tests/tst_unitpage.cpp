// The unit information page over the shipped tables: what every save writes,
// the enterprise rule, the code lists, the memo editors, the required texts
// and the change test, and the first run of a new user through the main
// window.
#include "engine/DataSet.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/SectionButton.h"
#include "records/forms/AppContext.h"
#include "app/Unit1.h"
#include "records/unit/UnitProfile.h"
#include "records/unit/Unitpage11.h"
#include "records/unit/Unitpage4a.h"
#include "records/unit/Unitpage4a1.h"
#include "records/unit/Unitpage4a3.h"
#include "records/unit/Unitpage4a5.h"
#include "records/forms/Unittree.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DropDownCombo.h"
#include "records/widgets/GbkMemo.h"
#include "support/ModalHelper.h"
#include "support/RecordsData.h"
#include "support/WindowManagerClose.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString Question = Messages::Texts::leaveQuestion();
const QString Stored = Messages::Texts::stored();

QString code(const QComboBox *combo)
{
    return UnitProfile::pickCode(combo->currentText());
}

} // namespace

class TestUnitPage : public QObject
{
    Q_OBJECT

    DataFixture f;
    BoxLog log;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<TFpage4a> m_page;

    TFpage4a &page() { return *m_page; }
    Table &unit() { return *f.dm()->Tblunit; }

    void makeWindows()
    {
        m_context = std::make_unique<AppContext>(*f.dm());
        m_main = std::make_unique<TMainForm>();
        m_context->setMainForm(m_main.get());
        m_page = std::make_unique<TFpage4a>();
        const QList<QWidget *> windows = {
            m_main.get(), new TFormTree(m_main.get()), new TFpage11(m_main.get()),
            new Tformadvantage(m_main.get()), new Tformunitintrod(m_main.get()),
            new TFormstudy(m_main.get()), m_page.get()};
        for (QWidget *w : windows)
            m_context->addWindow(w);
        for (QWidget *w : windows)
            dynamic_cast<ContextWindow *>(w)->wire(*m_context);
    }

    template <class Window>
    Window *window() const { return m_context->window<Window>(); }

    void dropWindows()
    {
        m_page.reset();
        m_main.reset();
        m_context.reset();
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
        page().edt_9->setText(u"华北材料研究所"_s);
        page().Edt_37->setText(u"北京市海淀区学院路1号"_s);
        page().Edt_38->setText(u"100083"_s);
        page().edt_420->setText(u"40000123-4"_s);
        page().Edt_39->setText(u"010-62331234"_s);
        page().Edt_40->setText(u"010-62331235"_s);
        page().Memo3->setPlainText(u"从事新材料研究。"_s);
        page().Edt_41->setText(u"科技处"_s);
        page().Edt_41_2->setText(u"010-62331236"_s);
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
        log.boxes.clear();
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
        log.clear();
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
        page().edt_9->setText(u"  华北材料研究所  "_s);
        m_main->sectionButton(u"btn_page04"_s)->setKind(SectionButton::NotDone);
        page().btnSave01Click();

        QCOMPARE(log.texts(), QStringList{Stored});
        QCOMPARE(log.boxes.first().caption, u"Dravik"_s);
        QVERIFY(m_main->sectionButton(u"btn_page04"_s)->isDone());
        QCOMPARE(countRows(f.db(), u"unit.dbf"_s), 1);
        QCOMPARE(
            f.storedRow("unit.dbf",
                        {"item_9", "unitcode", "unitlevel", "endlevel", "chiefexper", "unitintrod"}),
            QStringList({"华北材料研究所", "9990001000", "1", "1", "   9999999999", "从事新材料研究。"}));

        // The next save edits the same row and writes them again.
        setUnitField(u"unitcode"_s, u"1234567890"_s);
        setUnitField(u"chiefexper"_s, QString());
        page().Button2Click();
        QCOMPARE(log.texts(), QStringList{Stored}); // the silent save says nothing
        QCOMPARE(countRows(f.db(), u"unit.dbf"_s), 1);
        QCOMPARE(f.stored("unit.dbf", "unitcode"), u"9990001000"_s);
        QCOMPARE(f.stored("unit.dbf", "chiefexper"), u"   9999999999"_s);
    }

    void ownershipIsKeptOnlyForAnEnterprise()
    {
        page().LoadUnitPage();
        fillRequired();
        QVERIFY(!page().CB_41_3->isEnabled());
        SelectComboByCode(u"3"_s, page().cb_62);
        emit page().cb_62->activated(page().cb_62->currentIndex());
        QVERIFY(page().CB_41_3->isEnabled() && page().cb_163->isEnabled());
        QCOMPARE(page().CB_41_3->currentIndex(), -1);
        SelectComboByCode(u"05"_s, page().CB_41_3);
        page().cb_163->setChecked(true);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_62"), u"3"_s);
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), u"05"_s);
        QCOMPARE(f.stored("unit.dbf", "item_163"), u"1"_s);
        page().cb_163->setChecked(false);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_163"), u"0"_s);

        // Another attribute: whatever the ownership list and the box show.
        SelectComboByCode(u"1"_s, page().cb_62);
        page().cb_163->setChecked(true);
        QCOMPARE(code(page().CB_41_3), u"05"_s);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_62"), u"1"_s);
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), QString());
        QCOMPARE(f.stored("unit.dbf", "item_163"), QString());

        // Choosing a non-enterprise clears and locks the two.
        emit page().cb_62->activated(page().cb_62->currentIndex());
        QVERIFY(!page().CB_41_3->isEnabled() && !page().cb_163->isEnabled());
        QVERIFY(!page().cb_163->isChecked());
        QCOMPARE(page().CB_41_3->count(), 0);

        // Loading an enterprise row selects its stored codes.
        setUnitField(u"item_62"_s, u"3"_s);
        setUnitField(u"item_41_3"_s, u"11"_s);
        setUnitField(u"item_163"_s, u"1"_s);
        page().LoadUnitPage();
        QVERIFY(page().CB_41_3->isEnabled());
        QCOMPARE(code(page().CB_41_3), u"11"_s);
        QVERIFY(page().cb_163->isChecked());
    }

    void codeListsAreStoredAsCodeEntries()
    {
        page().LoadUnitPage();
        fillRequired();
        codeEdit("edt_124_2_1")->setText(u"0101  微电子技术"_s);
        codeEdit("edt_124_2_3")->setText(u"0102"_s); // typed without a blank: kept whole
        codeEdit("edt_124_2_4")->setText(u"   "_s);
        codeEdit("edt_124_2_10")->setText(u"010101  集成电路设计技术"_s);
        codeEdit("edt_15_1_2")->setText(u"11010  数学史"_s);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_124_2"), u"0101 ;0102 ;010101 ;"_s);
        QCOMPARE(f.stored("unit.dbf", "item_15_1"), u"11010 ;"_s);
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), QString());
        QCOMPARE(f.stored("unit.dbf", "item_15"), QString());
    }

    // The code edits take typing and deleting as well as the chooser's text.
    void codeEditsAreTyped()
    {
        saveAndReload();
        page().show();
        QLineEdit *first = codeEdit("edt_124_1_1");
        QVERIFY(page().IsUnitPageUnchanged());
        QTest::keyClicks(first, u"0101"_s);
        QCOMPARE(first->text(), u"0101"_s);
        QTest::keyClick(first, Qt::Key_Backspace);
        QCOMPARE(first->text(), u"010"_s);
        QVERIFY(!page().IsUnitPageUnchanged());
        QTest::keyClicks(codeEdit("edt_124_1_2"), u"02 x"_s);
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), u"010 ;02 ;"_s);
        page().hide();
    }

    void storedCodeListsLoadBackWithTheirNames()
    {
        saveAndReload();
        // Eleven entries, one of them unknown to the table.
        QString eleven;
        for (int i = 1; i <= 9; ++i)
            eleven += u"0%1 ;"_s.arg(i);
        eleven += u"999999 ;10 ;"_s;
        setUnitField(u"item_124_1"_s, eleven);
        setUnitField(u"item_15"_s, u"110 ;11010 ;"_s);
        setUnitField(u"item_124_2"_s, u"0101 ;0102"_s);
        Table &gxjs = *f.dm()->Tblgxjs;
        gxjs.setFilter(u"xxdm='02'"_s);
        gxjs.setFiltered(true);
        codeEdit("edt_15_5")->setText(u"旧的内容"_s);

        page().LoadUnitPage();
        const QStringList advantage = codeEditTexts(u"edt_124_1_"_s);
        QCOMPARE(advantage.first(), u"01  电子信息"_s);
        QCOMPARE(advantage.at(8), u"09  地球、空间与海洋"_s);
        QCOMPARE(advantage.at(9), u"999999"_s);
        QCOMPARE(codeEditTexts(u"edt_15_"_s).mid(0, 3),
                 (QStringList{u"110  数学"_s, u"11010  数学史"_s, QString()}));
        QCOMPARE(codeEdit("edt_15_5")->text(), QString());
        QCOMPARE(codeEditTexts(u"edt_124_2_"_s).mid(0, 3),
                 (QStringList{u"0101  微电子技术"_s, u"0102  计算机及网络技术"_s, QString()}));
        // The look-ups leave the classification table as it was.
        QVERIFY(gxjs.filtered());
        QCOMPARE(gxjs.filter(), u"xxdm='02'"_s);
        QCOMPARE(gxjs.recordCount(), 1);
        QVERIFY(!f.dm()->Txkfl2->filtered());

        // Saved untouched, the lists keep their stored texts.
        page().btnSave01Click();
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), eleven);
        QCOMPARE(f.stored("unit.dbf", "item_124_2"), u"0101 ;0102"_s);

        // A list the user changed: at most ten entries, the unknown code kept.
        codeEdit("edt_124_1_1")->setText(u"01  电子"_s);
        codeEdit("edt_124_2_3")->setText(u"0103  通信技术"_s);
        page().btnSave01Click();
        eleven.chop(u"10 ;"_s.size());
        QCOMPARE(f.stored("unit.dbf", "item_124_1"), eleven);
        QCOMPARE(f.stored("unit.dbf", "item_124_2"), u"0101 ;0102 ;0103 ;"_s);
    }

    void subjectCodesShowBareWithoutTheSubjectTable()
    {
        restart({u"xkfl.dbf"_s});
        QVERIFY(!f.dm()->XkflPresent);
        saveAndReload();
        setUnitField(u"item_15_1"_s, u"110 ;"_s);
        page().LoadUnitPage();
        QVERIFY(log.boxes.isEmpty());
        QCOMPARE(codeEdit("edt_15_1_1")->text(), u"110"_s);
        page().Button2Click();
        QCOMPARE(f.stored("unit.dbf", "item_15_1"), u"110 ;"_s);
    }

    void theChooserWritesIntoItsOwnEdit()
    {
        saveAndReload();
        codeEdit("edt_124_1_2")->setText(u"02  软件"_s);
        setUnitField(u"item_124_1"_s, u"02 ;"_s);
        QVERIFY(page().IsUnitPageUnchanged());  // the list would store what the row holds
        ModalHelper helper([](QWidget *modal) {
            auto *tree = modal->findChild<QTreeWidget *>(u"TreeView1"_s);
            const auto found = tree->findItems(u"0103  通信技术"_s, Qt::MatchExactly | Qt::MatchRecursive);
            if (!found.isEmpty())
                tree->setCurrentItem(found.first());
            ModalHelper::click(modal, u"Button1"_s);
        });
        page().findChild<DropDownCombo *>(u"cb_124_2_3"_s)->showPopup();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(codeEdit("edt_124_2_3")->text(), u"0103  通信技术"_s);
        QCOMPARE(codeEdit("edt_124_1_2")->text(), u"02  软件"_s);
        QVERIFY(!page().IsUnitPageUnchanged());
        QCOMPARE(window<TFormTree>()->targetTable(), u"gxjs.dbf"_s);
    }

    void memoEditorsStoreAtOnce_data()
    {
        QTest::addColumn<int>("memo");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("field");
        QTest::newRow("Memo1") << 1 << u"简要说明及补充"_s << u"studydirec"_s;
        QTest::newRow("Memo2") << 2 << u"研发优势简要说明"_s << u"advantage"_s;
        QTest::newRow("Memo3") << 3 << u"单位简介"_s << u"unitintrod"_s;
    }

    void memoEditorsStoreAtOnce()
    {
        QFETCH(int, memo);
        QFETCH(QString, caption);
        QFETCH(QString, field);
        page().LoadUnitPage();
        GbkMemo *pageMemo = memo == 1 ? page().Memo1 : memo == 2 ? page().Memo2 : page().Memo3;
        pageMemo->setPlainText(u"原来的"_s);
        QString seenText;
        QString shownAfterSave;
        ModalHelper helper([&](QWidget *modal) {
            seenText = modal->findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText();
            modal->findChild<QPlainTextEdit *>(u"Memo1"_s)->setPlainText(u"第一行\t甲\t乙\n第二行"_s);
            ModalHelper::click(modal, u"保存"_s);
            shownAfterSave = modal->findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText();
            ModalHelper::click(modal, u"退出"_s);
        });
        QTest::mouseClick(pageMemo->viewport(), Qt::LeftButton);
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), caption);
        QCOMPARE(seenText, u"原来的"_s);
        // Stored at once, in an empty table as its first row: the
        // registering unit's, with its fixed values.
        QCOMPARE(countRows(f.db(), u"unit.dbf"_s), 1);
        QCOMPARE(f.stored("unit.dbf", field), u"第一行 甲 乙\r\n第二行"_s);
        QCOMPARE(f.stored("unit.dbf", "unitcode"), u"9990001000"_s);
        QCOMPARE(f.stored("unit.dbf", "unitlevel"), u"1"_s);
        QCOMPARE(f.stored("unit.dbf", "endlevel"), u"1"_s);
        QCOMPARE(f.stored("unit.dbf", "chiefexper"), u"   9999999999"_s);
        QCOMPARE(pageMemo->toPlainText(), u"第一行 甲 乙\n第二行"_s);
        // The editor, still open after its save, shows what was stored.
        QCOMPARE(shownAfterSave, u"第一行 甲 乙\n第二行"_s);
    }

    void requiredTextsAreCheckedInOrder()
    {
        page().LoadUnitPage();
        page().setResult(QDialog::Rejected);
        const QList<std::pair<QWidget *, QString>> required = {
            {page().edt_9, u"\"单位名称\"不能为空！"_s},
            {page().Edt_37, u"\"通讯地址\"不能为空！"_s},
            {page().Edt_38, u"\"邮政编码\"不能为空！"_s},
            {page().edt_420, u"\"单位法人\"不能为空！"_s},
            {page().Edt_39, u"\"单位电话\"不能为空！"_s},
            {page().Edt_40, u"\"单位传真\"不能为空！"_s},
            {page().Memo3, u"\"单位简介\"不能为空！"_s},
            {page().Edt_41, u"\"联系部门\"不能为空！"_s},
            {page().Edt_41_2, u"\"联系部门电话\"不能为空！"_s},
        };
        for (const auto &[control, message] : required) {
            log.boxes.clear();
            page().quit01Click();
            QCOMPARE(log.texts(), QStringList{message});
            QCOMPARE(log.lastCaption(), u"Dravik"_s);
            QCOMPARE(page().result(), int(QDialog::Rejected));
            // A text of blanks counts as filled.
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                edit->setText(u" "_s);
            else
                qobject_cast<QPlainTextEdit *>(control)->setPlainText(u" "_s);
        }

        log.boxes.clear();
        log.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(log.texts(), QStringList{Question});
        QCOMPARE(log.boxes.first().caption, u"请注意！"_s);
        QCOMPARE(page().result(), int(QDialog::Accepted));
        QVERIFY(unit().isEmpty());
    }

    // No close box; a close the window manager sends anyway is "退出",
    // with its check and question.
    void aCloseFromOutsideIsTheQuit()
    {
        page().LoadUnitPage();
        QVERIFY(!(page().windowFlags() & Qt::WindowCloseButtonHint));
        page().show();
        QVERIFY(!closeFromWindowManager(&page()));
        QCOMPARE(log.texts(), QStringList{u"\"单位名称\"不能为空！"_s});
        QVERIFY(page().isVisible());
        fillRequired();
        log.clear();
        log.answer = QMessageBox::No;
        closeFromWindowManager(&page());
        QCOMPARE(log.texts(), QStringList{Question});
        QVERIFY(!page().isVisible());
    }

    void everyEditedFieldCountsAsAChange()
    {
        saveAndReload();
        page().quit01Click();
        QVERIFY(log.boxes.isEmpty()); // nothing changed: no question

        const QList<std::function<void()>> changes = {
            [this] { page().edt_420->setText(u"40000999-9"_s); },
            [this] {
                SelectComboByCode(u"3"_s, page().cb_62);
                emit page().cb_62->activated(page().cb_62->currentIndex());
            },
            [this] { page().cb_163->setChecked(true); },
            [this] { SelectComboByCode(u"02"_s, page().CB_41_3); },
            [this] { page().Memo2->setPlainText(u"优势"_s); },
            [this] { codeEdit("edt_15_7")->setText(u"110  数学"_s); },
            [this] { SelectComboByCode(u"12"_s, page().cb_64); },
        };
        log.answer = QMessageBox::Yes;
        for (int i = 0; i < changes.size(); ++i) {
            page().LoadUnitPage();
            changes[i]();
            log.boxes.clear();
            page().quit01Click();
            QVERIFY2(log.texts() == (QStringList{Question, Stored}),
                     qPrintable(u"change %1: %2"_s.arg(i).arg(log.texts().join('|'))));
            page().LoadUnitPage();
            log.boxes.clear();
            page().quit01Click();
            QVERIFY2(log.boxes.isEmpty(), qPrintable(u"change %1 saved"_s.arg(i)));
        }
        QCOMPARE(f.stored("unit.dbf", "item_420"), u"40000999-9"_s);
        QCOMPARE(f.stored("unit.dbf", "item_41_3"), u"02"_s);
        QCOMPARE(f.stored("unit.dbf", "item_15"), u"110 ;"_s);
        QCOMPARE(f.stored("unit.dbf", "item_64"), u"12"_s);

        // Answering no leaves the row as it was.
        page().LoadUnitPage();
        page().edt_420->setText(u"改了"_s);
        log.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(f.stored("unit.dbf", "item_420"), u"40000999-9"_s);
    }

    void aNewUserStartsOnTheUnitPage()
    {
        QVERIFY(unit().isEmpty());
        QStringList boxesWhileOpen;
        bool leftOpenAfterWarning = false;
        ModalHelper helper([&](QWidget *modal) {
            QCOMPARE(modal, static_cast<QWidget *>(&page()));
            ModalHelper::click(modal, u"quit01"_s);
            boxesWhileOpen = log.texts();
            leftOpenAfterWarning = modal->isVisible();
            fillRequired();
            ModalHelper::click(modal, u"quit01"_s);
        });
        // Shown, the main window runs its start: the splash, then this page.
        m_main->show();
        QTRY_VERIFY_WITH_TIMEOUT(helper.ran() && !page().isVisible() && m_main->ComboBox2->count() > 0,
                                 10000);
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(boxesWhileOpen, QStringList{u"\"单位名称\"不能为空！"_s});
        QVERIFY(leftOpenAfterWarning);
        QCOMPARE(log.texts().mid(1), (QStringList{Question, Stored}));
        QCOMPARE(f.stored("unit.dbf", "item_9"), u"华北材料研究所"_s);
        for (QWidget *w : m_main->unitDependentControls())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    void leavingEmptyKeepsTheCommandsDisabled()
    {
        m_main->prepareFilters();
        page().LoadUnitPage();
        fillRequired();
        log.answer = QMessageBox::No;
        page().quit01Click();
        QCOMPARE(page().result(), int(QDialog::Accepted));
        QVERIFY(!m_main->Button1->isEnabled());
        QVERIFY(m_main->Button2->isEnabled());
    }

    // "单位情况" reloads the page from the stored row, unchanged.
    void theUnitButtonShowsTheStoredProfile()
    {
        saveAndReload();
        setUnitField(u"item_62"_s, u"3"_s);
        setUnitField(u"item_41_3"_s, u"05"_s);
        setUnitField(u"item_163"_s, u"0"_s);
        page().edt_9->clear();
        QString name, ownership;
        ModalHelper helper([&](QWidget *) {
            name = page().edt_9->text();
            ownership = page().CB_41_3->isEnabled() ? code(page().CB_41_3) : QString();
            ModalHelper::click(&page(), u"quit01"_s);
        });
        m_main->Button2->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(name, u"华北材料研究所"_s);
        QCOMPARE(ownership, u"05"_s);
        QVERIFY(log.boxes.isEmpty()); // unchanged: left without a question
    }

    void theLeadersButtonSavesFirst()
    {
        page().LoadUnitPage();
        fillRequired();
        QString filter;
        ModalHelper helper([&](QWidget *modal) {
            filter = f.dm()->Tblexpert->filtered() ? f.dm()->Tblexpert->filter() : QString();
            ModalHelper::click(modal, u"quit01"_s);
        });
        page().BitBtndtr->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), u"学科带头人情况"_s);
        QCOMPARE(filter, u"unitcode='9990001000'"_s);
        QCOMPARE(f.stored("unit.dbf", "unitcode"), u"9990001000"_s);
        QVERIFY(log.boxes.isEmpty());
    }
};

QTEST_MAIN(TestUnitPage)
#include "tst_unitpage.moc"
