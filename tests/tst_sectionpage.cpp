// The section-page machinery as another page configures it: kinds that page
// 1 does not use (money, clearable date, a list with its blank item, a group
// of several codes), a binding of one category group, a page without leave
// checks, and the done mark of the page's own section button.
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/forms/SectionPage.h"
#include "records/widgets/ClearableDate.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/OptionGroup.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

namespace {
const QString Number = u"2023000001"_s;

class SamplePage : public SectionPage
{
public:
    explicit SamplePage(QWidget *parent)
        : SectionPage(u"SamplePage"_s, u"btn_page03"_s, parent)
    {
        using namespace PageBindings;
        Edt_127 = new QLineEdit(this);
        Edt_141 = new MoneyEdit(this);
        Edt_141->setAllowPoint(true);
        date = new ClearableDate(this);
        cb_46 = new QComboBox(this);
        pl_161 = new QGroupBox(this);
        for (const char *name : {"cb_161_1", "cb_161_2", "cb_161_3", "cb_161_9"})
            (new QCheckBox(pl_161))->setObjectName(QLatin1String(name));
        Edt_53 = new QLineEdit(this);
        makeButtonBar(u"存储"_s);

        bind(options(u"item_161"_s, pl_161, 1, u"推广形式"_s).required(u"\"推广形式\"必须选择！"_s));
        bind(text(u"item_127"_s, Edt_127));
        bind(money(u"item_141"_s, Edt_141));
        bind(clearableDate(u"item_34"_s, date, [](const QString &stored) {
            return u"本项评价日期：'"_s + stored + u"' 不是正确的时间格式！现在已经更换。"_s;
        }));
        bind(pick(u"item_46"_s, cb_46, dictionary(u"item_46"_s, true), 2));
        bind(text(u"item_53"_s, Edt_53).only(Serves::OthersOnly, true));
    }

    void leaveWithoutChecks() { setChecksOnLeave(false); }

    QLineEdit *Edt_127;
    MoneyEdit *Edt_141;
    ClearableDate *date;
    QComboBox *cb_46;
    QGroupBox *pl_161;
    QLineEdit *Edt_53;
};

void tick(QGroupBox *panel, const char *name, bool on = true)
{
    SetOptionTicked(panel->findChild<QAbstractButton *>(QLatin1String(name)), on);
}
} // namespace

class TestSectionPage : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog log;
    SamplePage *page = nullptr;

    void openOn(const QString &category, const FieldValues &values)
    {
        f.open();
        FieldValues row
            = {{"ITEM_4", Number}, {"ITEM_DQDM", "."}, {"ITEM_CGLB", category}, {"ITEM_3", "样例"}};
        appendRow(f.db(), u"kjcg.DBF"_s, row + values);
        f.showList();
        f.main()->ComboBox1->setCurrentIndex(category.toInt() - 1);
        f.main()->ComboBox1Change();
        page = f.add(new SamplePage(f.main()));
        page->loadFromRecord();
    }

    QString stored(const QString &field) const { return f.list().asString(field); }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { log.clear(); }
    void cleanup() { f.stop(); }

    void eachKindLoadsSavesAndCompares()
    {
        openOn(u"1"_s,
               {{"ITEM_161", "1;3;"},
                {"ITEM_127", "立项-1"},
                {"ITEM_141", "12.5"},
                {"ITEM_34", "2005.03.09"},
                {"ITEM_46", "2"},
                {"ITEM_53", "旧登记号"}});
        QCOMPARE(page->Edt_141->text(), u"12.5"_s);
        QCOMPARE(page->date->date(), QDate(2005, 3, 9));
        QVERIFY(!page->date->isCleared());
        QCOMPARE(page->cb_46->currentText().left(1), u"2"_s);
        QVERIFY(!page->Edt_53->isVisibleTo(page));
        QVERIFY(page->isUnchanged());

        const auto changes = [&](const std::function<void()> &change) {
            change();
            const bool noticed = !page->isUnchanged();
            page->loadFromRecord();
            return noticed;
        };
        QVERIFY(changes([&] { page->Edt_141->setText(u"12.50"_s); }));
        QVERIFY(changes([&] { page->date->setCleared(true); }));
        QVERIFY(changes([&] { page->cb_46->setCurrentIndex(page->cb_46->count() - 1); }));
        QVERIFY(changes([&] { tick(page->pl_161, "cb_161_3", false); }));
        QVERIFY(!changes([&] { page->Edt_53->setText(u"不属于此类"_s); }));

        page->Edt_141->clear();
        page->date->setCleared(true);
        page->cb_46->setCurrentIndex(page->cb_46->count() - 1); // the blank item
        tick(page->pl_161, "cb_161_1", false);
        tick(page->pl_161, "cb_161_9");
        QVERIFY(page->save());
        QVERIFY(f.list().isNull(u"item_141"_s));
        QVERIFY(f.list().isNull(u"item_34"_s));
        QVERIFY(f.list().isNull(u"item_46"_s));
        QCOMPARE(stored("item_161"), u"3;9;"_s);
        // The field of the other category group is emptied.
        QVERIFY(f.list().isNull(u"item_53"_s));
        QVERIFY(page->isUnchanged());
        QVERIFY(f.main()->sectionButton(u"btn_page03"_s)->isDone());
        QCOMPARE(log.last(), Messages::Texts::stored());
    }

    void aFailedCheckStoresNothing()
    {
        openOn(u"2"_s, {{"ITEM_161", "1;"}, {"ITEM_53", "登记号"}});
        QVERIFY(page->Edt_53->isVisibleTo(page));
        f.main()->sectionButton(u"btn_page03"_s)->setKind(SectionButton::NotDone);
        page->Edt_127->setText(u"不会存"_s);
        tick(page->pl_161, "cb_161_2");
        tick(page->pl_161, "cb_161_3");
        QVERIFY_THROWS_EXCEPTION(Abort, page->save());
        QCOMPARE(log.last(), u"'推广形式'项目为复选项目，但至多选择二项！"_s);
        for (const char *name : {"cb_161_1", "cb_161_2", "cb_161_3"})
            tick(page->pl_161, name, false);
        QVERIFY_THROWS_EXCEPTION(Abort, page->save());
        QCOMPARE(log.last(), u"\"推广形式\"必须选择！"_s);
        QCOMPARE(f.list().state(), DataSet::Browse);
        QVERIFY(f.list().isNull(u"item_127"_s));
        QVERIFY(!f.main()->sectionButton(u"btn_page03"_s)->isDone());

        // A page with no required entries is left even so, after its question.
        page->leaveWithoutChecks();
        log.answers = {QMessageBox::No};
        page->quit01Click();
        QCOMPARE(log.last(), Messages::Texts::leaveQuestion());
        QCOMPARE(page->result(), int(QDialog::Accepted));
    }

    void aStoredTextThatIsNoDateIsReported()
    {
        openOn(u"1"_s, {{"ITEM_34", "2005.13.40"}});
        QCOMPARE(log.last(), u"本项评价日期：'2005.13.40' 不是正确的时间格式！现在已经更换。"_s);
        // A date before the picker's span is reported too, never moved.
        openOn(u"1"_s, {{"ITEM_34", "1899.03.04"}});
        QCOMPARE(log.last(), u"本项评价日期：'1899.03.04' 不是正确的时间格式！现在已经更换。"_s);
        log.clear();
        openOn(u"1"_s, {{"ITEM_34", "1900.03.04"}, {"ITEM_161", "1;"}});
        QCOMPARE(log.texts(), QStringList());
        QCOMPARE(page->date->dotText(), u"1900.03.04"_s);
        QVERIFY(page->isUnchanged());
        QVERIFY(page->save());
        QCOMPARE(stored("item_34"), u"1900.03.04"_s);
    }

    // A code the list does not offer is kept until the user picks an item;
    // picking the blank item clears it.
    void aCodeTheListLacksIsKeptUntilTheUserChooses()
    {
        openOn(u"1"_s, {{"ITEM_46", "9"}, {"ITEM_161", "1;"}});
        QCOMPARE(page->cb_46->currentIndex(), -1);
        QVERIFY(page->isUnchanged());
        page->Edt_127->setText(u"立项-2"_s);
        QVERIFY(page->save());
        QCOMPARE(stored("item_46"), u"9"_s);
        const int blank = page->cb_46->count() - 1;
        page->cb_46->setCurrentIndex(blank);
        QVERIFY(page->isUnchanged()); // set by the program, not chosen
        emit page->cb_46->activated(blank);
        QVERIFY(!page->isUnchanged());
        QVERIFY(page->save());
        QVERIFY(f.list().isNull(u"item_46"_s));
    }
};

QTEST_MAIN(TestSectionPage)
#include "tst_sectionpage.moc"
