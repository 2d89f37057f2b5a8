// The discipline leaders: the list window and its add/modify dialog, built
// on the child-list base; dense serials after every change, the dialog's
// checks and its leave question, and the rows read by another dBase reader.
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/forms/AppContext.h"
#include "records/forms/ChildList.h"
#include "records/forms/EntryRoutines.h"
#include "records/unit/Finto11Unit.h"
#include "records/unit/Unitpage11.h"
#include "records/unit/Unitpage4a.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"
#include "support/ModalHelper.h"
#include "support/RecordsData.h"
#include "support/WindowManagerClose.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString Stored = Messages::Texts::stored();

struct Leader
{
    QString name = QString();
    QString sex = u"0"_s;
    QString year = u"1965"_s;
    QString month = u"05"_s;
    QString note = QString();
    QString field = u"01"_s;
};

// A leaders list whose next renumbering fails the way a disk error does,
// after the row itself was written.
class RenumberFailingList : public TFpage11
{
public:
    bool failNext = false;

protected:
    void reloadRows() override
    {
        TFpage11::reloadRows();
        if (std::exchange(failNext, false))
            throw DbError(u"无法写入表文件“unitexpert.dbf”"_s);
    }
};

} // namespace

class TestLeaders : public QObject
{
    Q_OBJECT

    DataFixture f;
    BoxLog log;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TFpage11> m_list;
    std::unique_ptr<TFinto11> m_dialog;

    Table &leaders() { return *f.dm()->Tblexpert; }
    TFinto11 &dialog() { return *m_dialog; }

    void openAdd()
    {
        dialog().setWindowTitle(ChildList::addCaption(TFpage11::listTitle()));
        dialog().show();
    }

    void openModify(int row)
    {
        leaders().moveTo(row);
        dialog().setWindowTitle(ChildList::modifyCaption(TFpage11::listTitle()));
        dialog().show();
    }

    void enter(const Leader &l)
    {
        dialog().edtry_180->setText(l.name);
        SelectComboByCode(l.sex, dialog().cbry_181);
        dialog().Edt_both_1->setText(l.year);
        dialog().edt_both_2->setText(l.month);
        dialog().edtry_186->setText(l.note);
        SelectComboByCode(l.field, dialog().cbry_124_1);
    }

    void addLeaders(const QStringList &names)
    {
        openAdd();
        for (const QString &name : names) {
            enter({name});
            QVERIFY(dialog().Button1Click());
        }
        dialog().hide();
        log.boxes.clear();
    }

    QStringList column(const QString &field)
    {
        QStringList values;
        for (int row = 0; row < leaders().recordCount(); ++row)
            values << leaders().textAt(row, leaders().fieldIndex(field));
        return values;
    }

    static QStringList serials(int n)
    {
        QStringList s;
        for (int i = 1; i <= n; ++i)
            s << QString::number(i);
        return s;
    }

private slots:
    void initTestCase() { f.buildOnce(); }

    void init()
    {
        log.clear();
        QVERIFY(f.start());
        leaders().close();
        leaders().setFilter(u"unitcode='9990001000'"_s);
        leaders().setFiltered(true);
        leaders().open();
        m_context = std::make_unique<AppContext>(*f.dm());
        m_list = std::make_unique<TFpage11>();
        m_dialog = std::make_unique<TFinto11>();
        m_context->addWindow(m_list.get());
        m_context->addWindow(m_dialog.get());
        m_dialog->wire(*m_context);
        m_list->wire(*m_context);
    }

    void cleanup()
    {
        m_dialog.reset();
        m_list.reset();
        m_context.reset();
        f.stop();
    }

    void theCaptionChoosesTheMode()
    {
        const QString list = TFpage11::listTitle();
        QCOMPARE(ChildList::addCaption(list), u"新增－－【学科带头人名单】"_s);
        QCOMPARE(ChildList::modifyCaption(list), u"修改－－【学科带头人名单】"_s);

        // Another caption stores nothing.
        dialog().setWindowTitle(u"Finto11"_s);
        dialog().show();
        enter({u"张三"_s});
        dialog().Button1Click();
        QVERIFY(leaders().isEmpty());
        QVERIFY(log.boxes.isEmpty());
        dialog().hide();

        // "修改" on an empty list opens the add mode.
        ModalHelper helper([](QWidget *modal) { ModalHelper::click(modal, u"退出"_s); });
        m_list->modifyClick();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), ChildList::addCaption(list));
    }

    void addingStaysOpenForTheNextLeader()
    {
        m_list->show();
        QVERIFY(!m_list->deleteButton->isEnabled() && !m_list->modifyButton->isEnabled());
        openAdd();
        enter({u"  张三  "_s, u"1"_s, u"1965"_s, u"3"_s, u"博士生导师"_s, u"05"_s});
        QVERIFY(dialog().Button1Click());
        QCOMPARE(log.texts(), QStringList{Stored});
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialog().edtry_180->text(), QString());
        QCOMPARE(dialog().edtry_186->text(), QString());
        QCOMPARE(dialog().Edt_both_1->text(), u"1965"_s);
        QCOMPARE(CodeOfItem(dialog().cbry_124_1->currentText()), u"05"_s);
        QVERIFY(m_list->deleteButton->isEnabled() && m_list->modifyButton->isEnabled());

        QCOMPARE(f.storedRow(
                     "unitexpert.dbf",
                     {"item_180", "item_181", "item_182", "item_186", "item_124_1", "unitcode", "item_187"}),
                 QStringList({"张三", "1", "1965.03", "博士生导师", "05", "9990001000", "1"}));

        enter({u"李四"_s});
        QVERIFY(dialog().Button1Click());
        QCOMPARE(column(u"item_187"_s), serials(2));
        QCOMPARE(leaders().recNo(), 1); // the new leader is current

        // A list opened again with rows offers "删除" and "修改".
        m_list->hide();
        m_list->setRowCommandsEnabled(false);
        m_list->show();
        QVERIFY(m_list->deleteButton->isEnabled() && m_list->modifyButton->isEnabled());
        m_list->hide();
    }

    void serialsStayDenseAfterEveryChange()
    {
        addLeaders({u"甲"_s, u"乙"_s, u"丙"_s});
        QCOMPARE(column(u"item_187"_s), serials(3));

        openModify(1);
        QCOMPARE(dialog().edtry_180->text(), u"乙"_s);
        QCOMPARE(dialog().edt_both_2->text(), u"05"_s);
        dialog().edtry_180->setText(u" 乙改"_s);
        QVERIFY(dialog().Button1Click());
        QVERIFY(!dialog().isVisible());
        QCOMPARE(column(u"item_180"_s), (QStringList{u"甲"_s, u" 乙改"_s, u"丙"_s}));
        QCOMPARE(column(u"item_187"_s), serials(3));
        QCOMPARE(leaders().recNo(), 1);

        log.answer = QMessageBox::No;
        leaders().moveTo(0);
        m_list->deleteClick();
        QCOMPARE(leaders().recordCount(), 3);
        QCOMPARE(log.boxes.last().text, u"是否删除该项目？!"_s);
        QCOMPARE(log.boxes.last().caption, u"提示信息"_s);

        log.answer = QMessageBox::Yes;
        m_list->deleteClick();
        QCOMPARE(column(u"item_180"_s), (QStringList{u" 乙改"_s, u"丙"_s}));
        QCOMPARE(column(u"item_187"_s), serials(2));
        QCOMPARE(leaders().asString(u"item_180"_s), u" 乙改"_s);

        leaders().moveTo(1);
        m_list->deleteClick();
        QCOMPARE(column(u"item_187"_s), serials(1));
        m_list->deleteClick();
        QVERIFY(leaders().isEmpty());
        QVERIFY(!m_list->deleteButton->isEnabled() && !m_list->modifyButton->isEnabled());
    }

    // The row is stored before the list is renumbered: a renumbering that
    // fails is shown, and the dialog goes on as after any store, so that
    // pressing "存储" again cannot append the same leader twice.
    void aFailedRenumberingStillEndsTheStore()
    {
        RenumberFailingList list;
        list.wire(*m_context);
        list.setDialog(m_dialog.get());
        const QString failure = u"无法写入表文件“unitexpert.dbf”"_s;

        openAdd();
        enter({u"张三"_s});
        list.failNext = true;
        QVERIFY(dialog().Button1Click());
        QCOMPARE(log.texts(), (QStringList{failure, Stored}));
        QCOMPARE(log.boxes.first().caption, u"提示"_s);
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialog().edtry_180->text(), QString());
        QCOMPARE(leaders().recordCount(), 1);
        QVERIFY(list.deleteButton->isEnabled() && list.modifyButton->isEnabled());

        log.boxes.clear();
        openModify(0);
        dialog().edtry_180->setText(u"张三改"_s);
        list.failNext = true;
        QVERIFY(dialog().Button1Click());
        QCOMPARE(log.texts(), (QStringList{failure, Stored}));
        QVERIFY(!dialog().isVisible());
        QCOMPARE(column(u"item_180"_s), QStringList{u"张三改"_s});
    }

    void importedSerialsAreMadeDense()
    {
        for (const char *serial : {"3", "7", "9", "12"})
            appendRow(f.db(), u"unitexpert.dbf"_s,
                      {{u"unitcode"_s, u"9990001000"_s},
                       {u"item_187"_s, QString::fromLatin1(serial)},
                       {u"item_180"_s, u"导入"_s + QString::fromLatin1(serial)}});
        // Another unit's leader is not in this list and keeps its serial.
        appendRow(f.db(), u"unitexpert.dbf"_s, {{u"unitcode"_s, u"9990001010"_s}, {u"item_187"_s, u"5"_s}});
        leaders().refresh();
        leaders().moveTo(1);
        m_list->deleteClick();
        QCOMPARE(column(u"item_187"_s), serials(3));
        QCOMPARE(leaders().asString(u"item_180"_s), u"导入9"_s);
        QCOMPARE(f.stored("unitexpert.dbf", "item_187", 3), u"5"_s);
    }

    void theChecksAndTheirMessages()
    {
        openAdd();
        struct Case
        {
            Leader input;
            QString message;
        };
        const QList<Case> cases = {
            {{QString(), u"0"_s, u"1965"_s, u"05"_s, u"有说明"_s}, u"姓名不能为空！"_s},
            {{u"张三"_s, u"none"_s}, u"性别不能为空！"_s},
            {{u"张三"_s, u"0"_s, u"1899"_s}, u"年份不合法！"_s},
            {{u"张三"_s, u"0"_s, u"2051"_s}, u"年份不合法！"_s},
            {{u"张三"_s, u"0"_s, QString()}, u"年份不合法！"_s},
            {{u"张三"_s, u"0"_s, u"19a5"_s}, u"年份不合法！"_s},
            {{u"张三"_s, u"0"_s, u"1965"_s, u"13"_s}, u"月份不合法"_s},
            {{u"张三"_s, u"0"_s, u"1965"_s, QString()}, u"月份不合法"_s},
            {{u"张三"_s, u"0"_s, u"1965"_s, u"x"_s}, u"月份不合法"_s},
        };
        for (const Case &c : cases) {
            log.boxes.clear();
            enter(c.input);
            if (c.input.sex == QLatin1String("none"))
                dialog().cbry_181->setCurrentIndex(-1);
            QVERIFY(!dialog().Button1Click());
            QCOMPARE(log.texts(), QStringList{c.message});
            QCOMPARE(log.boxes.first().caption, u"Dravik"_s);
            QVERIFY(dialog().isVisible());
        }
        QVERIFY(leaders().isEmpty());

        // Name and note both blank: the dialog closes and stores nothing.
        log.boxes.clear();
        enter({u"  "_s});
        QVERIFY(dialog().Button1Click());
        QVERIFY(!dialog().isVisible());
        QVERIFY(log.boxes.isEmpty() && leaders().isEmpty());

        // The blank sex item is a choice: the leader is stored without a sex.
        openAdd();
        enter({u"李四"_s});
        dialog().cbry_181->setCurrentIndex(dialog().cbry_181->findText(u" "_s));
        QCOMPARE(dialog().cbry_181->currentText(), u" "_s);
        QVERIFY(dialog().Button1Click());
        QCOMPARE(log.texts(), QStringList{Stored});
        QCOMPARE(column(u"item_180"_s), QStringList{u"李四"_s});
        QCOMPARE(column(u"item_181"_s), QStringList{QString()});
    }

    // Neither window has a close box; Escape and a close sent anyway leave
    // them as "退出" does.
    void leftByEscapeAndTheWindowManager()
    {
        QVERIFY(!(dialog().windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(m_list->windowFlags() & Qt::WindowCloseButtonHint));
        openAdd();
        QTest::keyClick(&dialog(), Qt::Key_Escape);
        QVERIFY(!dialog().isVisible());
        openAdd();
        enter({u"张三"_s});
        log.answer = QMessageBox::No;
        closeFromWindowManager(&dialog());
        QVERIFY(!dialog().isVisible());
        QCOMPARE(log.texts(), QStringList{u"记录已更改，是否保存后退出？"_s});
        QVERIFY(leaders().isEmpty());
        m_list->show();
        closeFromWindowManager(m_list.get());
        QVERIFY(!m_list->isVisible());
    }

    void leavingTheBirthEdits()
    {
        openAdd();
        const QString badYear = u"非法年份"_s, badMonth = u"不是合法时间!"_s;
        const struct
        {
            QLineEdit *edit;
            void (TFinto11::*exit)();
            QString typed, shown, warning;
        } exits[] = {
            {dialog().Edt_both_1, &TFinto11::Edt_both_1Exit, u"1899"_s, u"1899"_s, badYear},
            {dialog().Edt_both_1, &TFinto11::Edt_both_1Exit, {}, {}, badYear},
            {dialog().Edt_both_1, &TFinto11::Edt_both_1Exit, u"1970"_s, u"1970"_s, {}},
            {dialog().edt_both_2, &TFinto11::edt_both_2Exit, u"3"_s, u"03"_s, {}},
            {dialog().edt_both_2, &TFinto11::edt_both_2Exit, u"12"_s, u"12"_s, {}},
            {dialog().edt_both_2, &TFinto11::edt_both_2Exit, u"13"_s, u"13"_s, badMonth},
            {dialog().edt_both_2, &TFinto11::edt_both_2Exit, u"0"_s, u"00"_s, badMonth},
            {dialog().edt_both_2, &TFinto11::edt_both_2Exit, {}, {}, badMonth},
        };
        for (const auto &e : exits) {
            log.boxes.clear();
            e.edit->setText(e.typed);
            (dialog().*e.exit)();
            QCOMPARE(e.edit->text(), e.shown);
            QCOMPARE(log.last(), e.warning);
        }
        QCOMPARE(log.boxes.first().icon, QMessageBox::NoIcon);
    }

    void leavingAsksOnlyAfterAChange()
    {
        addLeaders({u"甲"_s});
        const auto leave = [&](QMessageBox::StandardButton answer) {
            log.boxes.clear();
            log.answer = answer;
            dialog().Button2Click();
            return log.texts();
        };
        const QString question = u"记录已更改，是否保存后退出？"_s;

        openModify(0);
        QCOMPARE(leave(QMessageBox::Yes), QStringList());
        QVERIFY(!dialog().isVisible());

        // Only the birth year changed: asked, and "No" stores nothing.
        openModify(0);
        dialog().Edt_both_1->setText(u"1970"_s);
        QCOMPARE(leave(QMessageBox::No), QStringList{question});
        QCOMPARE(log.boxes.first().caption, u"请注意！"_s);
        QVERIFY(!dialog().isVisible());
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), u"1965.05"_s);

        // Only the research field changed: asked, and "No" stores nothing;
        // chosen back, nothing to ask.
        openModify(0);
        const QString research = f.stored("unitexpert.dbf", "item_124_1");
        SelectComboByCode(u"11"_s, dialog().cbry_124_1);
        QCOMPARE(leave(QMessageBox::No), QStringList{question});
        QCOMPARE(f.stored("unitexpert.dbf", "item_124_1"), research);
        openModify(0);
        SelectComboByCode(u"11"_s, dialog().cbry_124_1);
        SelectComboByCode(research, dialog().cbry_124_1);
        QCOMPARE(leave(QMessageBox::Yes), QStringList());

        // "Yes" with an entry that fails its check keeps the dialog open.
        openModify(0);
        dialog().Edt_both_1->setText(u"1800"_s);
        QCOMPARE(leave(QMessageBox::Yes), (QStringList{question, u"年份不合法！"_s}));
        QVERIFY(dialog().isVisible());

        // The research field changed: asked, stored, closed.
        dialog().Edt_both_1->setText(u"1970"_s);
        SelectComboByCode(u"11"_s, dialog().cbry_124_1);
        QCOMPARE(leave(QMessageBox::Yes), (QStringList{question, Stored}));
        QVERIFY(!dialog().isVisible());
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), u"1970.05"_s);
        QCOMPARE(f.stored("unitexpert.dbf", "item_124_1"), u"11"_s);

        // An empty add dialog closes without a question.
        openAdd();
        QCOMPARE(leave(QMessageBox::Yes), QStringList());
        QVERIFY(!dialog().isVisible());
    }

    // A birth stored outside the years the dialog takes stays as stored
    // while the rest of the leader is changed; a birth the user enters is
    // checked.
    void aStoredBirthOutsideTheYearsIsKept()
    {
        addLeaders({u"甲"_s});
        leaders().first();
        leaders().edit();
        leaders().setString(u"item_182"_s, u"1890.5"_s);
        leaders().post();

        openModify(0);
        dialog().edtry_186->setText(u"说明改了"_s);
        QVERIFY(dialog().Button1Click());
        QCOMPARE(log.texts(), QStringList{Stored});
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), u"1890.5"_s);
        QCOMPARE(f.stored("unitexpert.dbf", "item_186"), u"说明改了"_s);

        openModify(0);
        dialog().edt_both_2->setText(u"06"_s);
        log.boxes.clear();
        QVERIFY(!dialog().Button1Click());
        QCOMPARE(log.texts(), QStringList{u"年份不合法！"_s});
        dialog().hide();
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), u"1890.5"_s);
    }

    // Another dBase reader sees what the unit page and the dialog wrote.
    void anotherReaderSeesTheRows()
    {
        TFpage4a page;
        page.wire(*m_context);
        page.LoadUnitPage();
        page.edt_9->setText(u"华北材料研究所"_s);
        page.Edt_37->setText(u"北京市海淀区学院路1号"_s);
        page.Edt_41->setText(u"科技处"_s);
        page.Memo3->setPlainText(u"第一行\n第二行"_s);
        page.findChild<QLineEdit *>(u"edt_124_2_1"_s)->setText(u"0101  微电子技术"_s);
        page.Button2Click();
        openAdd();
        enter({u"王建国"_s, u"0"_s, u"1962"_s, u"7"_s, u"长江学者，材料学"_s});
        QVERIFY(dialog().Button1Click());

        const QString script = QStringLiteral(R"(
import dbf, json, sys
out = {}
for name, fields in (('unit.dbf', ['unitcode', 'item_9', 'item_37', 'item_41', 'item_124_2',
                                   'chiefexper', 'unitintrod', 'endlevel']),
                     ('unitexpert.dbf', ['unitcode', 'item_187', 'item_180', 'item_181',
                                         'item_182', 'item_186'])):
    t = dbf.Table(sys.argv[1] + '/' + name)
    t.open(dbf.READ_ONLY)
    out[name] = [{f: (str(r[f]).rstrip() if isinstance(r[f], str) else r[f]) for f in fields}
                 for r in t]
    t.close()
print(json.dumps(out))
)");
        QProcess python;
        python.start(u"/usr/bin/python3"_s, {u"-c"_s, script, f.dataPath()});
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        const QJsonObject out = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        const QJsonObject unit = out.value(u"unit.dbf"_s).toArray().at(0).toObject();
        const QJsonObject leader = out.value(u"unitexpert.dbf"_s).toArray().at(0).toObject();
        const QList<std::tuple<QJsonObject, const char *, QString>> expected
            = {{unit, "unitcode", u"9990001000"_s},
               {unit, "item_9", u"华北材料研究所"_s},
               {unit, "item_37", u"北京市海淀区学院路1号"_s},
               {unit, "item_124_2", u"0101 ;"_s},
               {unit, "chiefexper", u"   9999999999"_s},
               {unit, "unitintrod", u"第一行\r\n第二行"_s},
               {leader, "unitcode", u"9990001000"_s},
               {leader, "item_187", u"1"_s},
               {leader, "item_180", u"王建国"_s},
               {leader, "item_181", u"0"_s},
               {leader, "item_182", u"1962.07"_s},
               {leader, "item_186", u"长江学者，材料学"_s}};
        for (const auto &[row, field, value] : expected)
            QCOMPARE(row.value(QLatin1String(field)).toString(), value);
        QCOMPARE(unit.value(u"endlevel"_s).toInt(), 1);
    }
};

QTEST_MAIN(TestLeaders)
#include "tst_leaders.moc"
