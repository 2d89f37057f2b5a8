// Records another dBase program wrote (python3-dbf) whose pages show what
// the records do not hold: a default the page fills in (today's
// registration date, a person's study abroad and birth), a value a rule
// clears (the economic amounts of what was never applied, the reasons of a
// stable application) or derives (ownership and the converted-institute mark
// of a unit that is no enterprise). Each page and dialog is opened through
// its button as a user opens it and saved; every field of every row then
// reads back with python3-dbf as written here: what the page showed, or, for
// every other field, the value the fixture wrote.

#include "app/StartUp.h"
#include "app/Unit1.h"
#include "records/forms/AppContext.h"
#include "records/forms/ChildList.h"
#include "records/forms/SectionPage.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage4.h"
#include "records/unit/FirstUnitFields.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/DateEntry.h"
#include "records/widgets/MoneyEdit.h"
#include "records/widgets/SectionButton.h"
#include "support/BoxLog.h"
#include "support/DbfReadBack.h"
#include "support/DbfWriteForeign.h"
#include "support/ModalHelper.h"
#include "support/RecordsData.h"
#include "support/StandingClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

const QString Number = u"2021000017"_s;
const QString Region = u"."_s;
const QString UnitCode = u"9990001000"_s;
// What the unit page writes on every save; the other writer drops the blanks.
const QString ChiefExperts = u"   9999999999"_s;

using Rows = QMap<QString, QJsonArray>;
// "table row field" -> the value the save must leave.
using Expected = QMap<QString, QJsonValue>;

// The program's clock stands at 2026-03-31 (initTestCase).
QString today()
{
    return u"2026-03-31"_s;
}

QString thisMonth()
{
    return u"2026.03"_s;
}

// The sections every page's check asks for; the first unit is no enterprise
// but still holds an ownership and the converted mark.
QJsonObject achievement()
{
    QJsonObject r;
    r[u"ITEM_4"_s] = Number;
    r[u"ITEM_DQDM"_s] = Region;
    r[u"ITEM_CGLB"_s] = u"1"_s;
    r[u"NO"_s] = u"1"_s;
    r[u"ITEM_3"_s] = u"高强度铝合金铸造工艺"_s;
    r[u"OUTCOMEB"_s] = UnitCode;
    // Page 1, without a registration date.
    r[u"ITEM_8"_s] = u"2019.03   至2021.05"_s;
    r[u"ITEM_1"_s] = u"1"_s;
    r[u"ITEM_14"_s] = u"合金;铸造"_s;
    r[u"ITEM_16"_s] = u"2"_s;
    r[u"ITEM_33"_s] = u"1"_s;
    r[u"ITEM_123"_s] = u"3"_s;
    r[u"ITEM_125_1"_s] = u"1"_s;
    r[u"ITEM_201"_s] = u"2"_s;
    r[u"ITEM_125"_s] = u"03;"_s;
    r[u"ITEM_13"_s] = u"公报内容"_s;
    r[u"ITEM_13_1"_s] = u"成果简介"_s;
    // Page 2: never applied, yet with the amounts of an applied one.
    r[u"ITEM_51"_s] = u"9;"_s;
    r[u"ITEM_32"_s] = u"3"_s;
    r[u"ITEM_32_1"_s] = u"1;"_s;
    r[u"ITEM_160"_s] = u"11"_s;
    r[u"ITEM_161"_s] = u"4;"_s;
    r[u"ITEM_45"_s] = 5;
    r[u"ITEM_150"_s] = 12.5;
    r[u"ITEM_151_1"_s] = 7;
    r[u"ITEM_152_1"_s] = 2.25;
    r[u"ITEM_153"_s] = 1;
    r[u"ITEM_154"_s] = 0.5;
    r[u"ITEM_162"_s] = 3.5;
    // Page 4: an independent research institute with an enterprise's data.
    r[u"ITEM_9"_s] = u"第一完成单位"_s;
    r[u"ITEM_37"_s] = u"北京市海淀区"_s;
    r[u"ITEM_38"_s] = u"100080"_s;
    r[u"ITEM_62"_s] = u"1"_s;
    r[u"ITEM_41_3"_s] = u"01"_s;
    r[u"ITEM_163"_s] = u"1"_s;
    r[u"ITEM_64"_s] = u"11"_s;
    r[u"ITEM_41"_s] = u"王五"_s;
    r[u"ITEM_41_2"_s] = u"010-62345678"_s;
    return r;
}

QJsonObject person(int serial, const QString &name)
{
    QJsonObject p;
    p[u"ITEM_4"_s] = Number;
    p[u"ITEM_DQDM"_s] = Region;
    p[u"ITEM_187"_s] = serial;
    p[u"ITEM_180"_s] = name;
    p[u"ITEM_181"_s] = u"1"_s;
    p[u"ITEM_183"_s] = u"2"_s;
    p[u"ITEM_184"_s] = u"3"_s;
    p[u"ITEM_185"_s] = u"第一完成单位"_s;
    p[u"ITEM_186"_s] = u"总体设计"_s;
    return p;  // no study abroad, no birth
}

// The registering unit: a university that holds an ownership and the mark.
QJsonObject registeringUnit()
{
    QJsonObject u;
    u[u"unitcode"_s] = UnitCode;
    u[u"unitlevel"_s] = u"1"_s;
    u[u"endlevel"_s] = 1;
    u[u"chiefexper"_s] = ChiefExperts;
    u[u"ITEM_9"_s] = u"登记单位"_s;
    u[u"ITEM_420"_s] = u"12345678-9"_s;
    u[u"ITEM_37"_s] = u"北京市西城区"_s;
    u[u"ITEM_38"_s] = u"100032"_s;
    u[u"ITEM_39"_s] = u"010-66666666"_s;
    u[u"ITEM_40"_s] = u"010-66666667"_s;
    u[u"ITEM_41"_s] = u"科技处"_s;
    u[u"ITEM_41_2"_s] = u"010-66666668"_s;
    u[u"ITEM_62"_s] = u"2"_s;
    u[u"ITEM_41_3"_s] = u"05"_s;
    u[u"ITEM_163"_s] = u"1"_s;
    u[u"ITEM_64"_s] = u"11"_s;
    u[u"unitintrod"_s] = u"单位简介"_s;
    return u;
}

QJsonObject secondLevelUnit()
{
    QJsonObject u = registeringUnit();
    u[u"unitcode"_s] = u"9990001010"_s;
    u[u"upunitcode"_s] = UnitCode;
    u[u"unitlevel"_s] = u"2"_s;
    u[u"endlevel"_s] = 0;
    u[u"ITEM_9"_s] = u"二级单位"_s;
    return u;
}

// Page 3's sources and kind of national plan, with what its check asks
// for: an evaluation form, and the approval number and name of a national
// plan.
QJsonObject projectSources(const QString &sources, const QString &nationalPlanKind)
{
    return QJsonObject{{u"ITEM_126"_s, sources},
                       {u"ITEM_140"_s, nationalPlanKind},
                       {u"ITEM_21"_s, u"2"_s},
                       {u"ITEM_127"_s, u"2019AA040101"_s},
                       {u"ITEM_127_1"_s, u"轻合金精密铸造"_s}};
}

const QStringList Tables = {u"kjcg.DBF"_s, u"cgwcr.DBF"_s, u"unit.dbf"_s};

QString place(const QString &table, int row, const QString &field)
{
    return table + u" row "_s + QString::number(row) + u" "_s + field.toLower();
}

QString shown(const QJsonValue &value)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class TestShownStored : public QObject
{
    Q_OBJECT

    DataFixture m_shipped;
    BoxLog m_log;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString dataPath() const { return m_dir->filePath(u"data"_s); }

    // A fresh data folder of the shipped tables and these rows.
    void startWith(const Rows &rows)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.shippedPath(), dataPath()));
        for (auto it = rows.begin(); it != rows.end(); ++it)
            QCOMPARE(appendWithPythonDbf(dataPath(), it.key(), it.value()), QString());
    }

    QMap<QString, QList<QJsonObject>> readAll() const
    {
        QMap<QString, QList<QJsonObject>> tables;
        for (const QString &table : Tables) {
            const DbfReadBack read = readWithPythonDbf(dataPath(), table, {});
            if (!read.error.isEmpty())
                qWarning() << table << read.error;
            tables.insert(table, read.rows);
        }
        return tables;
    }

    // Every field of every row as it was before, but for the expected ones.
    static void compareAfterSave(const QMap<QString, QList<QJsonObject>> &before,
                                 const QMap<QString, QList<QJsonObject>> &after, const Expected &expected)
    {
        Expected left = expected;
        for (const QString &table : Tables) {
            const QList<QJsonObject> was = before.value(table);
            const QList<QJsonObject> is = after.value(table);
            QCOMPARE(is.size(), was.size());
            for (int row = 0; row < was.size(); ++row) {
                for (const QString &field : was[row].keys()) {
                    const QString where = place(table, row, field);
                    const QJsonValue want = expected.contains(where) ? expected.value(where)
                                                                      : was[row].value(field);
                    left.remove(where);
                    QVERIFY2(is[row].value(field) == want,
                             qPrintable(where + u": "_s + shown(is[row].value(field)) + u" instead of "_s
                                        + shown(want)));
                }
            }
        }
        QVERIFY2(left.isEmpty(), qPrintable(left.keys().join(u", "_s)));
    }

    template <class Action>
    bool through(QAbstractButton *button, Action action)
    {
        ModalHelper helper([&](QWidget *modal) { action(modal); });
        button->click();
        if (!helper.ok())
            qWarning() << button->objectName() << helper.error() << m_log.texts();
        return helper.ok();
    }

    static TMainForm *showRecords(StartUp::Windows &windows)
    {
        TMainForm *main = windows.mainForm();
        main->prepareFilters();
        main->MarkIncompletePages();
        main->CheckPagesDone();
        main->ComboBox1->setCurrentIndex(0);
        main->ComboBox1Change();
        return main;
    }

    // The first person untouched, the second with the shown answer chosen
    // on purpose; both show the defaults and count as changed.
    static void storePersons(ChildListWindow *list)
    {
        QCOMPARE(list->rows()->recordCount(), 2);
        for (int row = 0; row < 2; ++row) {
            list->rows()->moveTo(row);
            ModalHelper helper([row](QWidget *modal) {
                auto *dialog = qobject_cast<TFinto8 *>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->cbry_188->currentText().left(1), u"0"_s);
                QCOMPARE(dialog->dtpry_182->date().toString(u"yyyy.MM"_s), thisMonth());
                QVERIFY(!dialog->IsPersonInputUnchanged());
                if (row == 1)
                    emit dialog->cbry_188->activated(dialog->cbry_188->currentIndex());
                QVERIFY(dialog->Button1Click());
            });
            list->modifyButton->click();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
        }
        list->quitButton->click();
    }

    static void saveUnitPage(TFpage4a *page)
    {
        page->btnSave01->click();
        QVERIFY(page->IsUnitPageUnchanged());
        page->quit01->click();
    }

    // "存储", then "退出", which asks nothing after the save.
    void saveAndLeave(QWidget *modal)
    {
        auto *page = qobject_cast<SectionPage *>(modal);
        QVERIFY2(page, qPrintable(modal->objectName()));
        const int boxes = m_log.boxes.size();
        page->btnSave01->click();
        QVERIFY(page->isUnchanged());
        page->quit01->click();
        QCOMPARE(m_log.texts().mid(boxes), QStringList{u"存储成功！"_s});
    }

    // The second-level unit's first code list edit, typed into.
    static QLineEdit *codeEdit(QWidget *window, const char *name)
    {
        return window->findChild<QLineEdit *>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase()
    {
        Clock::standAt(QDateTime(QDate(2026, 3, 31), QTime(10, 0)));
        m_shipped.buildOnce();
    }

    // Each page of one record, opened on its own. asks: leaving the page
    // untouched asks the save question (where the page's change test
    // compares the field).
    void everyPageStoresWhatItShows_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QJsonObject>("stored");  // fields of the record other than achievement()'s
        QTest::addColumn<bool>("asks");
        QTest::addColumn<Expected>("expected");
        // Today shown for no date is no change to ask about on leaving.
        QTest::newRow("page 1: today's registration date")
            << u"btn_page01"_s << QJsonObject() << false
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_121"_s), today()}};
        // Reported as replaced on loading.
        QTest::newRow("page 1: a date the picker cannot show")
            << u"btn_page01"_s << QJsonObject{{u"ITEM_121"_s, u"1900-03-04"_s}} << false
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_121"_s), today()}};
        // One high-technology field at a time: the later tick stays.
        QTest::newRow("page 1: two high-technology fields")
            << u"btn_page01"_s << QJsonObject{{u"ITEM_121"_s, u"2021-06-30"_s}, {u"ITEM_124_1"_s, u"01;02;"_s}}
            << true << Expected{{place(u"kjcg.DBF"_s, 0, u"item_124_1"_s), u"02;"_s}};
        // Never applied: no economic effect but the transfer income, which
        // the page keeps as loaded.
        QTest::newRow("page 2: never applied")
            << u"btn_page02"_s << QJsonObject() << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_45"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_150"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_151_1"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_152_1"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_153"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_154"_s), QJsonValue()}};
        // At most one reason: ticking the second box unticks the first, and
        // the detailed reason 21 belongs to the second.
        QTest::newRow("page 2: two reasons of a stopped application")
            << u"btn_page02"_s
            << QJsonObject{{u"ITEM_32"_s, u"2"_s}, {u"ITEM_32_1"_s, u"1;2;"_s}, {u"ITEM_160"_s, u"21"_s}}
            << true << Expected{{place(u"kjcg.DBF"_s, 0, u"item_32_1"_s), u"2;"_s}};
        QTest::newRow("page 2: reasons of a stable application")
            << u"btn_page02"_s << QJsonObject{{u"ITEM_32"_s, u"1"_s}} << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_32_1"_s), u""_s},
                        {place(u"kjcg.DBF"_s, 0, u"item_160"_s), u""_s}};
        // "专利" not ticked: no counts, status or types.
        QTest::newRow("page 2: patent counts without the patent box")
            << u"btn_page02"_s
            << QJsonObject{{u"ITEM_32"_s, u"2"_s}, {u"ITEM_51_2"_s, 2}, {u"ITEM_51_3"_s, 1},
                           {u"ITEM_51_1"_s, u"3"_s}, {u"PATENT_TY"_s, u"1;3;"_s}}
            << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_51_2"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_51_3"_s), QJsonValue()},
                        {place(u"kjcg.DBF"_s, 0, u"item_51_1"_s), u""_s},
                        {place(u"kjcg.DBF"_s, 0, u"patent_ty"_s), u""_s}};
        // "软件著作权" not ticked: no software name or number.
        QTest::newRow("page 2: software without the software box")
            << u"btn_page02"_s
            << QJsonObject{{u"ITEM_32"_s, u"2"_s}, {u"ITEM_52"_s, u"铸造仿真软件V1.0"_s},
                           {u"ITEM_53"_s, u"2019SR123456"_s}}
            << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_52"_s), u""_s},
                        {place(u"kjcg.DBF"_s, 0, u"item_53"_s), u""_s}};
        // The national plan ticked unticks every other source.
        QTest::newRow("page 3: the national plan and a second source")
            << u"btn_page03"_s << projectSources(u"01;02;"_s, u""_s) << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_126"_s), u"01;"_s}};
        // Each ticked source unticks the one ticked before it.
        QTest::newRow("page 3: two sources besides the national plan")
            << u"btn_page03"_s << projectSources(u"02;03;"_s, u""_s) << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_126"_s), u"03;"_s}};
        // A kind of national plan ticks the national plan.
        QTest::newRow("page 3: a kind of national plan without the national plan")
            << u"btn_page03"_s << projectSources(u"02;"_s, u"1"_s) << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_126"_s), u"01;"_s}};
        // No enterprise: no ownership and no converted mark.
        QTest::newRow("page 4: no enterprise")
            << u"btn_page04"_s << QJsonObject() << true
            << Expected{{place(u"kjcg.DBF"_s, 0, u"item_41_3"_s), u""_s},
                        {place(u"kjcg.DBF"_s, 0, u"item_163"_s), u""_s}};
        // The unit page's change test leaves ownership and mark out.
        QTest::newRow("unit page: no enterprise")
            << u"Button2"_s << QJsonObject() << false
            << Expected{{place(u"unit.dbf"_s, 0, u"item_41_3"_s), u""_s},
                        {place(u"unit.dbf"_s, 0, u"item_163"_s), u""_s},
                        {place(u"unit.dbf"_s, 0, u"chiefexper"_s), ChiefExperts}};
        QTest::newRow("page 8: no study abroad, no birth")
            << u"btn_page08"_s << QJsonObject() << true
            << Expected{{place(u"cgwcr.DBF"_s, 0, u"item_188"_s), u"0"_s},
                        {place(u"cgwcr.DBF"_s, 0, u"item_182"_s), thisMonth()},
                        {place(u"cgwcr.DBF"_s, 1, u"item_188"_s), u"0"_s},
                        {place(u"cgwcr.DBF"_s, 1, u"item_182"_s), thisMonth()}};
    }

    void everyPageStoresWhatItShows()
    {
        QFETCH(QString, button);
        QFETCH(QJsonObject, stored);
        QFETCH(bool, asks);
        QFETCH(Expected, expected);
        QJsonObject record = achievement();
        for (auto it = stored.begin(); it != stored.end(); ++it)
            record[it.key()] = it.value();
        startWith({{u"kjcg.DBF"_s, {record}},
                   {u"cgwcr.DBF"_s, {person(1, u"张三"_s), person(2, u"李四"_s)}},
                   {u"unit.dbf"_s, {registeringUnit()}}});
        const auto before = readAll();
        {
            StartUp::Windows windows(dataPath());
            TMainForm *main = showRecords(windows);
            QCOMPARE(windows.context().recordHost().currentRecord().asString(u"item_4"_s), Number);
            m_log.clear();
            auto *opener = main->findChild<QAbstractButton *>(button);
            QVERIFY(opener);
            // Left untouched first, answering "否": nothing is stored.
            if (button != u"btn_page08"_s) {
                m_log.answer = QMessageBox::No;
                QVERIFY(through(opener, [](QWidget *modal) {
                    auto *unitPage = qobject_cast<TFpage4a *>(modal);
                    (unitPage ? unitPage->quit01 : qobject_cast<SectionPage *>(modal)->quit01)->click();
                }));
                QCOMPARE(m_log.texts().contains(u"记录已经更改,是否保存？"_s), asks);
                QCOMPARE(readAll(), before);
                m_log.clear();
            }
            QVERIFY(through(opener, [this](QWidget *modal) {
                if (auto *list = qobject_cast<ChildListWindow *>(modal))
                    storePersons(list);
                else if (auto *unitPage = qobject_cast<TFpage4a *>(modal))
                    saveUnitPage(unitPage);
                else
                    saveAndLeave(modal);
            }));
        }
        compareAfterSave(before, readAll(), expected);
    }

    // A stable application stores no reason, even one stored before.
    void stableApplicationStoresNoReason()
    {
        QJsonObject r = achievement();
        r[u"ITEM_32"_s] = u"1"_s;
        r[u"ITEM_121"_s] = u"2021-06-30"_s;
        startWith({{u"kjcg.DBF"_s, {r}}, {u"unit.dbf"_s, {registeringUnit()}}});
        const auto before = readAll();
        {
            StartUp::Windows windows(dataPath());
            TMainForm *main = showRecords(windows);
            m_log.clear();
            QVERIFY(through(main->sectionButton(u"btn_page02"_s), [this](QWidget *modal) { saveAndLeave(modal); }));
        }
        compareAfterSave(before, readAll(),
                         {{place(u"kjcg.DBF"_s, 0, u"item_32_1"_s), u""_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_160"_s), u""_s}});
    }

    // An enterprise stores its converted mark as "1" or "0": an empty one
    // becomes "0", on page 4, after the fill from the own-unit profile, and
    // on the unit page.
    void enterpriseStoresItsMark()
    {
        QJsonObject r = achievement();
        r[u"ITEM_121"_s] = u"2021-06-30"_s;
        r[u"ITEM_62"_s] = u"3"_s;
        r[u"ITEM_163"_s] = QString();
        QJsonObject unit = registeringUnit();
        unit[u"ITEM_62"_s] = u"3"_s;
        unit[u"ITEM_163"_s] = QString();
        QJsonObject profile;
        profile[u"item_9"_s] = u"本单位"_s;
        profile[u"item_37"_s] = u"北京市东城区"_s;
        profile[u"item_38"_s] = u"100010"_s;
        profile[u"item_62"_s] = u"3"_s;
        profile[u"item_41_3"_s] = u"07"_s;
        profile[u"item_163"_s] = u"2"_s;  // neither "1" nor "0"
        profile[u"item_64"_s] = u"11"_s;
        profile[u"item_41"_s] = u"赵六"_s;
        profile[u"item_41_2"_s] = u"010-65555555"_s;
        startWith({{u"kjcg.DBF"_s, {r}}, {u"unit.dbf"_s, {unit}}, {u"dwqk.dbf"_s, {profile}}});
        const auto before = readAll();
        {
            StartUp::Windows windows(dataPath());
            TMainForm *main = showRecords(windows);
            m_log.clear();
            QVERIFY(through(main->sectionButton(u"btn_page04"_s), [this](QWidget *modal) { saveAndLeave(modal); }));
            QCOMPARE(readWithPythonDbf(dataPath(), u"kjcg.DBF"_s, {u"item_163"_s}).rows.value(0).value(u"item_163"_s),
                     QJsonValue(u"0"_s));
            // The box ticked by hand, then the profile's data filled in.
            QVERIFY(through(main->sectionButton(u"btn_page04"_s), [this](QWidget *modal) {
                auto *page = qobject_cast<TFpage4 *>(modal);
                page->fields->cb_163->setChecked(true);
                QVERIFY(page->Button1Click());
                QVERIFY(!page->fields->cb_163->isChecked());
                saveAndLeave(modal);
            }));
            QVERIFY(through(main->Button2, [](QWidget *modal) {
                saveUnitPage(qobject_cast<TFpage4a *>(modal));
            }));
        }
        compareAfterSave(before, readAll(),
                         {{place(u"kjcg.DBF"_s, 0, u"item_9"_s), u"本单位"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_37"_s), u"北京市东城区"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_38"_s), u"100010"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_41_3"_s), u"07"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_41"_s), u"赵六"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_41_2"_s), u"010-65555555"_s},
                          {place(u"kjcg.DBF"_s, 0, u"item_163"_s), u"0"_s},
                          {place(u"unit.dbf"_s, 0, u"item_163"_s), u"0"_s},
                          {place(u"unit.dbf"_s, 0, u"chiefexper"_s), ChiefExperts}});
    }

    // A code typed without its name is stored with its blank and ";", and
    // the next opening shows it (with its name when the table has it).
    void typedCodesAreKept()
    {
        startWith({{u"kjcg.DBF"_s, {achievement()}},
                   {u"unit.dbf"_s, {registeringUnit(), secondLevelUnit()}}});
        {
            StartUp::Windows windows(dataPath());
            TMainForm *main = showRecords(windows);
            m_log.clear();
            QVERIFY(through(main->Button2, [this](QWidget *modal) {
                auto *page = qobject_cast<TFpage4a *>(modal);
                codeEdit(page, "edt_124_2_1")->setText(u"0102"_s);
                codeEdit(page, "edt_124_2_2")->setText(u"0999"_s);
                page->btnSave01->click();
                // The second-level unit, through the hidden button.
                QVERIFY(through(page->Button5, [](QWidget *modal) {
                    auto *units = qobject_cast<TFpage10 *>(modal);
                    units->DBGrid1->setCurrentIndex(units->DBGrid1->model()->index(0, 0));
                    codeEdit(units, "edt_15_1")->setText(u"11010"_s);
                    QVERIFY(units->btnSave01Click());
                    units->quit01->click();
                }));
                page->quit01->click();
            }));
            const QList<QJsonObject> rows =
                readWithPythonDbf(dataPath(), u"unit.dbf"_s, {u"item_124_2"_s, u"item_15"_s}).rows;
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows[0].value(u"item_124_2"_s), QJsonValue(u"0102 ;0999 ;"_s));
            QCOMPARE(rows[1].value(u"item_15"_s), QJsonValue(u"11010 ;"_s));
            QVERIFY(through(main->Button2, [this](QWidget *modal) {
                auto *page = qobject_cast<TFpage4a *>(modal);
                QCOMPARE(codeEdit(page, "edt_124_2_1")->text(), u"0102  计算机及网络技术"_s);
                QCOMPARE(codeEdit(page, "edt_124_2_2")->text(), u"0999"_s);
                QVERIFY(through(page->Button5, [](QWidget *modal) {
                    auto *units = qobject_cast<TFpage10 *>(modal);
                    units->DBGrid1->setCurrentIndex(units->DBGrid1->model()->index(0, 0));
                    QVERIFY(codeEdit(units, "edt_15_1")->text().startsWith(u"11010"_s));
                    units->quit01->click();
                }));
                page->quit01->click();
            }));
        }
        QCOMPARE(m_log.texts().count(u"存储成功！"_s), 2);
    }
};

QTEST_MAIN(TestShownStored)
#include "tst_shownstored.moc"
