// Page 1 "成果概况" over the current record: loading, the input check in
// its order with its messages, the stored forms of both category groups,
// the classification codes, the leave question and a save that cannot be
// written.
#include "engine/DataSet.h"
#include "engine/GbkText.h"
#include "records/widgets/DateEntry.h"
#include "records/widgets/Abort.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DropDownCombo.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/OptionGroup.h"
#include "support/FileSizeLimit.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"
#include "support/StandingClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace {
const QString Region = u"."_s;
const QString Number = u"2023000001"_s;

// A record of the category whose page 1 passes every check.
FieldValues completeRecord(const QString &category)
{
    FieldValues v = {{"ITEM_4", Number}, {"ITEM_DQDM", Region}, {"ITEM_CGLB", category}};
    for (const QString pair : {"ITEM_3=页一项目",   "ITEM_8=2020.01   至2021.06",
                               "ITEM_121=2022-5-1", "ITEM_1=1",
                               "ITEM_14=钢;铁",     "ITEM_16=1",
                               "ITEM_33=1",         "ITEM_123=1",
                               "ITEM_125_1=1",      "ITEM_201=1",
                               "ITEM_125=03;",      "ITEM_13=公报",
                               "ITEM_13_1=简介",    "ITEM_2=3",
                               "ITEM_124_1=01;",    "ITEM_120=M1",
                               "ITEM_128=推荐",     "ITEM_15=11010",
                               "ITEM_12=A1",        "ITEM_210=1",
                               "ITEM_200=01;"})
        v.append({pair.section('=', 0, 0), pair.section('=', 1)});
    return v;
}

QString chinese(int count)
{
    return QString(count, QChar(0x4E2D));
}

void tick(QGroupBox *panel, const QString &boxName)
{
    panel->findChild<QAbstractButton *>(boxName)->click();
}

void untickAll(QGroupBox *panel)
{
    for (QAbstractButton *b : OptionBoxesOf(panel))
        SetOptionTicked(b, false);
}
} // namespace

class TestPage1 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    TFpage1 *p = nullptr;
    BoxLog m_log;

    Database *db() const { return f.db(); }

    // Opens the fixture on a record of the category and loads page 1 from it.
    void loadRecord(const QString &category, const FieldValues &changes = {},
                    const QStringList &filesToDrop = {})
    {
        f.open(filesToDrop);
        FieldValues values = completeRecord(category);
        for (const auto &[field, value] : changes) {
            for (auto &pair : values) {
                if (pair.first == field)
                    pair.second = value;
            }
        }
        appendRow(db(), u"kjcg.DBF"_s, values);
        addPerson(db(), Number, Region, u"张三"_s);
        f.showList();
        f.main()->ComboBox1->setCurrentIndex(category.toInt() - 1);
        f.main()->ComboBox1Change();
        QCOMPARE(f.list().recordCount(), 1);
        p = f.page1();
        p->loadFromRecord();
    }

    QString stored(const QString &field) const { return f.list().asString(field); }

    // The message of the first failing check, empty when all pass.
    QString firstFailure() { return PagesFixture::firstFailure(p, m_log); }

    bool saveQuietly()
    {
        m_log.clear();
        return p->save() && m_log.last() == Messages::Texts::stored();
    }

private slots:
    // Today is 2026-08-31 for the whole program.
    void initTestCase()
    {
        Clock::standAt(QDateTime(QDate(2026, 8, 31), QTime(10, 0)));
        f.buildOnce();
    }
    void init() { m_log.clear(); }
    void cleanup() { f.stop(); }

    void loadingShowsTheRecord()
    {
        loadRecord(u"1"_s);
        QCOMPARE(p->edt_8_y_s->text(), u"2020"_s);
        QCOMPARE(p->edt_8_m_e->text(), u"06"_s);
        QCOMPARE(p->DTP_121->date(), QDate(2022, 5, 1));
        QCOMPARE(p->CB_1->currentText(), u"1  公开"_s);
        QCOMPARE(p->edt_14_2->text(), u"铁"_s);
        QVERIFY(p->edt_14_3->isEnabled() && p->edt_14_3->text().isEmpty());
        QVERIFY(p->PL_123->findChild<QRadioButton *>("rb_123_1")->isChecked());
        QVERIFY(p->PL_125->findChild<QCheckBox *>("CB_125_03")->isChecked());
        QCOMPARE(p->Edt_15->text(), u"11010  数学史"_s);
        QVERIFY(p->Edt_15->isReadOnly());
        QCOMPARE(p->edt_12->text(), u"A1  马克思、恩格斯著作"_s);
        QVERIFY(!p->cb_210->isVisibleTo(p) && p->PL_123->isVisibleTo(p));
        QVERIFY(p->Pl_124_1->isVisibleTo(p) && !p->PL_200->isVisibleTo(p));
        QCOMPARE(p->Label22->text(), u"所属高新科技领域"_s);
        QVERIFY(p->isUnchanged());
        QCOMPARE(firstFailure(), QString());

        loadRecord(u"3"_s);
        QVERIFY(p->cb_210->isVisibleTo(p) && !p->PL_123->isVisibleTo(p) && !p->cb_16->isVisibleTo(p));
        QVERIFY(!p->Pl_124_1->isVisibleTo(p) && p->PL_200->isVisibleTo(p));
        QCOMPARE(p->Label22->text(), u"社会经济目标"_s);
        QVERIFY(p->isUnchanged());
    }

    // Broken from the last check to the first: each time the check just
    // broken is the earliest failing one, so its message must come.
    void theChecksRunInTheirOrder()
    {
        struct Case
        {
            QString message;
            std::function<void()> breakIt;
        };
        const auto missing
            = [](const char *label) { return u"\""_s + QString::fromUtf8(label) + u"\"不能为空！"_s; };
        loadRecord(u"1"_s);
        const QList<Case> applied = {
            {u"研究起止时间为必填项！"_s, [&] { p->edt_8_y_e->clear(); }},
            {missing("成果密级"), [&] { p->CB_1->setCurrentIndex(-1); }},
            {u"\"关键词\"三栏总字数不要超过98字"_s,
             [&] {
                 p->edt_14_1->setText(chinese(33));
                 p->edt_14_2->setText(chinese(33));
                 p->edt_14_3->setText(chinese(33));
             }},
            {missing("成果所处阶段"), [&] { p->cb_16->setCurrentIndex(-1); }},
            {missing("转让范围"), [&] { p->cb_33->setCurrentIndex(-1); }},
            {missing("成果体现形式"), [&] { untickAll(p->PL_123); }},
            {missing("成果属性"), [&] { p->Cb_125_1->setCurrentIndex(-1); }},
            {missing("研究形式"), [&] { p->cb_201->setCurrentIndex(-1); }},
            {missing("成果应用行业"), [&] { untickAll(p->PL_125); }},
            {missing("成果简介"), [&] { p->Mo_13_1->setPlainText(u" \n "_s); }},
            {missing("成果公报内容"), [&] { p->Mo_13->clear(); }},
        };
        for (qsizetype i = applied.size() - 1; i >= 0; --i) {
            applied[i].breakIt();
            QCOMPARE(firstFailure(), applied[i].message);
        }

        loadRecord(u"2"_s);
        p->Mo_13->clear();
        untickAll(p->PL_200);
        QCOMPARE(firstFailure(), missing("社会经济目标"));
        p->cb_210->setCurrentIndex(-1);
        QCOMPARE(firstFailure(), missing("成果体现形式"));
        // The applied-technology entries are not asked for.
        p->cb_210->setCurrentIndex(0);
        tick(p->PL_200, u"cb_200_13"_s);
        p->Mo_13->setPlainText(u"公报"_s);
        QCOMPARE(firstFailure(), QString());
    }

    void theResearchPeriod()
    {
        // A period stored with one-digit months reads as it was meant, and
        // stays as stored until the user changes it; one that cannot be read
        // is reported and shown as this month.
        loadRecord(u"1"_s, {{"ITEM_8", "2020.3   至2021.6"}});
        QCOMPARE(p->edt_8_m_s->text() + p->edt_8_y_e->text() + p->edt_8_m_e->text(), u"03202106"_s);
        QVERIFY(p->isUnchanged());
        p->edt_8_m_e->setText(u"07"_s);
        QVERIFY(!p->isUnchanged());
        loadRecord(u"1"_s, {{"ITEM_8", "去年到今年"}});
        QCOMPARE(m_log.last(), u"项目中”起止时间“不是正确的时间格式！现在已经更换。"_s);
        QCOMPARE(p->edt_8_y_e->text(), u"2026"_s);

        loadRecord(u"1"_s);
        m_log.clear();
        p->edt_8_m_e->setText(u"6"_s);
        p->DTP_121->setDate(QDate(2021, 5, 31));
        QCOMPARE(firstFailure(), u"所填写的研究终止时间不应大于登记日期！"_s);
        p->DTP_121->setDate(QDate(2021, 6, 1));
        QCOMPARE(firstFailure(), QString());
        p->edt_8_y_s->setText(u"2021"_s);
        p->edt_8_m_s->setText(u"7"_s);
        QCOMPARE(firstFailure(), u"所填写的研究起始时间不应大于研究终止时间！"_s);
        p->edt_8_m_s->setText(u"06"_s);
        QCOMPARE(firstFailure(), u"所填写的研究起始时间不应等于研究终止时间！"_s);

        // Leaving a year or month edit tidies it.
        const struct
        {
            QLineEdit *edit;
            QString typed, shown, warning;
        } exits[] = {
            {p->edt_8_m_s, "3", "03", ""},
            {p->edt_8_m_s, "13", "12", "月份数不合理！"},
            {p->edt_8_m_s, "", "", ""},
            {p->edt_8_y_s, "1948", "2004", "年份不合理，合理取值为1949年至今！"},
            {p->edt_8_y_s, "2027", "2004",
             "年份不合理，合理取值为1949年至今！"},
            {p->edt_8_y_s, "2019", "2019", ""},
        };
        for (const auto &e : exits) {
            m_log.clear();
            e.edit->setText(e.typed);
            p->periodEditExit(e.edit);
            QCOMPARE(e.edit->text(), e.shown);
            QCOMPARE(m_log.last(), e.warning);
        }

        // A month left untouched is still stored with two digits.
        p->edt_8_y_s->setText(u"2020"_s);
        p->edt_8_m_s->setText(u"3"_s);
        p->edt_8_m_e->setText(u"5"_s);
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_8"), u"2020.03   至2021.05"_s);
    }

    void theKeyWords()
    {
        loadRecord(u"1"_s);
        const auto keyWords = [&](const QString &a, const QString &b, const QString &c) {
            p->edt_14_1->setText(a);
            p->edt_14_2->setText(b);
            p->edt_14_3->setText(c);
        };
        keyWords(chinese(32), chinese(33), chinese(33));
        QCOMPARE(firstFailure(), QString());
        keyWords(QString(196, QLatin1Char('k')), QString(), QString());
        QCOMPARE(firstFailure(), QString());
        keyWords(chinese(33), chinese(33), chinese(33));
        QCOMPARE(firstFailure(), u"\"关键词\"三栏总字数不要超过98字"_s);

        const struct
        {
            QString a, b, c, stored;
        } joins[] = {{"a", "", "", "a"}, {"a", "b", "", "a;b"}, {"a", "b", "c", "a;b;c"}};
        for (const auto &j : joins) {
            keyWords(j.a, j.b, j.c);
            QVERIFY(saveQuietly());
            QCOMPARE(stored("item_14"), j.stored);
        }
        // A word can follow only a word: emptying the first empties the rest.
        p->edt_14_1->clear();
        QVERIFY(!p->edt_14_2->isEnabled() && p->edt_14_2->text().isEmpty());
        QVERIFY(!p->edt_14_3->isEnabled() && p->edt_14_3->text().isEmpty());
    }

    void theStoredFormsOfAnAppliedRecord()
    {
        loadRecord(u"1"_s);
        QVERIFY(!stored("ITEM_210").isEmpty());
        tick(p->PL_123, u"rb_123_C"_s);
        tick(p->Pl_124_1, u"CB_124_1_05"_s);
        tick(p->PL_125, u"CB_125_01"_s);
        tick(p->PL_125, u"CB_125_20"_s);
        p->Cb_125_1->setCurrentIndex(2);
        p->Mo_13->setPlainText(u"第一行\t有制表\n第二行"_s);
        p->Edt_120->setText(u"管理-9"_s);
        p->DTP_121->setDate(QDate(2022, 7, 8));
        m_log.clear();
        QVERIFY(p->save());
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::stored()});
        QCOMPARE(m_log.lastCaption(), u"Dravik"_s);
        QVERIFY(f.main()->sectionButton(u"btn_page01"_s)->isDone());
        QCOMPARE(stored("item_123"), u"C"_s);
        QCOMPARE(stored("item_124_1"), u"05;"_s);
        QCOMPARE(stored("item_125"), u"20;"_s);
        QCOMPARE(stored("item_125_1"), u"3"_s);
        QCOMPARE(stored("item_13"), u"第一行 有制表\r\n第二行"_s);
        QCOMPARE(p->Mo_13->toPlainText(), u"第一行 有制表\n第二行"_s);
        QCOMPARE(stored("item_120"), u"管理-9"_s);
        QCOMPARE(f.list().asDate(u"item_121"_s), QDate(2022, 7, 8));
        QCOMPARE(stored("item_15"), u"11010"_s);
        QCOMPARE(stored("outcomeb"), u"9990001000"_s);
        QVERIFY(f.list().isNull(u"ITEM_210"_s));
        QVERIFY(f.list().isNull(u"ITEM_200"_s));
        QVERIFY(p->isUnchanged());
    }

    void theStoredFormsOfOtherRecords()
    {
        loadRecord(u"2"_s);
        p->cb_210->setCurrentIndex(1);
        tick(p->PL_200, u"cb_200_12"_s);
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_210"), u"2"_s);
        QCOMPARE(stored("item_200"), u"12;"_s);
        for (const char *field : {"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33", "ITEM_125_1", "outcomeb"})
            QVERIFY2(f.list().isNull(QLatin1String(field)), field);
        QCOMPARE(stored("item_1"), u"1"_s);
    }

    void classificationCodes()
    {
        // A code the table does not hold is shown bare and kept.
        loadRecord(u"1"_s, {{"ITEM_15", "99999"}});
        QCOMPARE(p->Edt_15->text(), u"99999"_s);
        QVERIFY(p->isUnchanged());
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_15"), u"99999"_s);

        // The chooser writes "code  name"; the code is stored.
        ModalHelper helper([](QWidget *modal) {
            auto *tree = modal->findChild<QTreeWidget *>();
            QTreeWidgetItem *root = tree->topLevelItem(0);
            tree->setCurrentItem(root->child(1));
            ModalHelper::click(modal, u"确认"_s);
        });
        p->cb_15_1->showPopup();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        const QString chosen = p->edt_15_1->text();
        QVERIFY(chosen.contains(u"  "_s));
        QVERIFY(!p->isUnchanged());
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_15_1"), chosen.left(chosen.indexOf(u"  "_s)));

        // Without the subject table the codes are typed, ten characters at most.
        loadRecord(u"1"_s, {{"ITEM_15", "12345"}}, {u"XKFL.dbf"_s});
        QVERIFY(!f.dm()->XkflPresent);
        QVERIFY(!p->cb_15->isVisibleTo(p) && !p->Edt_15->isReadOnly());
        QCOMPARE(p->Edt_15->text(), u"12345"_s);
        QVERIFY(p->isUnchanged());
        p->Edt_15->selectAll();
        p->Edt_15->insert(u"1234567890123"_s);
        QCOMPARE(p->Edt_15->text(), u"1234567890"_s);
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_15"), u"1234567890"_s);
        QCOMPARE(stored("item_12"), u"A1"_s);
    }

    void theLeaveQuestionComesOnlyForAChange()
    {
        // No registration date: the picker shows today, which is no change;
        // blank lines after a memo are none either.
        loadRecord(u"1"_s, {{"ITEM_121", ""}});
        QCOMPARE(p->DTP_121->date(), QDate(2026, 8, 31));
        p->Mo_13->setPlainText(u"公报\n\n"_s);
        m_log.clear();
        p->quit01Click();
        QCOMPARE(m_log.texts(), QStringList());

        loadRecord(u"1"_s);
        p->Edt_128->setText(u"另一推荐单位"_s);
        m_log.answers = {QMessageBox::No};
        p->quit01Click();
        QCOMPARE(m_log.texts(), QStringList{Messages::Texts::leaveQuestion()});
        QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        QCOMPARE(stored("item_128"), u"推荐"_s);

        m_log.clear();
        p->quit01Click(); // Yes
        QCOMPARE(m_log.texts(), (QStringList{Messages::Texts::leaveQuestion(), Messages::Texts::stored()}));
        QCOMPARE(stored("item_128"), u"另一推荐单位"_s);

        // A failing check keeps the page from being left at all.
        m_log.clear();
        p->CB_1->setCurrentIndex(-1);
        p->quit01Click();
        QCOMPARE(m_log.texts(), QStringList{u"\"成果密级\"不能为空！"_s});
    }

    // What the page cannot show as stored is neither lost by a save of
    // another change nor taken for a change itself.
    void storedValuesThePickersCannotOfferSurvive()
    {
        // "6" is an item of an earlier version, left out of the list.
        loadRecord(u"1"_s, {{"ITEM_2", "6"}});
        QCOMPARE(p->cb_2->currentIndex(), -1);
        QVERIFY(p->isUnchanged());
        m_log.clear();
        p->quit01Click();
        QCOMPARE(m_log.texts(), QStringList());
        p->edt_14_1->setText(u"铜"_s);
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_2"), u"6"_s);
        QCOMPARE(stored("item_14"), u"铜;铁"_s);
        // The user's own choice replaces it.
        p->cb_2->setCurrentIndex(0);
        emit p->cb_2->activated(0);
        QVERIFY(!p->isUnchanged());
        QVERIFY(saveQuietly());
        QCOMPARE(stored("item_2"), u"1"_s);

        // A stored registration date changed to today is a change.
        loadRecord(u"1"_s);
        p->DTP_121->setDate(QDate(2026, 8, 31));
        QVERIFY(!p->isUnchanged());

        // An old date is shown as it is, not moved into the picker's span
        // (1949-01-01 to 2051-12-31).
        m_log.clear();
        loadRecord(u"1"_s, {{"ITEM_121", "1950-3-4"}, {"ITEM_8", "1948.01   至1949.06"}});
        QCOMPARE(m_log.texts(), QStringList());
        QCOMPARE(p->DTP_121->date(), QDate(1950, 3, 4));
        QVERIFY(p->isUnchanged());
        QVERIFY(saveQuietly());
        QCOMPARE(f.list().asDate(u"item_121"_s), QDate(1950, 3, 4));
        QCOMPARE(p->DTP_121->allowedFrom(), QDate(1949, 1, 1));
        QCOMPARE(p->DTP_121->allowedTo(), QDate(2051, 12, 31));
        // One the picker cannot show is reported and replaced by today.
        for (const char *outside : {"1850-1-2", "1900-3-4", "2052-1-1"}) {
            loadRecord(u"1"_s, {{"ITEM_121", outside}});
            QVERIFY(m_log.last().endsWith(u"'不是正确的时间格式！现在已经更换。"_s));
            QCOMPARE(p->DTP_121->date(), QDate(2026, 8, 31));
        }
    }

    // Opened from the main window: a save that cannot be written keeps the
    // page open with what was typed and the row out of edit mode.
    void aSaveThatFailsKeepsThePageOpen()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        loadRecord(u"1"_s);
        f.main()->sectionButton(u"btn_page01"_s)->setKind(SectionButton::NotDone);
        m_log.clear();
        bool openAfterFailure = false;
        QString kept;
        DataSet::State state = DataSet::Edit;
        ModalHelper helper([&](QWidget *modal) {
            auto *page = qobject_cast<TFpage1 *>(modal);
            page->Mo_13_1->setPlainText(u"更长的成果简介，需要新的备注块"_s);
            {
                FileSizeLimit limit(1024);
                page->quit01->click(); // Yes, save
            }
            openAfterFailure = page->isVisible();
            kept = page->Mo_13_1->toPlainText();
            state = f.list().state();
            page->quit01->click(); // Yes again: now it is written
        });
        f.main()->sectionButton(u"btn_page01"_s)->click();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QVERIFY(openAfterFailure);
        QCOMPARE(kept, u"更长的成果简介，需要新的备注块"_s);
        QCOMPARE(state, DataSet::Browse);
        QCOMPARE(m_log.boxes.at(1).caption, u"提示"_s);
        QCOMPARE(stored("item_13_1"), u"更长的成果简介，需要新的备注块"_s);
        QVERIFY(f.main()->sectionButton(u"btn_page01"_s)->isDone());
    }

    // A new user's road: "成果概况" with an empty list offers "新增" first,
    // then the page of the new record, which leaves the list locked.
    void theSectionButtonMakesARecordFirst()
    {
        f.open();
        f.showList();
        QString caption;
        std::unique_ptr<ModalHelper> pageHelper;
        ModalHelper newRecord([&](QWidget *modal) {
            auto *d = qobject_cast<TFormNew *>(modal);
            d->cbYear->setText(u"2023"_s);
            d->edt_3->setText(u"新项目"_s);
            d->Button1->click();
            // The page comes once the dialog is gone.
            pageHelper = std::make_unique<ModalHelper>([&](QWidget *page) {
                caption = page->windowTitle();
                static_cast<QDialog *>(page)->done(QDialog::Rejected);
            });
        });
        f.main()->sectionButton(u"btn_page01"_s)->click();
        QVERIFY2(newRecord.ok(), qPrintable(newRecord.error()));
        QVERIFY(pageHelper);
        QVERIFY2(pageHelper->ok(), qPrintable(pageHelper->error()));
        QCOMPARE(caption, u"成果名称：新项目"_s);
        QCOMPARE(f.list().recordCount(), 1);
        QVERIFY(!f.main()->sectionButton(u"btn_page01"_s)->isDone());
        QVERIFY(!f.main()->DBGrid1->isEnabled());
    }
};

QTEST_MAIN(TestPage1)
#include "tst_page1.moc"
