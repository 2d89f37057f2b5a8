// The bound forms walked generically (page 1, the unit information page, the
// leaders dialog: every bound control round-trips through its field, no
// change is reported afterwards, edits take their field's width), checks
// read without a box, and the hooks that the child lists and pages use.

#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/widgets/DateEntry.h"
#include "records/widgets/Abort.h"
#include "records/forms/BoundForm.h"
#include "records/forms/ChildList.h"
#include "records/forms/EntryRoutines.h"
#include "records/pages/CgwcrManage.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Finto7Unit.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage5.h"
#include "records/pages/Unitpage7.h"
#include "records/pages/Unitpage8.h"
#include "records/unit/Finto11Unit.h"
#include "records/unit/UnitBindings.h"
#include "records/unit/Unitpage11.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/BindingWalk.h"
#include "support/FieldWidths.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

namespace {

const QString Number = u"2023000001"_s;
const QString Stored = Messages::Texts::stored();

// A committee-like list: it shows a query of the record's rows in rank
// order, appends to the table, ranks the roles after each store and tells
// when it is left.
class RankedList : public ChildListWindow
{
public:
    RankedList() : ChildListWindow({u"评价委员会名单"_s, u"评价委员会名单"_s, u"DBGrid1"_s, u"Button3"_s}) {}

    void wire(AppContext &context) override
    {
        ChildListWindow::wire(context);
        setRows(context.dm().QryJdwyhmd, context.dm().DSQjdwyhmd, u"item_190"_s);
        setAppendTarget(context.dm().Tbljdwyhmd);
        setKey({u"jdwyhmd.DBF"_s, {u"item_4"_s, u"item_dqdm"_s}, u"item_194, item_190"_s});
    }

    // The rank follows the role, as the committee's list orders it.
    void afterStore(ChildList::Mode) override
    {
        ++stores;
        Table &table = *context().dm().Tbljdwyhmd;
        table.refresh();
        for (int i = 0; i < table.recordCount(); ++i) {
            table.moveTo(i);
            table.edit();
            const QString role = table.asString(u"item_191"_s);
            table.setString(u"item_194"_s, role == u"主任委员"_s ? u"1"_s : u"3"_s);
            table.post();
        }
    }

    void whenLeft() override
    {
        context().recordHost().markSectionDone(u"btn_page07"_s);
        if (countEdit)
            countEdit->setText(QString::number(rows()->recordCount()));
    }

    int stores = 0;
    QLineEdit *countEdit = nullptr;
};

class MemberDialog : public ChildListDialog
{
public:
    MemberDialog()
    {
        name = new ByteLimitedEdit(this);
        role = new ByteLimitedEdit(this);
        bind(PageBindings::text(u"item_192"_s, name).required(u"姓名不能为空！"_s).partOfEntry());
        bind(PageBindings::text(u"item_191"_s, role)
                 .partOfEntry(Binding::BlankStoresNothing | Binding::EmptyLeavesAtOnce));
    }
    void wire(AppContext &context) override
    {
        ChildListDialog::wire(context);
        applyFieldModel(*context.dm().Tbljdwyhmd);
    }
    ByteLimitedEdit *name;
    ByteLimitedEdit *role;
    QStringList key;

protected:
    void beforePost(DataSet &row) override
    {
        if (mode() == ChildList::Mode::Add) {
            row.setString(u"item_4"_s, key.value(0));
            row.setString(u"item_dqdm"_s, key.value(1));
        }
    }
};

// Page 4's way to take the own-unit profile: a form over the record that
// loads from another row.
class FirstUnitForm : public QWidget, public ContextWindow, public BoundForm
{
public:
    FirstUnitForm() : BoundForm(this)
    {
        Edt_9 = new ByteLimitedEdit(this);
        cb_62 = new QComboBox(this);
        CB_41_3 = new QComboBox(this);
        cb_163 = new QCheckBox(this);
        cb_64 = new QComboBox(this);
        bind(PageBindings::text(u"item_9"_s, Edt_9));
        bind(UnitBindings::attribute(cb_62, false));
        bind(UnitBindings::ownership(CB_41_3, cb_62, false));
        bind(UnitBindings::converted(cb_163, cb_62));
        bind(UnitBindings::province(cb_64));
    }
    DataSet &boundRow() const override { return context().recordHost().currentRecord(); }
    bool saveForLeave() override { return true; }

    ByteLimitedEdit *Edt_9;
    QComboBox *cb_62;
    QComboBox *CB_41_3;
    QCheckBox *cb_163;
    QComboBox *cb_64;
};

// A form whose loading rule, when on, picks the first attribute.
class RuledForm : public QWidget, public ContextWindow, public BoundForm
{
public:
    RuledForm() : BoundForm(this)
    {
        cb_62 = new QComboBox(this);
        Edt_9 = new ByteLimitedEdit(this);
        bind(UnitBindings::attribute(cb_62, false));
        bind(PageBindings::text(u"item_9"_s, Edt_9));
    }
    DataSet &boundRow() const override { return context().recordHost().currentRecord(); }
    bool saveForLeave() override { return true; }

    QComboBox *cb_62;
    ByteLimitedEdit *Edt_9;
    bool pickFirst = false;

protected:
    void afterLoad(const DataSet &) override
    {
        if (pickFirst)
            cb_62->setCurrentIndex(0);
    }
};

} // namespace

class TestBoundForms : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog log;

    void openOnRecord(const QString &category)
    {
        f.open();
        addAchievement(f.db(), Number, category, u"样例"_s);
        f.showList();
        f.main()->ComboBox1->setCurrentIndex(category.toInt() - 1);
        f.main()->ComboBox1Change();
        QCOMPARE(f.list().recordCount(), 1);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { log.clear(); }
    void cleanup() { f.stop(); }

    void page1WalksItsBindings_data()
    {
        QTest::addColumn<QString>("category");
        QTest::newRow("应用技术") << u"1"_s;
        QTest::newRow("软科学") << u"2"_s;
        QTest::newRow("基础理论") << u"3"_s;
    }
    void page1WalksItsBindings()
    {
        QFETCH(QString, category);
        openOnRecord(category);
        TFpage1 *p = f.page1();
        p->loadFromRecord();
        QCOMPARE(BindingWalk::fill(*p, FieldWidths::kjcg()), QStringList());
        p->edt_8_y_s->setText(u"2020"_s);
        p->edt_8_m_s->setText(u"03"_s);
        p->edt_8_y_e->setText(u"2021"_s);
        p->edt_8_m_e->setText(u"06"_s);
        p->DTP_121->setDate(QDate(2022, 5, 1));
        const QStringList typed = BindingWalk::shown(*p);
        QVERIFY(typed.contains(u"Edt_128="_s + BindingWalk::textOfBytes(80)));
        QVERIFY(typed.contains(u"Mo_13=第一行说明\n第二行说明"_s));
        log.clear();
        QVERIFY(p->save());
        QCOMPARE(log.texts(), QStringList{Stored});

        p->loadFromRecord();
        QCOMPARE(BindingWalk::shown(*p), typed);
        QVERIFY(p->isUnchanged());
        QCOMPARE(BindingWalk::editsPastTheirField(*p, f.list()), QStringList());
        QCOMPARE(p->Edt_120->maxBytes(), 20);
    }

    void unitPageWalksItsBindings()
    {
        f.open();
        auto *page = f.add(new TFpage4a(f.main()));
        page->LoadUnitPage();
        QCOMPARE(BindingWalk::fill(*page, FieldWidths::unit()), QStringList());
        SelectComboByCode(u"3"_s, page->cb_62);
        page->cb_62Change();
        page->CB_41_3->setCurrentIndex(1);
        page->cb_163->setChecked(true);
        const QStringList typed = BindingWalk::shown(*page);
        QVERIFY(typed.contains(u"Edt_38="_s + BindingWalk::textOfBytes(6)));
        log.clear();
        page->btnSave01Click();
        QCOMPARE(log.texts(), QStringList{Stored});

        page->LoadUnitPage();
        QCOMPARE(BindingWalk::shown(*page), typed);
        QVERIFY(page->isUnchanged());
        QCOMPARE(BindingWalk::editsPastTheirField(*page, *f.dm()->Tblunit), QStringList());
        QCOMPARE(f.stored(u"unit.dbf"_s, u"item_163"_s), u"1"_s);
    }

    // Row by row as the page shows them, and every control named by its
    // label (its buddy).
    void unitPageTabsInVisualOrder()
    {
        f.open();
        auto *page = f.add(new TFpage4a(f.main()));
        page->LoadUnitPage();
        page->show();
        QStringList chain;
        const QStringList wanted = {u"edt_9"_s,  u"edt_420"_s, u"Edt_37"_s, u"Edt_38"_s,
                                    u"Edt_39"_s, u"Edt_40"_s,  u"Edt_60"_s, u"cb_64"_s,
                                    u"cb_62"_s,  u"CB_41_3"_s, u"Edt_41"_s, u"Edt_41_2"_s,
                                    u"Edt_61"_s};
        QWidget *w = page->edt_9;
        for (int i = 0; i < 200 && chain.size() < wanted.size(); ++i) {
            if (wanted.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        }
        page->hide();
        QCOMPARE(chain, wanted);
        QCOMPARE(page->Edt_37->accessibleName(), u"通讯地址"_s);
        QCOMPARE(page->cb_62->accessibleName(), u"单位属性"_s);
        QCOMPARE(page->Edt_61->accessibleName(), u"联系部门电子信箱"_s);
    }

    void leadersDialogWalksItsBindings()
    {
        f.open();
        auto *dialog = f.add(new TFinto11(f.main()));
        auto *list = f.add(new TFpage11(f.main()));
        list->setDialog(dialog);
        list->showRowsOf({u"9990001000"_s});
        dialog->setWindowTitle(ChildList::addCaption(TFpage11::listTitle()));
        dialog->show();
        dialog->edtry_180->setText(u"甲"_s);
        dialog->Edt_both_1->setText(u"1960"_s);
        dialog->edt_both_2->setText(u"01"_s);
        QVERIFY(dialog->Button1Click());
        dialog->hide();

        const auto openModify = [&] {
            f.dm()->Tblexpert->first();
            dialog->setWindowTitle(ChildList::modifyCaption(TFpage11::listTitle()));
            dialog->show();
        };
        openModify();
        QCOMPARE(BindingWalk::fill(*dialog, FieldWidths::unitExpert()), QStringList());
        dialog->Edt_both_1->setText(u"1970"_s);
        dialog->edt_both_2->setText(u"05"_s);
        const QStringList typed = BindingWalk::shown(*dialog);
        QVERIFY(typed.contains(u"edtry_186="_s + BindingWalk::textOfBytes(160)));
        QVERIFY(dialog->Button1Click());
        QVERIFY(!dialog->isVisible());

        // The list's grid has the main list's look, with rows or without:
        // no row numbers, a name of ten characters shown whole.
        QVERIFY(list->grid->verticalHeader()->isHidden());
        QVERIFY(!list->grid->horizontalHeader()->highlightSections());
        QVERIFY(list->grid->columnWidth(0)
                > QFontMetrics(list->grid->font()).horizontalAdvance(QString(10, QChar(0x738B))));

        openModify();
        QCOMPARE(BindingWalk::shown(*dialog), typed);
        QVERIFY(dialog->isUnchanged());
        QCOMPARE(BindingWalk::editsPastTheirField(*dialog, *f.dm()->Tblexpert), QStringList());
        dialog->hide();
    }

    // Every add dialog, and the new-record dialog, waits with the caret
    // where typing starts (the first field still empty; a person's name),
    // also when the focus was elsewhere as it was closed last time.
    void addDialogsOpenWithTheCaretInTheirFirstField()
    {
        openOnRecord(u"1"_s);
        auto *units = f.add(new TFinto5(f.main()));
        auto *unitList = f.add(new TFpage5(f.main()));
        auto *members = f.add(new TFinto7(f.main()));
        auto *memberList = f.add(new TFpage7(f.main()));
        auto *persons = f.add(new TFinto8(f.main()));
        auto *personList = f.add(new TFpage8(f.main()));
        f.add(new TFormWcr(f.main()));
        auto *patentList = f.context().window<TFpage6>();
        auto *patents = f.context().window<TFinto6>();
        for (ChildListWindow *list : QList<ChildListWindow *>{unitList, memberList, personList, patentList})
            list->showRowsOf({Number, u"."_s});
        const QList<std::tuple<QAbstractButton *, QWidget *, QWidget *>> dialogs = {
            {unitList->addButton, units->edtdw_170, units->edtdw_173},
            {patentList->addButton, patents->edtzl_no, patents->edtzl_name},
            {memberList->addButton, members->Edtwy_192, members->edtwy_195},
            {personList->addButton, persons->edtry_180, persons->edtry_186},
        };
        for (const auto &[opener, first, other] : dialogs) {
            for (int round = 0; round < 2; ++round) {
                QWidget *focused = nullptr;
                QVERIFY(PagesFixture::throughButton<QDialog>(opener, [&](QDialog *d) {
                    focused = d->focusWidget();
                    other->setFocus();
                    d->reject();
                }));
                QCOMPARE(focused, first);
            }
        }

        auto *leaders = f.add(new TFinto11(f.main()));
        leaders->setWindowTitle(ChildList::addCaption(TFpage11::listTitle()));
        leaders->show();
        QCOMPARE(leaders->focusWidget(), leaders->edtry_180);
        leaders->hide();
        TFormNew *record = f.newDialog();
        record->setWindowTitle(TFormNew::newCaption());
        record->show();
        QCOMPARE(record->focusWidget(), record->edt_120);
        record->hide();
    }

    // A check is read as its message; only checkInput shows it.
    void checksAreReadWithoutABox()
    {
        openOnRecord(u"1"_s);
        TFpage1 *p = f.page1();
        p->loadFromRecord();
        for (QLineEdit *e : {p->edt_8_y_s, p->edt_8_m_s, p->edt_8_y_e, p->edt_8_m_e})
            e->clear();
        log.clear();
        QCOMPARE(p->firstFailingCheck(), u"研究起止时间为必填项！"_s);
        QVERIFY(log.boxes.isEmpty());
        QVERIFY_THROWS_EXCEPTION(Abort, p->checkInput());
        QCOMPARE(log.texts(), QStringList{u"研究起止时间为必填项！"_s});
    }

    // The hooks of the coming lists: rows shown by a bound key in their
    // serial order, new rows appended to the table, what runs after a
    // store (the committee's ranks) and when the list is left (a section
    // mark, a count written back into a page).
    void childListHooks()
    {
        f.open();
        for (const QString &item4 : {Number, u"2023000002"_s})
            appendRow(f.db(), u"jdwyhmd.DBF"_s,
                      {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, u"."_s}, {u"ITEM_192"_s, u"旧"_s},
                       {u"ITEM_191"_s, u"委员"_s}});
        auto *list = f.add(new RankedList);
        auto *dialog = f.add(new MemberDialog);
        list->setDialog(dialog);
        dialog->key = {Number, u"."_s};
        list->showRowsOf(dialog->key);
        QCOMPARE(list->rows()->recordCount(), 1);

        dialog->setWindowTitle(ChildList::addCaption(list->listName()));
        dialog->show();
        dialog->name->setText(u"乙"_s);
        dialog->role->setText(u"主任委员"_s);
        QVERIFY(dialog->Button1Click());
        QCOMPARE(list->stores, 1);
        DataSet &rows = *list->rows();
        QCOMPARE(rows.recordCount(), 2);
        rows.first();
        QCOMPARE(rows.asString(u"item_192"_s), u"乙"_s);  // the chair ranks first
        QCOMPARE(rows.asString(u"item_190"_s), u"1"_s);
        rows.last();
        QCOMPARE(rows.asString(u"item_190"_s), u"2"_s);
        QCOMPARE(countRows(f.db(), u"jdwyhmd.DBF"_s, keyFilter(Number, u"."_s)), 2);
        dialog->hide();

        // A field-sized edit of the dialog: the role takes 20 bytes.
        QCOMPARE(dialog->role->maxBytes(), 20);

        QLineEdit count;
        list->countEdit = &count;
        f.main()->sectionButton(u"btn_page07"_s)->setKind(SectionButton::NotDone);
        list->show();
        list->quitClick();
        QVERIFY(f.main()->sectionButton(u"btn_page07"_s)->isDone());
        QCOMPARE(count.text(), u"2"_s);

        // Key values are values: a quote finds nothing and breaks nothing.
        list->showRowsOf({u"20'3"_s, u"."_s});
        QCOMPARE(list->rows()->recordCount(), 0);
    }

    // Page 4 fills itself from the own-unit profile: the same bindings
    // loaded from another row; the record is untouched and now differs.
    // A code the list lacks stays as stored, untouched and unasked, until
    // a rule of the form replaces what the list shows: then the save
    // stores the shown code and leaving asks.
    void aCodeTheListLacksIsKeptUntilARuleReplacesIt()
    {
        openOnRecord(u"1"_s);
        f.db()->execute(u"update kjcg set item_62 = '8', item_9 = '样例单位'"_s);
        f.showList();
        auto *form = f.add(new RuledForm);
        form->loadFromRow();
        QCOMPARE(form->cb_62->currentIndex(), -1);
        QVERIFY(form->isUnchanged());
        form->writeRow();
        QCOMPARE(f.list().asString(u"item_62"_s), u"8"_s);

        form->pickFirst = true;
        form->loadFromRow();
        QVERIFY(!form->isUnchanged());
        form->writeRow();
        QCOMPARE(f.list().asString(u"item_62"_s), u"1"_s);
        QCOMPARE(f.list().asString(u"item_9"_s), u"样例单位"_s);
        QVERIFY(form->isUnchanged());
    }

    void aFormLoadsFromTheOwnUnitProfile()
    {
        openOnRecord(u"1"_s);
        f.db()->execute(u"insert into dwqk (item_9, item_62, item_41_3, item_163, item_64) "
                        "values ('本单位', '3', '02', '1', '12')"_s);
        ReopenQuery(*f.dm()->Qrydwqk, u"select * from dwqk"_s);
        auto *form = f.add(new FirstUnitForm);
        form->loadFromRow();
        QVERIFY(form->isUnchanged());
        form->loadFrom(*f.dm()->Qrydwqk);
        QCOMPARE(form->Edt_9->text(), u"本单位"_s);
        QCOMPARE(CodeOfItem(form->CB_41_3->currentText()), u"02"_s);
        QVERIFY(form->cb_163->isChecked());
        QCOMPARE(CodeOfItem(form->cb_64->currentText()), u"12"_s);
        QVERIFY(!form->isUnchanged());
        QCOMPARE(f.list().asString(u"item_9"_s), u"1"_s);
    }
};

QTEST_MAIN(TestBoundForms)
#include "tst_boundforms.moc"
