// Page 4, the first completing unit of a record, and the own-unit profile
// it can be filled from: loading (also from the registering unit), the
// checks in their order, the enterprise rule, the weak change test of the
// converted mark, the stored forms read by another dBase reader, and the
// profile that stays one row with its values bound.
#include "engine/DataSet.h"
#include "records/widgets/Abort.h"
#include "records/pages/Unitpage4.h"
#include "records/unit/FirstUnitFields.h"
#include "records/unit/OwnUnitProfile.h"
#include "records/unit/dw_Unit.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "support/DbfReadBack.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTableView>
#include <QtTest>

namespace {

const QString Number = u"2023000001"_s;
const QString Region = u"."_s;

// A value per profile column that its field holds whole.
QString sampleValue(const QString &column)
{
    if (column == u"item_62"_s)
        return u"3"_s;
    if (column == u"item_41_3"_s)
        return u"13"_s;
    return column.mid(5);
}

// The fifteen columns of the own-unit profile.
const QStringList ProfileColumns = {
    u"item_9"_s,    u"item_420"_s, u"item_37"_s, u"item_38"_s, u"item_39"_s,
    u"item_40"_s,   u"item_60"_s,  u"item_62"_s, u"item_163"_s, u"item_41_3"_s,
    u"item_64"_s,   u"item_63"_s,  u"item_41"_s, u"item_41_2"_s, u"item_61"_s};

OwnUnitProfile::ColumnValues profileValues(const QString &name)
{
    OwnUnitProfile::ColumnValues values;
    for (const QString &column : ProfileColumns)
        values.append({column, column == u"item_9"_s ? name : sampleValue(column)});
    return values;
}

// The first unit of a record as page 4 needs it, an enterprise.
const FieldValues FirstUnit = {
    {u"ITEM_9"_s, u"华东机械研究院"_s}, {u"ITEM_420"_s, u"12345678-9"_s},
    {u"ITEM_37"_s, u"上海市长宁路8号"_s}, {u"ITEM_38"_s, u"200050"_s},
    {u"ITEM_39"_s, u"021-1234567"_s}, {u"ITEM_40"_s, u"021-7654321"_s},
    {u"ITEM_60"_s, u"www.hd.cn"_s}, {u"ITEM_62"_s, u"3"_s},
    {u"ITEM_41_3"_s, u"05"_s}, {u"ITEM_163"_s, u"1"_s},
    {u"ITEM_64"_s, u"31"_s}, {u"ITEM_63"_s, u"110"_s},
    {u"ITEM_41"_s, u"李四"_s}, {u"ITEM_41_2"_s, u"13800000000"_s},
    {u"ITEM_61"_s, u"li@hd.cn"_s}};

} // namespace

class TestPage4 : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    TFpage4 *p = nullptr;
    Tdw_Form *profile = nullptr;

    FirstUnitFields &u() const { return *p->fields; }

    // The fixture with page 4 and the profile window on one record whose
    // page-4 fields are `values` (with the rest of the record complete).
    void openOn(const FieldValues &values)
    {
        f.open();
        p = f.add(new TFpage4(f.main()));
        profile = f.add(new Tdw_Form(f.main()));
        FieldValues record = {{u"ITEM_4"_s, Number}, {u"ITEM_DQDM"_s, Region},
                              {u"ITEM_CGLB"_s, u"1"_s}, {u"ITEM_3"_s, u"四页项目"_s}};
        // Every other section's required fields filled.
        const QStringList ownSection = ruleFields(f.db(), u"a"_s, u"04"_s);
        for (const QString &field : ruleFields(f.db(), u"1"_s)) {
            if (!ownSection.contains(field) && field.compare(u"ITEM_3"_s, Qt::CaseInsensitive) != 0)
                record.append({field, u"1"_s});
        }
        record += values;
        appendRow(f.db(), u"kjcg.DBF"_s, record);
        addPerson(f.db(), Number, Region, u"张三"_s);
        f.showList();
        QCOMPARE(f.list().recordCount(), 1);
    }

    void load()
    {
        p->loadFromRecord();
        p->fields->openForAttribute(f.list().asString(u"item_62"_s));
    }

    QString firstFailure() { return PagesFixture::firstFailure(p, m_log); }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { m_log.clear(); }
    void cleanup() { f.stop(); }

    // Opened through its section button, typed into, saved: the record as
    // another dBase reader sees it, and the section marked done.
    void typedValuesReachTheRecord()
    {
        openOn(FirstUnit);
        f.main()->sectionButton(u"btn_page04"_s)->setKind(SectionButton::NotDone);
        QVERIFY(PagesFixture::throughButton<TFpage4>(f.main()->sectionButton(u"btn_page04"_s), [&](TFpage4 *page) {
            QCOMPARE(page, p);
            QCOMPARE(page->windowTitle(), u"成果名称：四页项目"_s);
            QCOMPARE(u().Edt_9->text(), u"华东机械研究院"_s);
            QCOMPARE(u().cb_62->currentText(), u"3  企业"_s);
            QCOMPARE(u().ownership->currentText(), u"05  有限责任公司"_s);
            QVERIFY(u().cb_163->isChecked() && u().cb_163->isEnabled());
            QCOMPARE(u().cb_64->currentText(), u"31  (上海市)"_s);
            QCOMPARE(u().cb_63->currentText(), u"110  (全国人大常委会)"_s);
            QVERIFY(page->isUnchanged());
            u().Edt_9->setText(u"华东机械研究院（集团）"_s);
            u().Edt_37->setText(u"上海市长宁路9号 \"东楼\""_s);
            QVERIFY(PagesFixture::choose(u().ownership, u"07"_s));
            u().cb_163->setChecked(false);
            QVERIFY(PagesFixture::choose(u().cb_63, u"100"_s));
            page->btnSave01->click();
            QCOMPARE(m_log.last(), Messages::Texts::stored());
            page->quit01->click();
        }));
        QVERIFY(f.main()->sectionButton(u"btn_page04"_s)->isDone());
        QCOMPARE(f.main()->sectionButton(u"btn_page04"_s)->text(), u"第一完成单位情况"_s);
        const DbfReadBack back = readWithPythonDbf(
            f.dataPath(), u"kjcg.DBF"_s,
            {u"item_9"_s, u"item_37"_s, u"item_62"_s, u"item_41_3"_s, u"item_163"_s, u"item_63"_s, u"item_41_2"_s});
        QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
        QCOMPARE(back.rows.size(), 1);
        const QJsonObject row = back.rows.first();
        QCOMPARE(row.value(u"item_9"_s).toString(), u"华东机械研究院（集团）"_s);
        QCOMPARE(row.value(u"item_37"_s).toString(), u"上海市长宁路9号 \"东楼\""_s);
        QCOMPARE(row.value(u"item_62"_s).toString(), u"3"_s);
        QCOMPARE(row.value(u"item_41_3"_s).toString(), u"07"_s);
        QCOMPARE(row.value(u"item_163"_s).toString(), u"0"_s);
        QCOMPARE(row.value(u"item_63"_s).toString(), u"100"_s);
        QCOMPARE(row.value(u"item_41_2"_s).toString(), u"13800000000"_s);
    }

    void theChecksRunInTheirOrder()
    {
        openOn(FirstUnit);
        load();
        QCOMPARE(firstFailure(), QString());
        const QList<std::pair<std::function<void()>, QString>> steps = {
            {[&] { u().Edt_41_2->clear(); }, u"\"联系人电话\"不能为空！"_s},
            {[&] { u().Edt_41->clear(); }, u"\"联系人\"不能为空！"_s},
            {[&] { u().cb_64->setCurrentIndex(-1); }, u"\"单位所在省市\"不能为空！"_s},
            {[&] { u().ownership->setCurrentIndex(-1); }, u"\"企业所有制属性\"不能为空！"_s},
            {[&] { u().cb_62->setCurrentIndex(-1); }, u"\"单位属性\"不能为空！"_s},
            {[&] { u().Edt_38->clear(); }, u"\"邮政编码\"不能为空！"_s},
            {[&] { u().Edt_37->clear(); }, u"\"通讯地址\"不能为空！"_s},
            {[&] { u().Edt_9->clear(); }, u"\"单位名称\"不能为空！"_s},
        };
        for (const auto &[empty, message] : steps) {
            empty();
            QCOMPARE(firstFailure(), message);
        }
        // Blanks count as filled; a unit that is no enterprise needs no ownership.
        load();
        u().Edt_9->setText(u"  "_s);
        QVERIFY(PagesFixture::choose(u().cb_62, u"1"_s));
        QCOMPARE(firstFailure(), QString());
    }

    // Ownership and the converted mark belong to an enterprise only: on the
    // page at once, in the record by the attribute code.
    void theEnterpriseRule()
    {
        openOn(FirstUnit);
        load();
        QVERIFY(PagesFixture::choose(u().cb_62, u"2"_s));
        QVERIFY(!u().cb_163->isChecked() && !u().cb_163->isEnabled());
        QVERIFY(u().ownership->count() == 0 && !u().ownership->isEnabled());
        QVERIFY(p->save());
        QCOMPARE(f.list().asString(u"item_62"_s), u"2"_s);
        QCOMPARE(f.list().asString(u"item_41_3"_s), QString());
        QCOMPARE(f.list().asString(u"item_163"_s), QString());
        // A record of a non-enterprise opens with both closed.
        load();
        QVERIFY(!u().ownership->isEnabled() && !u().cb_163->isEnabled());
        QVERIFY(PagesFixture::choose(u().cb_62, u"3"_s));
        QVERIFY(u().ownership->isEnabled() && u().cb_163->isEnabled());
        QVERIFY(PagesFixture::choose(u().ownership, u"01"_s));
        QVERIFY(p->save());
        QCOMPARE(f.list().asString(u"item_41_3"_s), u"01"_s);
        QCOMPARE(f.list().asString(u"item_163"_s), u"0"_s);
    }

    // Only a box against a stored "1" or "0" is a change.
    void theConvertedMarkIsComparedWeakly()
    {
        FieldValues unmarked = FirstUnit;
        unmarked.removeAll({u"ITEM_163"_s, u"1"_s});
        openOn(unmarked);
        load();
        QVERIFY(!u().cb_163->isChecked());
        u().cb_163->setChecked(true);
        QVERIFY(p->isUnchanged());
        QVERIFY(p->save());
        QCOMPARE(f.list().asString(u"item_163"_s), u"1"_s);
        u().cb_163->setChecked(false);
        QVERIFY(!p->isUnchanged());
    }

    // A record whose first unit is the registering unit shows the unit
    // table's address and contacts; ownership, the mark and the
    // affiliation stay the record's.
    void theRegisteringUnitShowsItsOwnData()
    {
        FieldValues own = FirstUnit;
        own[0].second = u"报告单位"_s;
        openOn(own);
        Table &unit = *f.dm()->Tblunit;
        unit.edit();
        unit.setString(u"item_37"_s, u"北京市学院路1号"_s);
        unit.setString(u"item_38"_s, u"100081"_s);
        unit.setString(u"item_62"_s, u"1"_s);
        unit.setString(u"item_64"_s, u"11"_s);
        unit.post();
        QVERIFY(PagesFixture::throughButton<TFpage4>(f.main()->sectionButton(u"btn_page04"_s), [&](TFpage4 *page) {
            QCOMPARE(u().Edt_37->text(), u"北京市学院路1号"_s);
            QCOMPARE(u().Edt_41->text(), QString());
            QCOMPARE(u().cb_62->currentText(), u"1  独立科研机构"_s);
            QVERIFY(!u().ownership->isEnabled());
            QCOMPARE(u().cb_63->currentText(), u"110  (全国人大常委会)"_s);
            QCOMPARE(u().cb_64->currentText(), u"11  (北京市)"_s);
            QVERIFY(!page->isUnchanged());
            // Leaving asks first; the unit's contacts are empty, so the
            // check keeps the page open until they are typed.
            m_log.clear();
            page->quit01->click();
            QCOMPARE(m_log.last(), u"\"联系人\"不能为空！"_s);
            QVERIFY(page->isVisible());
            u().Edt_41->setText(u"王五"_s);
            u().Edt_41_2->setText(u"010-1"_s);
            m_log.answers = {QMessageBox::No};
            page->quit01->click();
            QCOMPARE(m_log.last(), Messages::Texts::leaveQuestion());
        }));
        QCOMPARE(f.list().asString(u"item_37"_s), u"上海市长宁路8号"_s);
    }

    // A record lacking only its first unit holds the lock until page 4 is
    // saved; leaving the page releases it.
    void savingPage4ReleasesTheLock()
    {
        openOn({{u"ITEM_9"_s, u"某单位"_s}});
        f.main()->MarkIncompletePages();
        QVERIFY(!f.main()->CheckPagesDone());
        QCOMPARE(f.notDone(), QStringList{u"btn_page04"_s});
        QVERIFY(!f.main()->Button1->isEnabled());
        QVERIFY(PagesFixture::throughButton<TFpage4>(f.main()->sectionButton(u"btn_page04"_s), [&](TFpage4 *page) {
            u().Edt_37->setText(u"地址"_s);
            u().Edt_38->setText(u"100000"_s);
            QVERIFY(PagesFixture::choose(u().cb_62, u"1"_s));
            QVERIFY(PagesFixture::choose(u().cb_64, u"11"_s));
            u().Edt_41->setText(u"联系人甲"_s);
            u().Edt_41_2->setText(u"1"_s);
            m_log.answers = {QMessageBox::Yes};
            page->quit01->click();
        }));
        QVERIFY(f.notDone().isEmpty());
        QVERIFY(f.main()->Button1->isEnabled() && f.main()->DBGrid1->isEnabled());
    }

    // ---- the own-unit profile -----------------------------------------------------

    // The profile stays one row, and what is typed is stored as typed:
    // quotes are values, not statement text.
    void theProfileIsOneRowWithItsValuesBound()
    {
        QVERIFY(f.start());
        const QString quoted = u"王'记 研究所'); delete from dwqk; --"_s;
        OwnUnitProfile::store(*f.db(), profileValues(quoted));
        OwnUnitProfile::store(*f.db(), profileValues(u"第二次"_s));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 1);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s), u"第二次"_s);
        OwnUnitProfile::store(*f.db(), profileValues(quoted));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 1);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s), quoted);
        for (int i = 1; i < ProfileColumns.size(); ++i) {
            const QString column = ProfileColumns.at(i);
            QCOMPARE(f.stored(u"dwqk.dbf"_s, column), sampleValue(column));
        }
    }

    // A table that already holds two rows gets both rewritten: every
    // reader takes the first, none keeps an older profile.
    void everyRowOfAnOlderTableIsRewritten()
    {
        QVERIFY(f.start());
        appendRow(f.db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"甲"_s}});
        appendRow(f.db(), u"dwqk.dbf"_s, {{u"item_9"_s, u"乙"_s}});
        OwnUnitProfile::store(*f.db(), profileValues(u"丙"_s));
        QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 2);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s, 0), u"丙"_s);
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s, 1), u"丙"_s);
    }

    // Page 4's hidden commands: without a profile the fill says so; the
    // profile window, saved twice, leaves one row and fills page 4.
    void thePageIsFilledFromTheProfile()
    {
        openOn(FirstUnit);
        load();
        QVERIFY(!p->Button1->isVisible() && !p->Button2->isVisible());
        QVERIFY(!p->Button1Click());
        QCOMPARE(m_log.last(), u"本单位情况还没设置，请先设置单位基本情况"_s);
        QCOMPARE(m_log.lastCaption(), u"提示信息"_s);
        QCOMPARE(u().Edt_9->text(), u"华东机械研究院"_s);

        FirstUnitFields &d = *profile->fields;
        for (int round = 0; round < 2; ++round) {
            QVERIFY(PagesFixture::throughButton<Tdw_Form>(p->Button2, [&](Tdw_Form *window) {
                QCOMPARE(window, profile);
                if (round == 0) {
                    // Leaving with a required value empty keeps the window open.
                    window->Button2->click();
                    QVERIFY(window->isVisible());
                    QCOMPARE(m_log.last(), u"\"单位名称\"不能为空！"_s);
                } else {
                    QCOMPARE(d.Edt_9->text(), u"本所 'A'"_s);
                }
                d.Edt_9->setText(round == 0 ? u"本所 'A'"_s : u"本所 'B'"_s);
                d.Edt_37->setText(u"本所地址"_s);
                d.Edt_38->setText(u"100081"_s);
                QVERIFY(PagesFixture::choose(d.cb_62, u"4"_s));
                QVERIFY(PagesFixture::choose(d.cb_64, u"11"_s));
                d.Edt_41->setText(u"本所联系人"_s);
                d.Edt_41_2->setText(u"62000000"_s);
                window->Button1->click();
            }));
            QCOMPARE(countRows(f.db(), u"dwqk.dbf"_s), 1);
        }
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_9"_s), u"本所 'B'"_s);
        // The window's fields are the profile's columns.
        QCOMPARE(f.storedRow(u"dwqk.dbf"_s, {u"item_37"_s, u"item_38"_s, u"item_62"_s, u"item_64"_s,
                                              u"item_41"_s, u"item_41_2"_s}, 0),
                 (QStringList{u"本所地址"_s, u"100081"_s, u"4"_s, u"11"_s, u"本所联系人"_s, u"62000000"_s}));
        // Without the enterprise rule the profile stores what the box shows.
        QCOMPARE(f.stored(u"dwqk.dbf"_s, u"item_163"_s), u"0"_s);
        QCOMPARE(u().Edt_9->text(), u"本所 'B'"_s);
        QCOMPARE(u().Edt_37->text(), u"本所地址"_s);
        QCOMPARE(u().cb_62->currentText(), u"4  医疗机构"_s);
        QVERIFY(!u().ownership->isEnabled() && !u().cb_163->isChecked());
        QVERIFY(!p->isUnchanged());
    }
};

QTEST_MAIN(TestPage4)
#include "tst_page4.moc"
