// Every entry page and dialog, filled as a user fills it: each caption is
// found by its text, the control beside it on the screen takes a value of
// its own, the window's save button is pressed, and another dBase reader
// must find each value in the field of that caption. Two controls bound to
// each other's fields fail it.
#include "records/pages/Finto7Unit.h"
#include "records/pages/Finto8Unit.h"
#include "records/pages/Unitpage7.h"
#include "records/unit/Finto11Unit.h"
#include "records/unit/Unitpage11.h"
#include "records/unit/dw_Unit.h"
#include "records/pages/Unitpage4.h"
#include "records/pages/Finto5Unit.h"
#include "records/pages/Unitpage5.h"
#include "records/pages/Unitpage8.h"
#include "records/unit/Unitpage10.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/GbkMemo.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/DateEntry.h"
#include "support/DbfReadBack.h"
#include "support/PagesFixture.h"

#include <QAbstractSpinBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

struct Caption
{
    QString caption;  // the label as the window shows it
    QString field;    // the field the caption names
    QString typed;    // what the user types beside it
    QString stored;   // what another reader finds in the field
};

QRect placeIn(QWidget *window, QWidget *w)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

QString withoutColon(QString text)
{
    text = text.trimmed();
    while (text.endsWith(u"："_s) || text.endsWith(u":"_s) || text.endsWith(u"*"_s))
        text.chop(1);
    return text.trimmed();
}

// The one shown label whose text is the caption.
QLabel *captionLabel(QWidget *window, const QString &caption)
{
    QLabel *found = nullptr;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->isVisibleTo(window) && withoutColon(label->text()) == caption) {
            if (found)
                return nullptr;  // two labels: the caption does not say which
            found = label;
        }
    }
    return found;
}

// What a user types into: edits (not those inside a list or date picker),
// date pickers, lists and memos.
bool isEntryControl(QWidget *w)
{
    if (qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w)
        || qobject_cast<QPlainTextEdit *>(w))
        return true;
    auto *edit = qobject_cast<QLineEdit *>(w);
    return edit && !qobject_cast<QAbstractSpinBox *>(edit->parentWidget())
           && !qobject_cast<QComboBox *>(edit->parentWidget());
}

// The control a user takes for the caption's: on the caption's row the
// nearest to its right, else the nearest below it.
QWidget *controlBeside(QWidget *window, QLabel *label)
{
    const QRect at = placeIn(window, label);
    QWidget *beside = nullptr;
    int besideGap = INT_MAX;
    QWidget *below = nullptr;
    int belowGap = INT_MAX;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || !isEntryControl(w))
            continue;
        const QRect r = placeIn(window, w);
        const bool sameRow = r.top() <= at.center().y() && at.center().y() <= r.bottom();
        if (sameRow && r.left() >= at.right() - 2 && r.left() - at.right() < besideGap) {
            beside = w;
            besideGap = r.left() - at.right();
        }
        const bool under = r.top() >= at.bottom() - 2 && r.left() <= at.right() && r.right() >= at.left();
        if (under && r.top() - at.bottom() < belowGap) {
            below = w;
            belowGap = r.top() - at.bottom();
        }
    }
    return beside ? beside : below;
}

// Keys carrying the text, as typing does (Chinese included); a tab moves
// on to the next control, as a value typed in two parts (a year, then its
// month) is entered.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        if (c == u'\t') {
            QTest::keyClick(w, Qt::Key_Tab);
            w = QApplication::focusWidget();
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// Clicks the control, empties it and types the value; a list takes the
// item that begins with it.
void typeInto(QWidget *control, const QString &value)
{
    if (auto *list = qobject_cast<QComboBox *>(control)) {
        for (int i = 0; i < list->count(); ++i) {
            if (list->itemText(i).startsWith(value)) {
                list->setCurrentIndex(i);
                emit list->activated(i);
                return;
            }
        }
        QFAIL(qPrintable(u"no item "_s + value));
    }
    // A date is clicked in its year and typed whole; anything else is
    // emptied first (Ctrl+A, then the keys replace it).
    QWidget *clicked = control;
    if (auto *date = qobject_cast<QAbstractSpinBox *>(control))
        clicked = date->findChild<QLineEdit *>();
    QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(4, clicked->height() / 2));
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus, "the click gave no control the focus");
    if (!qobject_cast<QDateTimeEdit *>(focus))
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    typeText(focus, value);
}

QAbstractButton *buttonCalled(QWidget *window, const QString &text)
{
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (b->isVisibleTo(window) && b->text().remove(u'&') == text)
            return b;
    }
    return nullptr;
}

// Fills the window caption by caption and presses its save button.
void fillAndSave(QWidget *window, const QList<Caption> &captions, const QString &save)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    for (const Caption &c : captions) {
        QLabel *label = captionLabel(window, c.caption);
        QVERIFY2(label, qPrintable(u"no single caption "_s + c.caption));
        QWidget *control = controlBeside(window, label);
        QVERIFY2(control, qPrintable(u"nothing beside "_s + c.caption));
        typeInto(control, c.typed);
    }
    QAbstractButton *button = buttonCalled(window, save);
    QVERIFY2(button, qPrintable(u"no button "_s + save));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;

    // A record that every page saves without a word.
    void openRecord(const FieldValues &more = {})
    {
        f.openOnRecord(u"2023000041"_s, u"1"_s, u"标题项目"_s,
                       FieldValues{{u"item_8"_s, u"2020.03   至2021.05"_s}, {u"item_126"_s, u"03;"_s},
                                   {u"item_41_1"_s, u"02"_s}, {u"item_21"_s, u"1"_s},
                                   {u"item_125"_s, u"23;"_s}, {u"item_62"_s, u"1"_s},
                                   {u"item_64"_s, u"31"_s}}
                           + more);
        m_log.clear();
    }

    template <class Window>
    void throughButton(QAbstractButton *opener, const QList<Caption> &captions, const QString &save,
                       const std::function<void(Window *)> &before = {},
                       const QStringList &said = {Messages::Texts::stored()})
    {
        QVERIFY(PagesFixture::throughButton<Window>(opener, [&](Window *w) {
            if (before)
                before(w);
            fillAndSave(w, captions, save);
            QCoreApplication::processEvents();
            w->hide();
        }));
        QCOMPARE(m_log.texts(), said);
    }

    // A row of the record added through its list's "新增" and the dialog
    // the list opens.
    template <class Dialog, class List>
    void throughListDialog(const QList<Caption> &captions, const QString &table)
    {
        openRecord();
        f.add(new Dialog(f.main()));
        auto *rows = f.add(new List(f.main()));
        rows->showRowsOf({u"2023000041"_s, u"."_s});
        throughButton<Dialog>(rows->addButton, captions, u"存储"_s);
        compareStored(table, captions);
    }

    void compareStored(const QString &table, const QList<Caption> &captions, int row = 0)
    {
        QStringList fields;
        for (const Caption &c : captions)
            fields << c.field;
        const DbfReadBack back = readWithPythonDbf(f.dataPath(), table, fields);
        QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
        QVERIFY(back.rows.size() > row);
        for (const Caption &c : captions) {
            const QString stored = back.rows.at(row).value(c.field).toVariant().toString();
            QVERIFY2(stored == c.stored, qPrintable(c.caption + u": "_s + c.field + u" holds \""_s + stored
                                                    + u"\", typed \""_s + c.typed + u"\""_s));
        }
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void cleanup() { f.stop(); }

    void page1()
    {
        const QList<Caption> captions = {
            {u"成果管理编号"_s, u"item_120"_s, u"GL-0120"_s, u"GL-0120"_s},
            {u"推荐单位"_s, u"item_128"_s, u"推荐单位甲"_s, u"推荐单位甲"_s},
            {u"登记日期"_s, u"item_121"_s, u"2024.01.31"_s, u"2024-01-31"_s},
        };
        openRecord();
        throughButton<TFpage1>(f.main()->sectionButton(u"btn_page01"_s), captions, u"储存"_s);
        compareStored(u"kjcg.DBF"_s, captions);
    }

    void page2()
    {
        const QList<Caption> captions = {
            {u"软件著作权名称"_s, u"item_52"_s, u"软件名称辛"_s, u"软件名称辛"_s},
            {u"软件著作权登记号"_s, u"item_53"_s, u"RZ-53"_s, u"RZ-53"_s},
            {u"应用状态"_s, u"item_32"_s, u"1"_s, u"1"_s},
            {u"已转让企业数（个）"_s, u"item_45"_s, u"45"_s, u"45"_s},
            {u"技术转让收入"_s, u"item_150"_s, u"150"_s, u"150"_s},
            {u"其中，知识产权技术转让收入"_s, u"item_162"_s, u"162"_s, u"162"_s},
            {u"净利润  （万元）"_s, u"item_151_1"_s, u"1511"_s, u"1511"_s},
            {u"实交税金（万元）"_s, u"item_152_1"_s, u"1521"_s, u"1521"_s},
            {u"出口创汇（万元）"_s, u"item_153"_s, u"153"_s, u"153"_s},
            {u"节约资金（万元）"_s, u"item_154"_s, u"154"_s, u"154"_s},
        };
        openRecord({{u"item_51"_s, u"3;"_s}, {u"item_161"_s, u"1;"_s}});
        throughButton<TFpage2>(f.main()->sectionButton(u"btn_page02"_s), captions, u"存储"_s);
        compareStored(u"kjcg.DBF"_s, captions);
    }

    void page3()
    {
        const QList<Caption> captions = {
            {u"课题立项编号"_s, u"item_127"_s, u"LX-127"_s, u"LX-127"_s},
            {u"课题立项名称"_s, u"item_127_1"_s, u"立项名称乙"_s, u"立项名称乙"_s},
            {u"国家投入"_s, u"item_141"_s, u"1"_s, u"1"_s},
            {u"部门投入"_s, u"item_148"_s, u"2"_s, u"2"_s},
            {u"省级投入"_s, u"item_142_1"_s, u"3"_s, u"3"_s},
            {u"地级投入"_s, u"item_142_2"_s, u"4"_s, u"4"_s},
            {u"县级投入"_s, u"item_142_3"_s, u"5"_s, u"5"_s},
            {u"基金投入"_s, u"item_143"_s, u"6"_s, u"6"_s},
            {u"自有资金"_s, u"item_144"_s, u"7"_s, u"7"_s},
            {u"银行贷款"_s, u"item_243"_s, u"8"_s, u"8"_s},
            {u"国外资金"_s, u"item_244"_s, u"9"_s, u"9"_s},
            {u"其他"_s, u"item_145"_s, u"10"_s, u"10"_s},
            {u"评价单位"_s, u"item_130"_s, u"评价单位丙"_s, u"评价单位丙"_s},
            {u"评价日期"_s, u"item_34"_s, u"2023.11.05"_s, u"2023.11.05"_s},
            {u"评价报告编号"_s, u"item_22"_s, u"BG-22"_s, u"BG-22"_s},
        };
        openRecord();
        throughButton<TFpage3>(f.main()->sectionButton(u"btn_page03"_s), captions, u"存储"_s);
        compareStored(u"kjcg.DBF"_s, captions);
    }

    void page4()
    {
        const QList<Caption> captions = {
            {u"单位名称"_s, u"item_9"_s, u"第一单位"_s, u"第一单位"_s},
            {u"单位法人代码"_s, u"item_420"_s, u"FR-420"_s, u"FR-420"_s},
            {u"通讯地址"_s, u"item_37"_s, u"通讯地址37号"_s, u"通讯地址37号"_s},
            {u"邮政编码"_s, u"item_38"_s, u"100038"_s, u"100038"_s},
            {u"电话（含区号）"_s, u"item_39"_s, u"010-39"_s, u"010-39"_s},
            {u"传真（含区号）"_s, u"item_40"_s, u"010-40"_s, u"010-40"_s},
            {u"单位网址"_s, u"item_60"_s, u"www.60.cn"_s, u"www.60.cn"_s},
            {u"联系人"_s, u"item_41"_s, u"联系人丁"_s, u"联系人丁"_s},
            {u"联系人电话"_s, u"item_41_2"_s, u"139-412"_s, u"139-412"_s},
            {u"电子信箱"_s, u"item_61"_s, u"a61@x.cn"_s, u"a61@x.cn"_s},
        };
        openRecord();
        f.add(new TFpage4(f.main()));
        throughButton<TFpage4>(f.main()->sectionButton(u"btn_page04"_s), captions, u"存储"_s);
        compareStored(u"kjcg.DBF"_s, captions);
    }

    void page9()
    {
        const QList<Caption> captions = {
            {u"证书号"_s, u"item_301"_s, u"ZS-301"_s, u"ZS-301"_s},
            {u"评价日期"_s, u"item_302"_s, u"2022.08.09"_s, u"2022.08.09"_s},
        };
        openRecord();
        throughButton<TFpage9>(f.main()->sectionButton(u"btn_page09"_s), captions, u"存储"_s);
        compareStored(u"kjcg.DBF"_s, captions);
    }

    void personDialog()
    {
        const QList<Caption> captions = {
            {u"姓名"_s, u"item_180"_s, u"姓名戊"_s, u"姓名戊"_s},
            {u"出生年月"_s, u"item_182"_s, u"1975.03"_s, u"1975.03"_s},
            {u"工作单位"_s, u"item_185"_s, u"工作单位己"_s, u"工作单位己"_s},
            {u"对成果创造性贡献"_s, u"item_186"_s, u"贡献庚"_s, u"贡献庚"_s},
        };
        throughListDialog<TFinto8, TFpage8>(captions, u"cgwcr.DBF"_s);
    }

    void unitPage()
    {
        const QList<Caption> captions = {
            {u"单位名称"_s, u"item_9"_s, u"本单位壬"_s, u"本单位壬"_s},
            {u"单位法人代码"_s, u"item_420"_s, u"FR-4200"_s, u"FR-4200"_s},
            {u"通讯地址"_s, u"item_37"_s, u"地址癸"_s, u"地址癸"_s},
            {u"邮政编码"_s, u"item_38"_s, u"100037"_s, u"100037"_s},
            {u"单位电话（含区号）"_s, u"item_39"_s, u"010-390"_s, u"010-390"_s},
            {u"单位传真（含区号）"_s, u"item_40"_s, u"010-400"_s, u"010-400"_s},
            {u"单位网址"_s, u"item_60"_s, u"www.600.cn"_s, u"www.600.cn"_s},
            {u"联系部门"_s, u"item_41"_s, u"科技处"_s, u"科技处"_s},
            {u"联系部门电话"_s, u"item_41_2"_s, u"010-412"_s, u"010-412"_s},
            {u"联系部门电子信箱"_s, u"item_61"_s, u"b61@x.cn"_s, u"b61@x.cn"_s},
        };
        f.open();
        f.add(new TFpage4a(f.main()));
        f.showList();
        m_log.clear();
        // The introduction has a window of its own; it is not a caption here.
        throughButton<TFpage4a>(f.main()->Button2, captions, u"存储"_s,
                                [](TFpage4a *page) { page->Memo3->setPlainText(u"单位简介。"_s); });
        compareStored(u"unit.dbf"_s, captions);
    }

    void secondLevelUnit()
    {
        const QList<Caption> captions = {
            {u"单位名称"_s, u"item_9"_s, u"二级单位子"_s, u"二级单位子"_s},
            {u"通讯地址"_s, u"item_37"_s, u"地址丑"_s, u"地址丑"_s},
            {u"邮政编码"_s, u"item_38"_s, u"100038"_s, u"100038"_s},
            {u"单位电话（含区号）"_s, u"item_39"_s, u"010-391"_s, u"010-391"_s},
            {u"单位传真（含区号）"_s, u"item_40"_s, u"010-401"_s, u"010-401"_s},
            {u"联系人"_s, u"item_41"_s, u"联系人寅"_s, u"联系人寅"_s},
            {u"电子信箱"_s, u"item_61"_s, u"c61@x.cn"_s, u"c61@x.cn"_s},
            {u"联系人电话"_s, u"item_41_2"_s, u"010-413"_s, u"010-413"_s},
        };
        f.open();
        auto *unitPage = f.add(new TFpage4a(f.main()));
        auto *units = f.add(new TFpage10(f.main()));
        unitPage->LoadUnitPage();
        m_log.clear();
        throughButton<TFpage10>(unitPage->Button5, captions, u"存储"_s,
                                [&](TFpage10 *) { QTest::mouseClick(units->Button2, Qt::LeftButton); });
        compareStored(u"unit.dbf"_s, captions, 1);
    }

    void cooperatingUnitDialog()
    {
        const QList<Caption> captions = {
            {u"单位名称"_s, u"item_170"_s, u"合作单位卯"_s, u"合作单位卯"_s},
            {u"通讯地址"_s, u"item_171"_s, u"地址辰"_s, u"地址辰"_s},
            {u"邮政编码"_s, u"item_172"_s, u"100172"_s, u"100172"_s},
            {u"联系人"_s, u"item_173"_s, u"联系人巳"_s, u"联系人巳"_s},
        };
        throughListDialog<TFinto5, TFpage5>(captions, u"cgwcdw.DBF"_s);
    }

    void patentDialog()
    {
        const QList<Caption> captions = {
            {u"专利号"_s, u"patent_no"_s, u"ZL2024100012"_s, u"ZL2024100012"_s},
            {u"专利名称"_s, u"patent_nam"_s, u"专利名称午"_s, u"专利名称午"_s},
            {u"专利类型"_s, u"patent_ty"_s, u"3"_s, u"3"_s},
            {u"专利状况"_s, u"patent_st"_s, u"2"_s, u"2"_s},
        };
        openRecord();
        auto *patents = f.window<TFpage6>();
        patents->showRowsOf({u"2023000041"_s, u"."_s});
        throughButton<TFinto6>(patents->addButton, captions, u"存储"_s);
        compareStored(u"zlqk.dbf"_s, captions);
    }

    void committeeDialog()
    {
        const QList<Caption> captions = {
            {u"评价委员会职务"_s, u"item_191"_s, u"副主任委员"_s, u"副主任委员"_s},
            {u"姓名"_s, u"item_192"_s, u"委员未"_s, u"委员未"_s},
            {u"性别"_s, u"item_193"_s, u"1"_s, u"1"_s},
            {u"职称"_s, u"item_198"_s, u"3"_s, u"3"_s},
            {u"所学专业"_s, u"item_196"_s, u"专业申"_s, u"专业申"_s},
            {u"从事专业"_s, u"item_197"_s, u"专业酉"_s, u"专业酉"_s},
            {u"工作单位"_s, u"item_195"_s, u"工作单位戌"_s, u"工作单位戌"_s},
        };
        throughListDialog<TFinto7, TFpage7>(captions, u"jdwyhmd.DBF"_s);
    }

    void leaderDialog()
    {
        const QList<Caption> captions = {
            {u"姓名"_s, u"item_180"_s, u"带头人亥"_s, u"带头人亥"_s},
            {u"性别"_s, u"item_181"_s, u"1"_s, u"1"_s},
            {u"出生年月"_s, u"item_182"_s, u"1968\t07"_s, u"1968.07"_s},
            {u"研究领域"_s, u"item_124_1"_s, u"05"_s, u"05"_s},
            {u"简要说明"_s, u"item_186"_s, u"说明甲子"_s, u"说明甲子"_s},
        };
        f.open();
        f.add(new TFinto11(f.main()));
        auto *leaders = f.add(new TFpage11(f.main()));
        leaders->showRowsOf({u"9990001000"_s});
        m_log.clear();
        throughButton<TFinto11>(leaders->addButton, captions, u"存储"_s);
        compareStored(u"unitexpert.dbf"_s, captions);
    }

    // Reached through page 4's button "设置单位基本情况".
    void ownUnitProfile()
    {
        const QList<Caption> captions = {
            {u"单位名称"_s, u"item_9"_s, u"本单位乙丑"_s, u"本单位乙丑"_s},
            {u"单位法人代码"_s, u"item_420"_s, u"FR-4201"_s, u"FR-4201"_s},
            {u"单位属性"_s, u"item_62"_s, u"3"_s, u"3"_s},
            {u"企业所有制属性"_s, u"item_41_3"_s, u"06"_s, u"06"_s},
            {u"单位所在省市"_s, u"item_64"_s, u"14"_s, u"14"_s},
            {u"隶属关系"_s, u"item_63"_s, u"130"_s, u"130"_s},
            {u"通讯地址"_s, u"item_37"_s, u"地址丙寅"_s, u"地址丙寅"_s},
            {u"邮政编码"_s, u"item_38"_s, u"100370"_s, u"100370"_s},
            {u"单位网址"_s, u"item_60"_s, u"www.601.cn"_s, u"www.601.cn"_s},
            {u"电话（含区号）"_s, u"item_39"_s, u"010-391"_s, u"010-391"_s},
            {u"传真（含区号）"_s, u"item_40"_s, u"010-401"_s, u"010-401"_s},
            {u"联系人"_s, u"item_41"_s, u"联系人丁卯"_s, u"联系人丁卯"_s},
            {u"联系人电话"_s, u"item_41_2"_s, u"139-4121"_s, u"139-4121"_s},
            {u"电子信箱"_s, u"item_61"_s, u"d61@x.cn"_s, u"d61@x.cn"_s},
        };
        openRecord();
        f.add(new Tdw_Form(f.main()));
        auto *page4 = f.add(new TFpage4(f.main()));
        throughButton<Tdw_Form>(page4->Button2, captions, u"存储"_s);
        compareStored(u"dwqk.dbf"_s, captions);
    }

    // A new record says nothing when stored; its number is the first of
    // the year typed.
    void newRecordDialog()
    {
        const QList<Caption> captions = {
            {u"请选择成果类型"_s, u"item_cglb"_s, u"软科学"_s, u"2"_s},
            {u"请选择年份"_s, u"item_4"_s, u"2024"_s, u"2024000001"_s},
            {u"成果管理编号"_s, u"item_120"_s, u"GL-0121"_s, u"GL-0121"_s},
            {u"成果名称"_s, u"item_3"_s, u"新成果乙"_s, u"新成果乙"_s},
            {u"成果第一完成单位名称"_s, u"item_9"_s, u"第一单位丙"_s, u"第一单位丙"_s},
        };
        f.open();
        f.showList();
        m_log.clear();
        throughButton<TFormNew>(f.main()->Button1, captions, u"存储"_s, {}, {});
        compareStored(u"kjcg.DBF"_s, captions);
    }
};

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
