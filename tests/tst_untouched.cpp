// Records another dBase program wrote (python3-dbf): amounts of many digits
// and decimals, texts as long as their fields, codes the pick lists lack,
// births outside the picker's span, dates the pickers cannot show. Every
// section page, list and dialog, and the unit page with its leaders and
// second-level units, is opened through its button as a user opens it and
// saved untouched; every field of every row then reads back
// with python3-dbf exactly as it was written, no page asks the leave
// question, and every save reports "存储成功！".

#include "records/forms/AppContext.h"
#include "records/forms/ChildList.h"
#include "records/forms/SectionPage.h"
#include "app/StartUp.h"
#include "app/Unit1.h"
#include "records/pages/Unitpage2.h"
#include "records/pages/Unitpage6.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/SectionButton.h"
#include "support/BoxLog.h"
#include "support/DbfReadBack.h"
#include "support/DbfWriteForeign.h"
#include "support/ModalHelper.h"
#include "support/RecordsData.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

const QString Number = u"2021000017"_s;
const QString Region = u"."_s;

// A text of `bytes` GBK bytes: Chinese characters, an odd byte as a letter.
QString chineseOfBytes(int bytes, char16_t first = u'甲')
{
    QString text;
    for (int i = 0; i + 2 <= bytes; i += 2)
        text += QChar(char16_t(first + (i / 2) % 30));
    if (bytes % 2)
        text += u'Z';
    return text;
}

QJsonObject keyed(QJsonObject row)
{
    row[u"ITEM_4"_s] = Number;
    row[u"ITEM_DQDM"_s] = Region;
    return row;
}

// A unit's profile, as page 4 shows the first completing unit and the unit
// page the registering unit: an enterprise.
void putUnitProfile(QJsonObject &r)
{
    r[u"ITEM_9"_s] = chineseOfBytes(140, u'癸');
    r[u"ITEM_37"_s] = chineseOfBytes(100, u'甲');
    r[u"ITEM_38"_s] = u"100080"_s;
    r[u"ITEM_62"_s] = u"3"_s;
    r[u"ITEM_41_3"_s] = u"01"_s;
    r[u"ITEM_163"_s] = u"1"_s;
    r[u"ITEM_64"_s] = u"11"_s;
    r[u"ITEM_41"_s] = chineseOfBytes(20, u'乙');
    r[u"ITEM_41_2"_s] = u"010-62345678转8888"_s;
    r[u"ITEM_39"_s] = u"010-62345678"_s;
    r[u"ITEM_40"_s] = u"010-62345679"_s;
    r[u"ITEM_60"_s] = u"http://www.example.cn/"_s + QString(70, u'x');
    r[u"ITEM_61"_s] = u"office@example.cn"_s;
    r[u"ITEM_420"_s] = chineseOfBytes(20, u'丙');
}

// The achievement: applied technology, every section filled, with the
// amounts, texts, codes and dates a user's older records hold.
QJsonObject achievement()
{
    QJsonObject r;
    r[u"ITEM_4"_s] = Number;
    r[u"ITEM_DQDM"_s] = Region;
    r[u"ITEM_CGLB"_s] = u"1"_s;
    r[u"NO"_s] = u"1"_s;  // the main list numbers its rows when it lists them
    r[u"ITEM_3"_s] = chineseOfBytes(140);
    // Page 1: a one-digit month in the period, key words, codes, memos.
    r[u"ITEM_8"_s] = u"2019.3   至2021.05"_s;
    r[u"ITEM_121"_s] = u"2021-06-30"_s;
    r[u"ITEM_1"_s] = u"1"_s;
    r[u"ITEM_14"_s] = u"合金;铸造;热处理"_s;
    r[u"ITEM_16"_s] = u"2"_s;
    r[u"ITEM_33"_s] = u"1"_s;
    r[u"ITEM_123"_s] = u"3"_s;
    r[u"ITEM_125_1"_s] = u"1"_s;
    r[u"ITEM_201"_s] = u"2"_s;
    r[u"ITEM_125"_s] = u"03;"_s;
    r[u"ITEM_2"_s] = u"8"_s;  // a level the list lacks
    r[u"ITEM_120"_s] = chineseOfBytes(20, u'乙');
    r[u"ITEM_128"_s] = chineseOfBytes(80, u'丙');
    r[u"ITEM_13"_s] = u"公报第一段。\n\t第二段，前面有一个制表符。"_s;
    r[u"ITEM_13_1"_s] = chineseOfBytes(600, u'丁') + u"\n末行"_s;
    // Page 2: patents ticked with counts that agree with the patents below,
    // decimals of every length, codes the lists lack.
    r[u"ITEM_51"_s] = u"1;3;9;"_s;
    r[u"ITEM_51_1"_s] = u"3"_s;
    r[u"PATENT_TY"_s] = u"1;3;"_s;
    r[u"ITEM_51_2"_s] = 1;
    r[u"ITEM_51_3"_s] = 1;
    r[u"ITEM_52"_s] = chineseOfBytes(80, u'戊');
    r[u"ITEM_53"_s] = u"2019SR123456"_s;
    r[u"ITEM_32"_s] = u"1"_s;
    r[u"ITEM_161"_s] = u"4;5;"_s;
    r[u"ITEM_45"_s] = 1234567;
    r[u"ITEM_150"_s] = 1234.5;
    r[u"ITEM_162"_s] = 0.123456;
    r[u"ITEM_151_1"_s] = 12345.67;
    r[u"ITEM_152_1"_s] = 987654.321;
    r[u"ITEM_153"_s] = 1234567890.123456;
    r[u"ITEM_154"_s] = 0.5;
    r[u"ITEM_46"_s] = u"9"_s;
    r[u"ITEM_47"_s] = u"2"_s;
    // Page 3: a stored total that disagrees with its parts and is longer
    // than the form's seven places.
    r[u"ITEM_126"_s] = u"02;"_s;
    r[u"ITEM_127"_s] = chineseOfBytes(30, u'己');
    r[u"ITEM_127_1"_s] = chineseOfBytes(140, u'庚');
    r[u"ITEM_141"_s] = 12345.67;
    r[u"ITEM_148"_s] = 0.123456;
    r[u"ITEM_142_1"_s] = 1234.5;
    r[u"ITEM_142_2"_s] = 3.25;
    r[u"ITEM_142_3"_s] = 7;
    r[u"ITEM_142"_s] = 1244.75;
    r[u"ITEM_143"_s] = 99999999.999999;
    r[u"ITEM_144"_s] = 1;
    r[u"ITEM_243"_s] = 20.000001;
    r[u"ITEM_244"_s] = 0;
    r[u"ITEM_145"_s] = 5.5;
    r[u"ITEM_149"_s] = 100013594.1;
    r[u"ITEM_21"_s] = u"2"_s;
    r[u"ITEM_130"_s] = chineseOfBytes(80, u'辛');
    r[u"ITEM_34"_s] = u"2008.05.17"_s;
    r[u"ITEM_22"_s] = chineseOfBytes(30, u'壬');
    // Page 4: the first completing unit, an enterprise, with an affiliation
    // code the list lacks.
    putUnitProfile(r);
    r[u"ITEM_63"_s] = u"999"_s;
    // Page 9: an evaluation date before the picker's first day.
    r[u"ITEM_301"_s] = chineseOfBytes(80, u'子');
    r[u"ITEM_302"_s] = u"1949.12.31"_s;
    r[u"ITEM_13_2"_s] = chineseOfBytes(900, u'丑');
    r[u"ITEM_13_3"_s] = u"目录\n\n"_s;
    r[u"ITEM_133"_s] = u"测试报告"_s;
    r[u"ITEM_303"_s] = u"   评价意见，前有空格"_s;
    return r;
}

// Births of persons and leaders: before and after the years the dialogs
// take, and one with a one-digit month.
const QStringList Births = {u"1890.05"_s, u"1975.3"_s, u"2099.12"_s};

QJsonArray persons()
{
    QJsonArray rows;
    for (int i = 0; i < Births.size(); ++i) {
        QJsonObject p;
        p[u"ITEM_187"_s] = i + 1;
        p[u"ITEM_180"_s] = chineseOfBytes(20, char16_t(u'张' + i));
        p[u"ITEM_181"_s] = u"1"_s;
        p[u"ITEM_182"_s] = Births[i];
        p[u"ITEM_183"_s] = i == 2 ? u"7"_s : u"2"_s;  // a title the list lacks
        p[u"ITEM_184"_s] = u"3"_s;
        p[u"ITEM_188"_s] = i == 1 ? u"5"_s : u"0"_s;
        p[u"ITEM_185"_s] = chineseOfBytes(80, u'寅');
        p[u"ITEM_186"_s] = chineseOfBytes(160, u'卯');
        rows.append(keyed(p));
    }
    return rows;
}

QJsonArray committee()
{
    QJsonArray rows;
    const QStringList roles = {u"主任委员"_s, u"副主任委员"_s, u"委员"_s};
    for (int i = 0; i < roles.size(); ++i) {
        QJsonObject m;
        m[u"ITEM_190"_s] = i + 1;
        m[u"ITEM_191"_s] = roles[i];
        m[u"ITEM_192"_s] = chineseOfBytes(20, char16_t(u'李' + i));
        m[u"ITEM_193"_s] = u"0"_s;
        m[u"ITEM_194"_s] = QString::number(i + 1);
        m[u"ITEM_195"_s] = chineseOfBytes(80, u'辰');
        m[u"ITEM_196"_s] = chineseOfBytes(30, u'巳');
        m[u"ITEM_197"_s] = chineseOfBytes(30, u'午');
        m[u"ITEM_198"_s] = i == 2 ? u"7"_s : u"3"_s;
        m[u"ITEM_199"_s] = u"不由本页写"_s;
        rows.append(keyed(m));
    }
    return rows;
}

QJsonArray patents()
{
    QJsonArray rows;
    const QList<QPair<QString, QString>> kinds = {{u"1"_s, u"1"_s}, {u"2"_s, u"3"_s}};
    for (int i = 0; i < kinds.size(); ++i) {
        QJsonObject z;
        z[u"ITEM_NO"_s] = i + 1;
        z[u"PATENT_NO"_s] = u"ZL20191012345.%1"_s.arg(i);
        z[u"PATENT_NAM"_s] = chineseOfBytes(140, u'未');
        z[u"PATENT_ST"_s] = kinds[i].first;
        z[u"PATENT_TY"_s] = kinds[i].second;
        rows.append(keyed(z));
    }
    return rows;
}

QJsonArray units()
{
    QJsonArray rows;
    for (int i = 0; i < 2; ++i) {
        QJsonObject u;
        u[u"ITEM_176"_s] = i + 1;
        u[u"ITEM_170"_s] = chineseOfBytes(80, u'申');
        u[u"ITEM_171"_s] = chineseOfBytes(80, u'酉');
        u[u"ITEM_172"_s] = u"100080-1234"_s;  // longer than the six digits typed
        u[u"ITEM_173"_s] = chineseOfBytes(20, u'戌');
        u[u"ITEM_174"_s] = u"010-12345678"_s;
        u[u"ITEM_175"_s] = chineseOfBytes(20, u'亥');
        rows.append(keyed(u));
    }
    return rows;
}

const QString UnitCode = u"9990001000"_s;

// The registering unit as an older program left it: an enterprise with an
// ownership and a province the lists lack, code lists with unknown codes,
// without their closing ";" and with more entries than the page shows,
// memos with TABs and bare line feeds. Its code, level and end level are
// held as the unit page writes them on every save; the chief-expert mark,
// which the page writes with three leading blanks, the other writer keeps
// without them.
QJsonObject registeringUnit()
{
    QJsonObject u;
    putUnitProfile(u);
    u[u"unitcode"_s] = UnitCode;
    u[u"upunitcode"_s] = QString();
    u[u"unitlevel"_s] = u"1"_s;
    u[u"endlevel"_s] = 1;
    u[u"chiefexper"_s] = u"9999999999"_s;
    u[u"ITEM_9"_s] = chineseOfBytes(140, u'天');
    u[u"ITEM_39"_s] = u"010-62345678转8888，010-623456"_s;
    u[u"ITEM_60"_s] = u"http://www.example.cn/"_s + QString(78, u'x');
    u[u"ITEM_61"_s] = QString(68, u'o') + u"@example.cn"_s;
    u[u"ITEM_41_3"_s] = u"99"_s;
    u[u"ITEM_64"_s] = u"999"_s;
    QString eleven;
    for (int i = 1; i <= 9; ++i)
        eleven += u"0%1 ;"_s.arg(i);
    u[u"ITEM_124_1"_s] = eleven + u"999999 ;10 ;"_s;
    u[u"ITEM_124_2"_s] = u"0101 ;0999;0102"_s;
    u[u"ITEM_15"_s] = u"110;11010"_s;
    u[u"ITEM_15_1"_s] = u"99999 ;"_s;
    u[u"unitintrod"_s] = chineseOfBytes(600, u'丁') + u"\n\t第二段，前面有一个制表符。"_s;
    u[u"advantage"_s] = u"优势\t一\n优势二"_s;
    u[u"studydirec"_s] = chineseOfBytes(2000, u'戊');
    return u;
}

// Its second-level units, with the fields the units window does not show.
QJsonArray secondLevelUnits()
{
    QJsonArray rows;
    for (int i = 1; i <= 2; ++i) {
        QJsonObject u = registeringUnit();
        u[u"unitcode"_s] = u"999000100%1"_s.arg(i);
        u[u"upunitcode"_s] = UnitCode;
        u[u"unitlevel"_s] = u"2"_s;
        u[u"endlevel"_s] = 0;
        u[u"chiefexper"_s] = u"不由本页写"_s;
        u[u"ITEM_9"_s] = chineseOfBytes(140, char16_t(u'东' + i));
        u[u"ITEM_38"_s] = u"1000"_s;
        u[u"ITEM_124_1"_s] = u"01 ;999999"_s;
        u[u"ITEM_15"_s] = u"110 ;99999 ;110 ;110 ;110 ;110 ;110 ;110 ;110 ;110 ;110 ;"_s;
        rows.append(u);
    }
    return rows;
}

// The discipline leaders, with the births above and a research field the
// list lacks.
QJsonArray leaders()
{
    QJsonArray rows;
    for (int i = 0; i < Births.size(); ++i) {
        QJsonObject l;
        l[u"unitcode"_s] = UnitCode;
        l[u"ITEM_187"_s] = QString::number(i + 1);
        l[u"ITEM_180"_s] = chineseOfBytes(20, char16_t(u'赵' + i));
        l[u"ITEM_181"_s] = i == 1 ? u"0"_s : u"1"_s;
        l[u"ITEM_182"_s] = Births[i];
        l[u"ITEM_186"_s] = chineseOfBytes(160, u'午');
        l[u"ITEM_124_1"_s] = i == 2 ? u"99"_s : u"0%1"_s.arg(i + 1);
        rows.append(l);
    }
    return rows;
}

// What a save derives every time, whatever the page shows: page 1 names the
// registering unit as the recommender of an applied-technology record; the
// unit page writes the registering unit's chief-expert mark. The
// derived fields that the fixture holds as the pages derive them (page 2's
// patent counts, status and types; the serials 1..N of the lists; the
// committee's ranks) are compared like every other field.
const QStringList DerivedOnEverySave = {u"kjcg.DBF row 0 outcomeb"_s,
                                        u"unit.dbf row 0 chiefexper"_s};

const QStringList Tables = {u"kjcg.DBF"_s, u"cgwcr.DBF"_s, u"jdwyhmd.DBF"_s, u"zlqk.dbf"_s,
                            u"cgwcdw.DBF"_s, u"unit.dbf"_s, u"unitexpert.dbf"_s};

} // namespace

class TestUntouched : public QObject
{
    Q_OBJECT

    DataFixture m_shipped;
    QTemporaryDir m_dir;
    BoxLog m_log;

    QString dataPath() const { return m_dir.filePath(u"data"_s); }

    QMap<QString, QList<QJsonObject>> readAll()
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

    // Saves the page through its own "存储", then leaves it with "退出".
    static void saveAndLeave(QWidget *modal)
    {
        auto *page = qobject_cast<SectionPage *>(modal);
        QVERIFY2(page, qPrintable(modal->objectName()));
        page->btnSave01->click();
        page->quit01->click();
    }

    // Each row of the list modified and stored untouched, then the list left.
    static void storeEveryRow(ChildListWindow *list)
    {
        QVERIFY(list);
        const int rows = list->rows()->recordCount();
        QVERIFY(rows > 0);
        for (int i = 0; i < rows; ++i) {
            list->rows()->moveTo(i);
            ModalHelper helper([](QWidget *modal) {
                auto *dialog = qobject_cast<ChildListDialog *>(modal);
                QVERIFY(dialog && dialog->isUnchanged());
                QVERIFY(dialog->Button1Click());
            });
            list->modifyButton->click();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
        }
        list->quitButton->click();
    }

    // Each second-level unit chosen in the list and stored untouched, then
    // the window left.
    static void storeEveryUnit(QWidget *modal)
    {
        auto *units = qobject_cast<TFpage10 *>(modal);
        QVERIFY(units);
        const int rows = units->DBGrid1->model()->rowCount();
        QCOMPARE(rows, 2);
        for (int i = 0; i < rows; ++i) {
            units->DBGrid1->setCurrentIndex(units->DBGrid1->model()->index(i, 0));
            QCOMPARE(units->edt_unit->text(), u"999000100%1"_s.arg(i + 1));
            QVERIFY(units->isUnchanged());
            QVERIFY(units->btnSave01Click());
        }
        units->quit01->click();
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

private slots:
    void initTestCase()
    {
        m_shipped.buildOnce();
        QVERIFY(copyFolder(m_shipped.shippedPath(), dataPath()));
        QCOMPARE(appendWithPythonDbf(dataPath(), u"unit.dbf"_s, {registeringUnit()}), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"unit.dbf"_s, secondLevelUnits()), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"unitexpert.dbf"_s, leaders()), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"kjcg.DBF"_s, {achievement()}), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"cgwcr.DBF"_s, persons()), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"jdwyhmd.DBF"_s, committee()), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"zlqk.dbf"_s, patents()), QString());
        QCOMPARE(appendWithPythonDbf(dataPath(), u"cgwcdw.DBF"_s, units()), QString());
    }

    void everyPageSavedUntouchedKeepsEveryField()
    {
        const auto before = readAll();
        QCOMPARE(before.value(u"kjcg.DBF"_s).size(), 1);
        QCOMPARE(before.value(u"unit.dbf"_s).size(), 3);
        QCOMPARE(before.value(u"unitexpert.dbf"_s).size(), 3);
        {
            StartUp::Windows windows(dataPath());
            TMainForm *main = windows.mainForm();
            main->prepareFilters();
            main->MarkIncompletePages();
            main->CheckPagesDone();
            main->ComboBox1->setCurrentIndex(0);
            main->ComboBox1Change();
            QCOMPARE(windows.context().recordHost().currentRecord().asString(u"item_4"_s), Number);
            m_log.clear();

            for (QAbstractButton *button : {static_cast<QAbstractButton *>(main->sectionButton(u"btn_page01"_s)),
                                            static_cast<QAbstractButton *>(main->sectionButton(u"btn_page03"_s)),
                                            static_cast<QAbstractButton *>(main->sectionButton(u"btn_page04"_s)),
                                            static_cast<QAbstractButton *>(main->sectionButton(u"btn_page09"_s))})
                QVERIFY(through(button, saveAndLeave));
            // Page 2 with its patents list.
            QVERIFY(through(main->sectionButton(u"btn_page02"_s), [this](QWidget *modal) {
                auto *page2 = qobject_cast<TFpage2 *>(modal);
                QVERIFY(through(page2->Button1, [](QWidget *list) {
                    storeEveryRow(qobject_cast<ChildListWindow *>(list));
                }));
                saveAndLeave(modal);
            }));
            for (QAbstractButton *button : {static_cast<QAbstractButton *>(main->sectionButton(u"btn_page05"_s)),
                                            static_cast<QAbstractButton *>(main->sectionButton(u"btn_page07"_s)),
                                            static_cast<QAbstractButton *>(main->sectionButton(u"btn_page08"_s))})
                QVERIFY(through(button, [](QWidget *list) {
                    storeEveryRow(qobject_cast<ChildListWindow *>(list));
                }));
            // The unit page with its leaders and second-level units.
            QVERIFY(through(main->Button2, [this](QWidget *modal) {
                auto *page = qobject_cast<TFpage4a *>(modal);
                QVERIFY(page && page->IsUnitPageUnchanged());
                QVERIFY(through(page->BitBtndtr, [](QWidget *list) {
                    storeEveryRow(qobject_cast<ChildListWindow *>(list));
                }));
                QVERIFY(through(page->Button5, [](QWidget *modal) { storeEveryUnit(modal); }));
                page->btnSave01->click();
                page->quit01->click();
            }));
        }
        // No page asked, every save went through (pages 1 to 4 and 9, two
        // patents, two units, three members, three persons; the unit page,
        // three leaders, two second-level units), and what was reported on
        // loading names the stored texts.
        const QStringList texts = m_log.texts();
        QCOMPARE(texts.count(u"存储成功！"_s), 21);
        for (const QString &text : texts)
            QVERIFY2(text == u"存储成功！"_s || text.contains(u"1949.12.31"_s), qPrintable(text));

        const auto after = readAll();
        for (const QString &table : Tables) {
            const QList<QJsonObject> was = before.value(table);
            const QList<QJsonObject> is = after.value(table);
            QCOMPARE(is.size(), was.size());
            for (int row = 0; row < was.size(); ++row) {
                for (const QString &field : was[row].keys()) {
                    const QString where = table + u" row "_s + QString::number(row) + u" "_s + field;
                    if (DerivedOnEverySave.contains(where))
                        continue;
                    QVERIFY2(is[row].value(field) == was[row].value(field),
                             qPrintable(where + u": "_s + QJsonDocument(QJsonArray{was[row].value(field)}).toJson(QJsonDocument::Compact)
                                        + u" became "_s + QJsonDocument(QJsonArray{is[row].value(field)}).toJson(QJsonDocument::Compact)));
                }
            }
        }
    }
};

QTEST_MAIN(TestUntouched)
#include "tst_untouched.moc"
