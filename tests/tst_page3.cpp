// Page 3 "课题立项，评价情况" opened through its section button: both sets of
// evaluation forms, the project source with its national plan and
// sub-classes, the funding sums, the checks in their order and the stored
// forms as another dBase reader sees them.
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/DictionaryService.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/AppInfo.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/OptionGroup.h"
#include "support/DbfReadBack.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {
const QString Number = u"2023000003"_s;

QAbstractButton *box(QGroupBox *panel, const QString &name)
{
    return panel->findChild<QAbstractButton *>(name);
}

// The codes of the ticked boxes of a panel, in their order.
QStringList ticked(QGroupBox *panel)
{
    QStringList names;
    for (QAbstractButton *b : OptionBoxesOf(panel)) {
        if (b->isChecked())
            names << b->objectName();
    }
    return names;
}

// Chooses the item whose code is `code` as a user would.
void choose(QComboBox *combo, const QString &code)
{
    QVERIFY2(PagesFixture::choose(combo, code), qPrintable(u"no item "_s + code));
}
} // namespace

class TestPage3 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    TFpage3 *p = nullptr;

    void openOn(const QString &category, const FieldValues &values = {})
    {
        f.openOnRecord(Number, category, u"立项项目"_s, values);
        QCOMPARE(f.list().recordCount(), 1);
        p = f.window<TFpage3>();
        m_log.clear();
    }

    bool throughTheButton(const std::function<void(TFpage3 *)> &fill)
    {
        return PagesFixture::throughButton<TFpage3>(f.main()->sectionButton(u"btn_page03"_s), fill);
    }

    QString firstFailure() { return PagesFixture::firstFailure(p, m_log); }

private slots:
    void initTestCase() { f.buildOnce(); }
    void cleanup() { f.stop(); }

    void whatIsTypedIsStored_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("form");
        QTest::newRow("applied technology: 鉴定") << u"1"_s << u"1"_s;
        QTest::newRow("soft science: 评审") << u"2"_s << u"4"_s;
        QTest::newRow("basic theory: 结题") << u"3"_s << u"6"_s;
    }
    void whatIsTypedIsStored()
    {
        QFETCH(QString, category);
        QFETCH(QString, form);
        openOn(category);
        f.main()->sectionButton(u"btn_page03"_s)->setKind(SectionButton::NotDone);
        QVERIFY(throughTheButton([&](TFpage3 *p) {
            const bool applied = category == u"1"_s;
            // Page 2 belongs to applied technology only.
            QCOMPARE(f.main()->sectionButton(u"btn_page02"_s)->isVisibleTo(f.main()), applied);
            QComboBox *forms = applied ? p->cb_21 : p->cb_21_l;
            QVERIFY(forms->isVisibleTo(p));
            QVERIFY(!(applied ? p->cb_21_l : p->cb_21)->isVisibleTo(p));
            QVERIFY(!p->CB_41->isVisibleTo(p));
            box(p->Pl_126, u"cb_126_03"_s)->click();
            QCOMPARE(p->Lb_41->text(), u"“地方计划”的下属分类"_s);
            QCOMPARE(p->CB_41->count(), 5);  // four sub-classes and the blank item
            choose(p->CB_41, u"02"_s);
            p->Edt_127->insert(u"A-2023-7"_s);
            p->Edt_127_1->insert(u"稀土材料研究"_s);
            p->Edt_142_1->insert(u"0.1"_s);
            p->Edt_142_2->insert(u"0.2"_s);
            QCOMPARE(p->Edt_142->text(), u"0.3"_s);
            p->Edt_141->insert(u"5"_s);
            p->Edt_144->insert(u"12.5"_s);
            QCOMPARE(p->Edt_149->text(), u"17.8"_s);
            choose(forms, form);
            p->Edt_130->insert(u"省科技厅"_s);
            QTest::mouseClick(p->date34->emptyField(), Qt::LeftButton);
            p->date34->picker()->setDate(QDate(2023, 11, 8));
            p->edt_22->insert(u"评-88"_s);
            p->btnSave01->click();
            p->quit01->click();
        }));
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QVERIFY(f.main()->sectionButton(u"btn_page03"_s)->isDone());

        const DbfReadBack read = readWithPythonDbf(
            f.dataPath(), u"kjcg.dbf"_s,
            {u"item_126"_s, u"item_140"_s, u"item_41_1"_s, u"item_127"_s, u"item_127_1"_s, u"item_142_1"_s,
             u"item_142_2"_s, u"item_142_3"_s, u"item_142"_s, u"item_141"_s, u"item_144"_s, u"item_149"_s,
             u"item_21"_s, u"item_130"_s, u"item_34"_s, u"item_22"_s});
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        const QJsonObject row = read.rows.value(0);
        QCOMPARE(row.value(u"item_126"_s).toString(), u"03;"_s);
        QCOMPARE(row.value(u"item_140"_s).toString(), QString());
        QCOMPARE(row.value(u"item_41_1"_s).toString(), u"02"_s);
        QCOMPARE(row.value(u"item_127"_s).toString(), u"A-2023-7"_s);
        QCOMPARE(row.value(u"item_127_1"_s).toString(), u"稀土材料研究"_s);
        QCOMPARE(row.value(u"item_142_1"_s).toDouble(), 0.1);
        QVERIFY(row.value(u"item_142_3"_s).isNull());  // left empty
        QCOMPARE(row.value(u"item_142"_s).toDouble(), 0.3);
        QCOMPARE(row.value(u"item_144"_s).toDouble(), 12.5);
        QCOMPARE(row.value(u"item_149"_s).toDouble(), 17.8);
        QCOMPARE(row.value(u"item_21"_s).toString(), form);
        QCOMPARE(row.value(u"item_130"_s).toString(), u"省科技厅"_s);
        QCOMPARE(row.value(u"item_34"_s).toString(), u"2023.11.08"_s);
        QCOMPARE(row.value(u"item_22"_s).toString(), u"评-88"_s);
    }

    // Broken from the last check to the first: each time the check just
    // broken is the earliest failing one, so its message must come.
    void theChecksRunInTheirOrder()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"01;"_s}, {u"item_140"_s, u"7"_s}, {u"item_127"_s, u"N1"_s},
                        {u"item_127_1"_s, u"支撑计划课题"_s}, {u"item_21"_s, u"1"_s}});
        p->loadFromRecord();
        QVERIFY(p->nationalPlanMarked());
        QCOMPARE(firstFailure(), QString());
        struct Case
        {
            QString message;
            std::function<void()> breakIt;
        };
        const QList<Case> cases = {
            {u"“评价形式”不能为空！"_s, [&] { p->cb_21->setCurrentIndex(-1); }},
            {u"“课题来源”不能为空！"_s, [&] { p->SpeedButton11->click(); }},
            {u"“课题来源”为“国家计划”的项目，“课题立项编号”不能为空！"_s, [&] { p->Edt_127->setText(u" "_s); }},
            {u"“课题来源”为“国家计划”的项目，“课题立项名称”不能为空！"_s, [&] { p->Edt_127_1->clear(); }},
            {u"经费最大长度不超得过7位！"_s,
             [&] {
                 p->Edt_141->setText(u"9999999"_s);
                 p->Edt_148->setText(u"1"_s);  // a total of 10000000
             }},
        };
        for (qsizetype i = cases.size() - 1; i >= 0; --i) {
            cases[i].breakIt();
            QCOMPARE(firstFailure(), cases[i].message);
        }
        // A too long sum keeps the page open as well.
        m_log.clear();
        p->quit01Click();
        QCOMPARE(m_log.last(), u"“评价形式”不能为空！"_s);
    }

    void oneProjectSourceAtATime()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"01;02;"_s}});
        p->loadFromRecord();
        QCOMPARE(ticked(p->Pl_126), QStringList{u"cb_126_01"_s});  // the national plan alone
        QVERIFY(!p->cb_126_01->isEnabled());

        // While the national plan is ticked another source does not stay.
        box(p->Pl_126, u"cb_126_05"_s)->click();
        QCOMPARE(ticked(p->Pl_126), QStringList{u"cb_126_01"_s});
        p->SpeedButton11->click();  // "清除"
        QVERIFY(ticked(p->Pl_126).isEmpty() && ticked(p->Pl_140).isEmpty());
        box(p->Pl_126, u"cb_126_05"_s)->click();
        box(p->Pl_126, u"cb_126_02"_s)->click();
        QCOMPARE(ticked(p->Pl_126), QStringList{u"cb_126_02"_s});
        QCOMPARE(p->Lb_41->text(), u"“部门计划”的下属分类"_s);

        // A kind of national plan ticks the plan and lists its sub-classes.
        box(p->Pl_140, u"RB_140_3"_s)->click();
        QCOMPARE(ticked(p->Pl_126), QStringList{u"cb_126_01"_s});
        QCOMPARE(p->Lb_41->text(), u"“国家计划”的下属分类"_s);
        QCOMPARE(p->CB_41->count(), 16);
        // Whether the approval number and name are required was decided
        // when the page was filled: "清除" does not change it.
        QVERIFY(p->nationalPlanMarked());
        QCOMPARE(p->Label1->styleSheet(), u"color: #800000;"_s);
    }

    void theFundingSums()
    {
        openOn(u"3"_s, {{u"item_126"_s, u"10;"_s}, {u"item_21"_s, u"4"_s}, {u"item_142_1"_s, u"1"_s},
                        {u"item_142"_s, u"9"_s}, {u"item_149"_s, u"99"_s}});
        p->loadFromRecord();
        // A stored total that disagrees with its parts is shown as stored.
        QCOMPARE(p->Edt_142->text(), u"9"_s);
        QCOMPARE(p->Edt_149->text(), u"99"_s);
        QVERIFY(p->isUnchanged());
        // The first change replaces both by the computed sums.
        p->Edt_142_1->clear();
        QCOMPARE(p->Edt_142->text(), u"0"_s);
        QCOMPARE(p->Edt_149->text(), u"0"_s);
        p->Edt_243->insert(u"0.7"_s);
        p->Edt_244->insert(u"0.2"_s);
        p->Edt_145->insert(u"0.1"_s);
        QCOMPARE(p->Edt_149->text(), u"1"_s);
        // A text that cannot be a number becomes "0", in the wording users know.
        m_log.clear();
        p->Edt_144->insert(u"1.2.3"_s);
        QCOMPARE(m_log.texts(), QStringList{u"“自有基金”:1.2.3 不是正确的数据格式！现在已经置零"_s});
        QCOMPARE(p->Edt_144->text(), u"0"_s);
        m_log.clear();
        p->Edt_142_3->insert(u"2..5"_s);
        QCOMPARE(m_log.texts(),
                 QStringList{u"读取数据时，发现“地方投入”:2..5 不是正确的数据格式！现在已经置零"_s});
        QVERIFY(!p->isUnchanged());
    }

    // The sub-class alone is no change worth a question; a date that is no
    // date stays as stored.
    void theLeaveQuestionAndTheKeptDate()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"02;"_s}, {u"item_41_1"_s, u"01"_s}, {u"item_21"_s, u"1"_s},
                        {u"item_34"_s, u"2019.13.01"_s}});
        QString loadWarning;
        QVERIFY(throughTheButton([&](TFpage3 *p) {
            loadWarning = m_log.last();
            QVERIFY(p->CB_41->isVisibleTo(p));
            QCOMPARE(p->CB_41->currentText(), u"01  部门科技攻关计划"_s);
            QCOMPARE(p->date34->emptyField()->text(), u"2019.13.01"_s);
            choose(p->CB_41, u"99"_s);
            p->quit01->click();
        }));
        QCOMPARE(loadWarning, u"本项评价日期：'2019.13.01' 不是正确的时间格式！现在已经更换。"_s);
        QCOMPARE(m_log.texts().size(), 1);  // no question
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_41_1"_s), u"01"_s);

        QVERIFY(throughTheButton([](TFpage3 *p) {
            p->Edt_130->insert(u"某单位"_s);
            p->quit01->click();  // Yes
        }));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_130"_s), u"某单位"_s);
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_34"_s), u"2019.13.01"_s);
    }

    // A page filled again shows the record's choices in the lists as they
    // are then: the lists read before serve until a code table is replaced.
    void aRefillFollowsTheCodeLists()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"02;"_s}, {u"item_41_1"_s, u"01"_s}, {u"item_21"_s, u"1"_s}});
        p->loadFromRecord();
        const int forms = p->cb_21->count();
        const int subclasses = p->CB_41->count();
        const QString form = p->cb_21->currentText();
        QVERIFY(form.startsWith(u"1 "_s));
        p->cb_21->setCurrentIndex(forms - 1);
        p->CB_41->setCurrentIndex(-1);
        p->loadFromRecord();
        QCOMPARE(p->cb_21->count(), forms);
        QCOMPARE(p->cb_21->currentText(), form);
        QCOMPARE(p->CB_41->count(), subclasses);
        QCOMPARE(p->CB_41->currentText(), u"01  部门科技攻关计划"_s);

        appendRow(f.db(), u"zdxx.dbf"_s, {{u"zddm"_s, u"item_21"_s}, {u"xxdm"_s, u"8"_s}, {u"xxmc"_s, u"新评价形式"_s}});
        appendRow(f.db(), u"DFJHZDXX.DBF"_s,
                  {{u"item_126"_s, u"02"_s}, {u"item_41_"_s, u"77"_s}, {u"xxmc"_s, u"新下属分类"_s}});
        f.context().dictionary().forget();
        p->loadFromRecord();
        QCOMPARE(p->cb_21->count(), forms + 1);
        QCOMPARE(p->cb_21->currentText(), form);
        QCOMPARE(p->CB_41->count(), subclasses + 1);
        QCOMPARE(p->CB_41->itemText(subclasses - 1), u"77  新下属分类"_s);
        QCOMPARE(p->CB_41->currentText(), u"01  部门科技攻关计划"_s);
    }

    // Amounts of any length are shown and kept as stored; a stored total
    // longer than the form's seven places never holds the page, and one the
    // user's amounts make is refused by the save, not by leaving.
    void storedAmountsAndTotalsAsStored()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"02;"_s}, {u"item_21"_s, u"2"_s}, {u"item_141"_s, u"12345.67"_s},
                        {u"item_148"_s, u"0.123456"_s}, {u"item_142_1"_s, u"1234.5"_s},
                        {u"item_142"_s, u"1234.5"_s}, {u"item_149"_s, u"100013594.1"_s}});
        QVERIFY(throughTheButton([&](TFpage3 *page) {
            QCOMPARE(page->Edt_141->text(), u"12345.67"_s);
            QCOMPARE(page->Edt_148->text(), u"0.123456"_s);
            QCOMPARE(page->Edt_142_1->text(), u"1234.5"_s);
            QCOMPARE(page->Edt_149->text(), u"100013594.1"_s);
            QVERIFY(page->isUnchanged());
            page->btnSave01->click();
            QCOMPARE(m_log.last(), u"存储成功！"_s);
            page->quit01->click();  // closes without a question
        }));
        QCOMPARE(m_log.texts(), QStringList{u"存储成功！"_s});
        QCOMPARE(f.storedRow(u"kjcg.DBF"_s, {u"item_141"_s, u"item_148"_s, u"item_142_1"_s, u"item_149"_s}),
                 (QStringList{u"12345.67"_s, u"0.123456"_s, u"1234.5"_s, u"100013594.1"_s}));

        // A part the user changes makes the total: too long for the form.
        m_log.clear();
        m_log.answers = {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No};
        QVERIFY(throughTheButton([&](TFpage3 *page) {
            page->Edt_143->setText(u"9999999"_s);
            QVERIFY(page->Edt_149->text().size() > 7);
            page->quit01->click();  // asks; "是": the save refuses, the page stays
            QVERIFY(page->isVisible());
            page->quit01->click();  // asks again; "否" leaves
        }));
        QCOMPARE(m_log.texts(), (QStringList{u"记录已经更改,是否保存？"_s, u"经费最大长度不超得过7位！"_s,
                                             u"记录已经更改,是否保存？"_s}));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_149"_s), u"100013594.1"_s);
    }

    // "1.2." typed into the focused edit: one warning, though the warning's
    // box takes the focus from the edit as it comes up, then "0".
    void oneWrongAmountOneWarning()
    {
        openOn(u"1"_s, {{u"item_126"_s, u"02;"_s}, {u"item_21"_s, u"2"_s}});
        QWidget stand;  // what takes the focus while a box is up
        stand.setWindowTitle(AppInfo::productName());
        m_log.onBox = [&stand](const Messages::Request &) {
            stand.show();
            stand.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&stand));
        };
        QString shown;
        QVERIFY(throughTheButton([&](TFpage3 *page) {
            page->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(page));
            MoneyEdit *edit = page->Edt_143;
            edit->clear();
            edit->setFocus(Qt::MouseFocusReason);
            QVERIFY(edit->hasFocus());
            QTest::keyClicks(edit, u"1.2."_s);
            QVERIFY(!edit->hasFocus());  // the box had it
            shown = edit->text();
            stand.hide();
            m_log.onBox = {};
            m_log.answer = QMessageBox::No;
            page->quit01->click();
        }));
        QCOMPARE(m_log.texts(), (QStringList{u"“基金投入”:1.2. 不是正确的数据格式！现在已经置零"_s,
                                             Messages::Texts::leaveQuestion()}));
        QCOMPARE(shown, u"0"_s);
    }
};

QTEST_MAIN(TestPage3)
#include "tst_page3.moc"
