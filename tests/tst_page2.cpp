// Page 2 "知识产权，成果应用情况" and the patents list, opened as a user
// opens them: the patents round trip with the counts, status and types,
// the checks in their order, the application-status rules, the patents
// kept by a save that does not go through, and the completeness lock
// released once pages 1 to 3 are done.
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/OptionGroup.h"
#include "support/DbfReadBack.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {
const QString Number = u"2023000002"_s;

QAbstractButton *box(QWidget *panel, const QString &name)
{
    return panel->findChild<QAbstractButton *>(name);
}

void chooseFirst(QComboBox *combo)
{
    combo->setCurrentIndex(0);
    emit combo->activated(0);
}

void choose(QComboBox *combo, const QString &code)
{
    QVERIFY2(PagesFixture::choose(combo, code), qPrintable(u"no item "_s + code));
}

struct PatentEntry
{
    QString number;
    QString name;
    QString status;
    QString type;
};

// Stores the patents one after another in the add dialog, then leaves it.
void enterPatents(TFinto6 *d, const QList<PatentEntry> &patents)
{
    for (const PatentEntry &p : patents) {
        d->edtzl_no->setText(p.number);
        d->edtzl_name->setText(p.name);
        choose(d->cb_st, p.status);
        choose(d->cb_ty, p.type);
        QVERIFY(d->Button1Click());
    }
    d->Button2Click();
}
} // namespace

class TestPage2 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    TFpage2 *p = nullptr;

    void openOn(const FieldValues &values = {})
    {
        f.openOnRecord(Number, u"1"_s, u"专利项目"_s, values);
        QCOMPARE(f.list().recordCount(), 1);
        p = f.window<TFpage2>();
        m_log.clear();
    }

    void addPatentRow(const QString &number, const QString &status, const QString &type)
    {
        appendRow(f.db(), u"zlqk.dbf"_s,
                  {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, u"."_s}, {u"PATENT_NO"_s, number},
                   {u"PATENT_NAM"_s, u"名称"_s}, {u"PATENT_ST"_s, status}, {u"PATENT_TY"_s, type}});
    }

    int patentRows() { return countRows(f.db(), u"zlqk.dbf"_s, keyFilter(Number, u"."_s)); }

    QString firstFailure() { return PagesFixture::firstFailure(p, m_log); }

    // Opens the patents list from page 2 and runs `action` on it.
    bool inThePatentsList(TFpage2 *page, const std::function<void(TFpage6 *)> &action)
    {
        return PagesFixture::throughButton<TFpage6>(page->Button1, action);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void cleanup() { f.stop(); }

    // Whatever a stored record ticks, the page opens with each form's
    // controls shown exactly while its box is ticked, labels with their edits.
    void theFormControlsFollowTheBoxesOnOpening()
    {
        const QList<QPair<QString, QPair<bool, bool>>> cases = {
            {QString(), {false, false}}, {u"1;"_s, {true, false}}, {u"3;"_s, {false, true}},
            {u"1;3;"_s, {true, true}}};
        for (const auto &c : cases) {
            openOn({{u"item_51"_s, c.first}, {u"item_52"_s, u"某软件"_s}, {u"item_53"_s, u"2023SR1"_s}});
            if (c.second.first)  // ticked patents are patents the record has
                addPatentRow(u"P1"_s, u"1"_s, u"1"_s);
            QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
                const bool patents = c.second.first;
                const bool software = c.second.second;
                QCOMPARE(page->Button1->isVisible(), patents);
                QCOMPARE(page->edt_51_2->isVisible(), patents);
                for (QWidget *w : {static_cast<QWidget *>(page->Edt_52), static_cast<QWidget *>(page->Edt_53)}) {
                    QCOMPARE(w->isVisible(), software);
                    const QList<QLabel *> labels = page->findChildren<QLabel *>();
                    for (QLabel *l : labels)
                        if (l->buddy() == w)
                            QCOMPARE(l->isVisible(), software);
                }
                page->quit01->click();
            }));
            f.stop();
        }
    }

    // Three patents entered through the list give page 2 its counts,
    // status and types; a deleted one takes its serial with it.
    void thePatentsRoundTrip()
    {
        openOn({{u"item_51"_s, QString()}, {u"item_32"_s, QString()}, {u"item_161"_s, QString()}});
        f.main()->sectionButton(u"btn_page02"_s)->setKind(SectionButton::NotDone);
        QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
            QVERIFY(!page->Button1->isVisibleTo(page));
            box(page->pl51, u"cb_51_1"_s)->click();  // 专利
            QVERIFY(page->Button1->isVisibleTo(page));
            QCOMPARE(page->edt_51_1->text(), u"1"_s);
            QVERIFY(inThePatentsList(page, [&](TFpage6 *list) {
                QCOMPARE(list->windowTitle(), u"成果名称：专利项目"_s);
                QVERIFY(PagesFixture::throughButton<TFinto6>(list->addButton, [](TFinto6 *d) {
                    QCOMPARE(d->windowTitle(), u"新增－－【专利情况】"_s);
                    QCOMPARE(d->cb_st->currentText(), u"1  申请已受理"_s);
                    enterPatents(d, {{u"ZL2023100001"_s, u"一种合金"_s, u"1"_s, u"1"_s},
                                     {u"ZL2023100002"_s, u"合金的制法"_s, u"1"_s, u"1"_s},
                                     {u"ZL2022300003"_s, u"外观"_s, u"2"_s, u"3"_s}});
                }));
                QCOMPARE(list->grid->model()->rowCount(), 3);
                QVERIFY(list->grid->columnWidth(1)
                        > list->grid->fontMetrics().horizontalAdvance(u"ZL202410001234.5"_s));
                list->quitButton->click();
            }));
            QCOMPARE(page->edt_51_2->text(), u"2"_s);
            QCOMPARE(page->edt_51_3->text(), u"1"_s);
            QCOMPARE(page->edt_51_1->text(), u"3"_s);
            QCOMPARE(page->patent_ty->text(), u"1;3;"_s);
            choose(page->CB_32, u"1"_s);  // 稳定应用
            box(page->pl_161, u"cb_161_4"_s)->click();
            page->btnSave01->click();
            page->quit01->click();
        }));
        QVERIFY(f.main()->sectionButton(u"btn_page02"_s)->isDone());
        QCOMPARE(m_log.texts().count(Messages::Texts::stored()), 4);  // three patents and the page

        DbfReadBack record = readWithPythonDbf(
            f.dataPath(), u"kjcg.dbf"_s,
            {u"item_51"_s, u"item_51_1"_s, u"patent_ty"_s, u"item_51_2"_s, u"item_51_3"_s, u"item_32"_s,
             u"item_32_1"_s, u"item_161"_s});
        QVERIFY2(record.error.isEmpty(), qPrintable(record.error));
        QJsonObject row = record.rows.value(0);
        QCOMPARE(row.value(u"item_51"_s).toString(), u"1;"_s);
        QCOMPARE(row.value(u"item_51_1"_s).toString(), u"3"_s);
        QCOMPARE(row.value(u"patent_ty"_s).toString(), u"1;3;"_s);
        QCOMPARE(row.value(u"item_51_2"_s).toInt(), 2);
        QCOMPARE(row.value(u"item_51_3"_s).toInt(), 1);
        QCOMPARE(row.value(u"item_32"_s).toString(), u"1"_s);
        QCOMPARE(row.value(u"item_32_1"_s).toString(), QString());
        QCOMPARE(row.value(u"item_161"_s).toString(), u"4;"_s);
        DbfReadBack patents = readWithPythonDbf(
            f.dataPath(), u"zlqk.dbf"_s, {u"item_no"_s, u"patent_no"_s, u"patent_st"_s, u"patent_ty"_s});
        QVERIFY2(patents.error.isEmpty(), qPrintable(patents.error));
        QCOMPARE(patents.rows.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(patents.rows[i].value(u"item_no"_s).toInt(), i + 1);
        QCOMPARE(patents.rows[2].value(u"patent_st"_s).toString(), u"2"_s);

        // The second patent goes: serials 1..2, counts follow.
        m_log.clear();
        QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
            QVERIFY(inThePatentsList(page, [](TFpage6 *list) {
                list->rows()->moveTo(1);
                list->deleteButton->click();  // "是否删除该项目？!" Yes
                QCOMPARE(list->rows()->asString(u"PATENT_NO"_s), u"ZL2022300003"_s);
                list->quitButton->click();
            }));
            QCOMPARE(page->edt_51_2->text(), u"1"_s);
            QCOMPARE(page->edt_51_3->text(), u"1"_s);
            page->quit01->click();  // the counts changed: Yes, save
        }));
        QCOMPARE(m_log.boxes.first().text, u"是否删除该项目？!"_s);
        QCOMPARE(m_log.boxes.first().caption, u"提示信息"_s);
        patents = readWithPythonDbf(f.dataPath(), u"zlqk.dbf"_s, {u"item_no"_s, u"patent_no"_s});
        QCOMPARE(patents.rows.size(), 2);
        QCOMPARE(patents.rows[0].value(u"item_no"_s).toInt(), 1);
        QCOMPARE(patents.rows[1].value(u"item_no"_s).toInt(), 2);
        QCOMPARE(patents.rows[1].value(u"patent_no"_s).toString(), u"ZL2022300003"_s);
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_51_2"_s), u"1"_s);
    }

    void theChecksRunInTheirOrder()
    {
        openOn({{u"item_51"_s, u"1;"_s}, {u"item_32"_s, u"1"_s}, {u"item_161"_s, u"1;"_s}});
        addPatentRow(u"P1"_s, u"2"_s, u"1"_s);
        p->loadFromRecord();
        QVERIFY(p->Button1->isVisibleTo(p));
        QVERIFY(!p->Edt_52->isVisibleTo(p) && !p->Edt_53->isVisibleTo(p));
        QCOMPARE(firstFailure(), QString());
        struct Case
        {
            QString message;
            std::function<void()> breakIt;
        };
        const QList<Case> cases = {
            {u"\"应用状态\"不能为空！"_s, [&] { p->CB_32->setCurrentIndex(-1); }},
            {u"非\"稳定应用\"的项目，其\"未应用或停用原因\"必须说明！"_s,
             [&] { choose(p->CB_32, u"2"_s); }},
            {u"\"推广形式\"必须选择！"_s, [&] { box(p->pl_161, u"cb_161_1"_s)->click(); }},
            {u"请填写专利情况！"_s,
             [&] {
                 p->edt_51_2->setText(u"0"_s);
                 p->edt_51_3->setText(u"0"_s);
             }},
        };
        for (qsizetype i = cases.size() - 1; i >= 0; --i) {
            cases[i].breakIt();
            QCOMPARE(firstFailure(), cases[i].message);
        }
        // A detailed reason ticks its group, which satisfies the check.
        choose(p->CB_32, u"3"_s);
        box(p->Pl_160, u"rb_160_33"_s)->click();
        QVERIFY(box(p->pl_32_1, u"cb_32_1_3"_s)->isChecked());
        QCOMPARE(firstFailure(), u"\"推广形式\"必须选择！"_s);
    }

    void theApplicationStatusRules()
    {
        openOn({{u"item_32"_s, u"3"_s}, {u"item_32_1"_s, u"2;"_s}, {u"item_160"_s, u"22"_s},
                {u"item_150"_s, u"4"_s}, {u"item_162"_s, u"3"_s}, {u"item_161"_s, u"1;"_s}});
        p->loadFromRecord();
        // Not applied: no economic effect, but the transfer income is kept
        // until the status is chosen again.
        QCOMPARE(p->Edt_150->text(), QString());
        QVERIFY(!p->Edt_150->isEnabled());
        QCOMPARE(p->Edt_162->text(), u"3"_s);
        QVERIFY(box(p->Pl_160, u"rb_160_22"_s)->isChecked());
        choose(p->CB_32, u"3"_s);
        QVERIFY(!p->Edt_162->isEnabled() && p->Edt_162->text().isEmpty());
        // The stable status clears every reason.
        choose(p->CB_32, u"1"_s);
        QVERIFY(!box(p->Pl_160, u"rb_160_22"_s)->isChecked());
        QVERIFY(!box(p->pl_32_1, u"cb_32_1_2"_s)->isChecked());
        QVERIFY(!box(p->Pl_160, u"rb_160_22"_s)->isEnabled());
        QVERIFY(p->Edt_150->isEnabled());
        // A reason ticked under another status is not stored with the stable one.
        choose(p->CB_32, u"2"_s);
        box(p->Pl_160, u"rb_160_41"_s)->click();
        p->CB_32->setCurrentIndex(0);  // "1  稳定应用" without its rules running
        QVERIFY(p->save());
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_32_1"_s), QString());
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_160"_s), QString());

        // The transfer income alone is no change worth a question.
        p->loadFromRecord();
        p->Edt_162->setText(u"8"_s);
        QVERIFY(p->isUnchanged());
        // A text that is no number becomes "0".
        m_log.clear();
        p->Edt_153->setText(u"1.2.3"_s);  // a text the key filter never lets through
        QCOMPARE(m_log.last(), u"1.2.3 不是正确的数据格式！现在已经置零"_s);
        QCOMPARE(p->Edt_153->text(), u"0"_s);
    }

    // "专利" unticked: the patents go only with a save that posts, and the
    // counts, status and types are stored empty with them.
    void untickedPatentsGoOnlyWithASaveThatPosts()
    {
        openOn({{u"item_51"_s, u"1;3;"_s}, {u"item_51_2"_s, u"1"_s}, {u"item_51_3"_s, u"1"_s},
                {u"item_51_1"_s, u"3"_s}, {u"patent_ty"_s, u"1;"_s}, {u"item_32"_s, u"1"_s},
                {u"item_161"_s, QString()}});
        addPatentRow(u"P1"_s, u"1"_s, u"1"_s);
        addPatentRow(u"P2"_s, u"2"_s, u"1"_s);
        p->loadFromRecord();
        box(p->pl51, u"cb_51_1"_s)->click();
        QVERIFY(!p->Button1->isVisibleTo(p));
        QVERIFY(p->Edt_52->isVisibleTo(p));
        // Refused by a check: nothing is lost.
        m_log.clear();
        p->btnSave01Click();
        QCOMPARE(m_log.last(), u"\"推广形式\"必须选择！"_s);
        QCOMPARE(patentRows(), 2);
        box(p->pl_161, u"cb_161_2"_s)->click();
        // A save that cannot be written keeps them too.
        if (FileSizeLimit::supported()) {
            p->Edt_52->setText(u"一个新的软件著作权名称，比原来的长"_s);
            {
                FileSizeLimit limit(512);
                QVERIFY(!p->save());
            }
            QCOMPARE(patentRows(), 2);
            QCOMPARE(f.list().state(), DataSet::Browse);
        }
        QVERIFY(p->save());
        QCOMPARE(patentRows(), 0);
        QCOMPARE(f.storedRow(u"kjcg.DBF"_s, {u"item_51"_s, u"item_51_1"_s, u"patent_ty"_s, u"item_51_2"_s,
                                              u"item_51_3"_s}),
                 (QStringList{u"3;"_s, QString(), QString(), QString(), QString()}));
    }

    void thePatentDialog()
    {
        openOn({{u"item_51"_s, u"1;"_s}});
        addPatentRow(u"SAME"_s, u"1"_s, u"1"_s);
        addPatentRow(u"SAME"_s, u"1"_s, u"1"_s);
        p->loadFromRecord();
        auto *dialog = f.window<TFinto6>();
        p->patentsOfRecord();
        // The checks of the dialog in their order, each with its message.
        QStringList messages;
        QVERIFY(PagesFixture::throughButton<TFpage6>(p->Button1, [&](TFpage6 *l) {
            QVERIFY(PagesFixture::throughButton<TFinto6>(l->addButton, [&](TFinto6 *d) {
                const QList<std::function<void()>> mend = {
                    [&] { d->cb_st->setCurrentIndex(0); }, [&] { d->cb_ty->setCurrentIndex(0); },
                    [&] { d->edtzl_no->setText(u"N"_s); }, [&] { d->edtzl_name->setText(u"T"_s); }};
                d->cb_st->setCurrentIndex(-1);
                d->cb_ty->setCurrentIndex(-1);
                for (const auto &step : mend) {
                    m_log.clear();
                    QVERIFY(!d->Button1Click());
                    messages << m_log.last();
                    step();
                }
                d->edtzl_no->clear();
                d->edtzl_name->clear();
                d->Button2Click();  // nothing typed: closes without a question
            }));
            l->quitButton->click();
        }));
        QCOMPARE(messages, (QStringList{u"\"专利状况\"不能为空！"_s, u"\"专利类型\"不能为空！"_s,
                                        u"\"专利号\"不能为空！"_s, u"\"专利名称\"不能为空！"_s}));
        QCOMPARE(patentRows(), 2);

        // The number takes the field's 15 bytes, never half a character.
        dialog->edtzl_no->clear();
        dialog->edtzl_no->insert(u"1234567890123456"_s);
        QCOMPARE(dialog->edtzl_no->text(), u"123456789012345"_s);
        dialog->edtzl_no->clear();
        dialog->edtzl_no->insert(u"专利号专利号专利号"_s);
        QCOMPARE(dialog->edtzl_no->text(), u"专利号专利号专"_s);

        // Two rows with the same number: the one modified is the one chosen.
        QVERIFY(PagesFixture::throughButton<TFpage6>(p->Button1, [&](TFpage6 *l) {
            l->rows()->moveTo(1);
            QVERIFY(PagesFixture::throughButton<TFinto6>(l->modifyButton, [](TFinto6 *d) {
                QCOMPARE(d->windowTitle(), u"修改－－【专利情况】"_s);
                QCOMPARE(d->edtzl_no->text(), u"SAME"_s);
                d->edtzl_name->setText(u"第二项"_s);
                d->Button1Click();
            }));
            // Leaving a changed entry with "是" whose check fails keeps it open.
            QVERIFY(PagesFixture::throughButton<TFinto6>(l->modifyButton, [](TFinto6 *d) {
                d->edtzl_name->clear();
                d->edtzl_no->setText(u"X1"_s);
                d->Button2Click();  // Yes, but "专利名称" is missing
                QVERIFY(d->isVisible());
                d->edtzl_name->setText(u"名"_s);
                d->Button2Click();
            }));
            l->quitButton->click();
        }));
        QCOMPARE(m_log.texts().contains(u"\"专利名称\"不能为空！"_s), true);
        QCOMPARE(f.storedRow(u"zlqk.dbf"_s, {u"patent_no"_s, u"patent_nam"_s}, 0),
                 (QStringList{u"SAME"_s, u"名称"_s}));
        QCOMPARE(f.storedRow(u"zlqk.dbf"_s, {u"patent_no"_s, u"patent_nam"_s}, 1),
                 (QStringList{u"X1"_s, u"名"_s}));
    }

    // The dialog asks on leaving exactly when a list or a text shows
    // something else than the patent: a changed list alone is stored on
    // "是" and dropped on "否"; a dialog opened and left untouched asks
    // nothing.
    void aChangedPatentListAsksOnLeaving()
    {
        openOn({{u"item_51"_s, u"1;"_s}});
        addPatentRow(u"P1"_s, u"1"_s, u"1"_s);
        p->loadFromRecord();
        p->patentsOfRecord();
        const QString question = u"记录已更改，是否保存后退出？"_s;
        const auto leaveModified = [&](const std::function<void(TFinto6 *)> &change,
                                       QMessageBox::StandardButton answer) {
            QStringList asked;
            m_log.clear();
            m_log.answer = answer;
            const bool ok = inThePatentsList(p, [&](TFpage6 *l) {
                QVERIFY(PagesFixture::throughButton<TFinto6>(l->modifyButton, [&](TFinto6 *d) {
                    change(d);
                    d->Button2Click();
                    QVERIFY(!d->isVisible());
                }));
                asked = m_log.texts();
                l->quitButton->click();
            });
            return ok ? asked : QStringList{u"not opened"_s};
        };
        const auto statusAndType = [&] {
            return f.storedRow(u"zlqk.dbf"_s, {u"patent_st"_s, u"patent_ty"_s}, 0);
        };

        QCOMPARE(leaveModified([](TFinto6 *) {}, QMessageBox::Yes), QStringList());
        QCOMPARE(leaveModified([](TFinto6 *d) { choose(d->cb_st, u"2"_s); }, QMessageBox::No),
                 QStringList{question});
        QCOMPARE(statusAndType(), (QStringList{u"1"_s, u"1"_s}));
        QCOMPARE(leaveModified([](TFinto6 *d) { choose(d->cb_ty, u"3"_s); }, QMessageBox::Yes),
                 (QStringList{question, Messages::Texts::stored()}));
        QCOMPARE(statusAndType(), (QStringList{u"1"_s, u"3"_s}));
        // Chosen and chosen back: nothing to store.
        QCOMPARE(leaveModified([](TFinto6 *d) {
                     choose(d->cb_st, u"2"_s);
                     choose(d->cb_st, u"1"_s);
                 }, QMessageBox::Yes),
                 QStringList());
    }

    // "修改" on an empty list adds, as "新增" does.
    void modifyOnAnEmptyPatentsListAdds()
    {
        openOn({{u"item_51"_s, u"1;"_s}});
        p->loadFromRecord();
        p->patentsOfRecord();
        QVERIFY(inThePatentsList(p, [&](TFpage6 *l) {
            QVERIFY(l->rows()->isEmpty());
            QVERIFY(l->modifyButton->isEnabled());
            QVERIFY(PagesFixture::throughButton<TFinto6>(l->modifyButton, [](TFinto6 *d) {
                QCOMPARE(d->windowTitle(), u"新增－－【专利情况】"_s);
                d->edtzl_no->setText(u"ZL2024000001"_s);
                d->edtzl_name->setText(u"新专利"_s);
                d->Button1Click();
                d->Button2Click();
            }));
            l->quitButton->click();
        }));
        QCOMPARE(patentRows(), 1);
    }

    // A record whose pages 1 to 3 are filled through their buttons, whose
    // first completing unit is filled and that has a completing person of
    // region ".", releases the lock.
    void pagesOneToThreeReleaseTheLock()
    {
        f.open();
        QStringList leaveEmpty;
        for (const QString &button : {u"01"_s, u"02"_s, u"03"_s}) {
            leaveEmpty += ruleFields(f.db(), u"a"_s, button);
            leaveEmpty += ruleFields(f.db(), u"1"_s, button);
        }
        f.stop();
        f.openOnRecord(Number, u"1"_s, u"完整项目"_s,
                       {{u"item_121"_s, u"2022-5-1"_s}}, leaveEmpty);
        addPerson(f.db(), Number, u"."_s, u"张三"_s);
        TMainForm *main = f.main();
        main->DBGrid1CellClick();
        QCOMPARE(f.notDone(), (QStringList{u"btn_page01"_s, u"btn_page02"_s, u"btn_page03"_s}));
        QVERIFY(!main->DBGrid1->isEnabled());

        QVERIFY(PagesFixture::throughButton<TFpage1>(main->sectionButton(u"btn_page01"_s), [](TFpage1 *p1) {
            p1->edt_8_y_s->setText(u"2019"_s);
            p1->edt_8_m_s->setText(u"03"_s);
            p1->edt_8_y_e->setText(u"2021"_s);
            p1->edt_8_m_e->setText(u"12"_s);
            chooseFirst(p1->CB_1);
            chooseFirst(p1->cb_16);
            chooseFirst(p1->cb_33);
            box(p1->PL_123, u"rb_123_3"_s)->click();
            chooseFirst(p1->Cb_125_1);
            chooseFirst(p1->cb_201);
            box(p1->PL_125, u"CB_125_03"_s)->click();
            p1->Mo_13_1->setPlainText(u"简介"_s);
            p1->Mo_13->setPlainText(u"公报"_s);
            p1->quit01->click();  // Yes, save
        }));
        QVERIFY(PagesFixture::throughButton<TFpage2>(main->sectionButton(u"btn_page02"_s), [](TFpage2 *p2) {
            box(p2->pl51, u"cb_51_9"_s)->click();
            choose(p2->CB_32, u"1"_s);
            box(p2->pl_161, u"cb_161_5"_s)->click();
            p2->quit01->click();
        }));
        QVERIFY(PagesFixture::throughButton<TFpage3>(main->sectionButton(u"btn_page03"_s), [](TFpage3 *p3) {
            box(p3->Pl_126, u"cb_126_10"_s)->click();
            choose(p3->cb_21, u"2"_s);
            p3->quit01->click();
        }));
        QCOMPARE(f.notDone(), QStringList());
        for (QWidget *w : main->lockSet())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    // Amounts stored with decimals are shown whole and stay as stored; a
    // typed amount keeps its point; the patent counts are the patents'.
    void amountsAndCountsAsTheRecordHasThem()
    {
        openOn({{u"item_51"_s, u"1;"_s}, {u"item_51_2"_s, u"5"_s}, {u"item_51_3"_s, u"5"_s},
                {u"item_51_1"_s, u"3"_s}, {u"patent_ty"_s, u"1;"_s}, {u"item_32"_s, u"1"_s},
                {u"item_161"_s, u"1;"_s}, {u"item_150"_s, u"1234.5"_s}, {u"item_162"_s, u"0.123456"_s},
                {u"item_151_1"_s, u"12345.67"_s}, {u"item_153"_s, u"1234567890.123456"_s}});
        addPatentRow(u"P1"_s, u"2"_s, u"3"_s);
        QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
            QCOMPARE(page->Edt_150->text(), u"1234.5"_s);
            QCOMPARE(page->Edt_162->text(), u"0.123456"_s);
            QCOMPARE(page->Edt_151_1->text(), u"12345.67"_s);
            QCOMPARE(page->edt_51_2->text(), u"0"_s);
            QCOMPARE(page->edt_51_3->text(), u"1"_s);
            page->btnSave01->click();
            page->quit01->click();
        }));
        QCOMPARE(m_log.texts(), QStringList{u"存储成功！"_s});
        QCOMPARE(f.storedRow(u"kjcg.DBF"_s, {u"item_150"_s, u"item_162"_s, u"item_151_1"_s, u"item_51_2"_s,
                                              u"item_51_3"_s, u"patent_ty"_s}),
                 (QStringList{u"1234.5"_s, u"0.123456"_s, u"12345.67"_s, u"0"_s, u"1"_s, u"3;"_s}));
        DbfReadBack read = readWithPythonDbf(f.dataPath(), u"kjcg.dbf"_s, {u"item_153"_s});
        QCOMPARE(read.rows.value(0).value(u"item_153"_s).toDouble(), 1234567890.123456);

        // 净利润 typed with its point is stored as typed.
        QVERIFY(PagesFixture::throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), [&](TFpage2 *page) {
            page->Edt_151_1->clear();
            QTest::keyClicks(page->Edt_151_1, u"120.5"_s);
            QCOMPARE(page->Edt_151_1->text(), u"120.5"_s);
            page->quit01->click();  // "是": saved
        }));
        QCOMPARE(f.stored(u"kjcg.DBF"_s, u"item_151_1"_s), u"120.5"_s);

        // Without patents "专利" cannot stand, whatever counts are stored.
        f.db()->execute(u"delete from zlqk"_s);
        p->loadFromRecord();
        QCOMPARE(p->edt_51_2->text() + p->edt_51_3->text(), u"00"_s);
        QCOMPARE(firstFailure(), u"请填写专利情况！"_s);
    }

    // Whatever goes wrong while the page is filled is told in the loader's
    // words, and the page stays closed.
    void anyLoadingFailureIsReported()
    {
        openOn();
        struct Failing : TFpage2
        {
            void afterLoad(const DataSet &) override { throw std::logic_error("坏了"); }
        };
        Failing failing;
        failing.wire(f.context());
        failing.openForCurrentRecord();
        QCOMPARE(m_log.last(), u"读入数据时出错:坏了0"_s);
        QVERIFY(!failing.isVisible());
    }
};

QTEST_MAIN(TestPage2)
#include "tst_page2.moc"
