// The discipline leaders: the list window and its add/modify dialog, built
// on the child-list base; dense serials after every change, the dialog's
// checks and its leave question, and the rows read by another dBase reader.
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "records/ChildList.h"
#include "records/EntryRoutines.h"
#include "records/Finto11Unit.h"
#include "records/Unitpage11.h"
#include "records/Unitpage4a.h"
#include "records/widgets/ByteLimitedEdit.h"
#include "records/widgets/GbkMemo.h"
#include "support/ModalHelper.h"
#include "support/UnitFixture.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString Stored = QStringLiteral("存储成功！");

struct Leader
{
    QString name = QString();
    QString sex = QStringLiteral("0");
    QString year = QStringLiteral("1965");
    QString month = QStringLiteral("05");
    QString note = QString();
    QString field = QStringLiteral("01");
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
            throw DbError(QStringLiteral("无法写入表文件“unitexpert.dbf”"));
    }
};

} // namespace

class TestLeaders : public QObject
{
    Q_OBJECT

    UnitFixture f;
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
        f.boxes.clear();
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
        QVERIFY(f.start());
        leaders().close();
        leaders().setFilter(QStringLiteral("unitcode='9990001000'"));
        leaders().setFiltered(true);
        leaders().open();
        m_list = std::make_unique<TFpage11>();
        m_dialog = std::make_unique<TFinto11>();
        m_list->setDialog(m_dialog.get());
    }

    void cleanup()
    {
        m_dialog.reset();
        m_list.reset();
        f.stop();
    }

    void theCaptionChoosesTheMode()
    {
        const QString list = TFpage11::listTitle();
        QCOMPARE(ChildList::addCaption(list), QStringLiteral("新增－－【学科带头人名单】"));
        QCOMPARE(ChildList::modifyCaption(list), QStringLiteral("修改－－【学科带头人名单】"));
        QCOMPARE(ChildList::modeOf(ChildList::addCaption(list), list), ChildList::Mode::Add);
        QCOMPARE(ChildList::modeOf(ChildList::modifyCaption(list), list), ChildList::Mode::Modify);
        QCOMPARE(ChildList::modeOf(ChildList::addCaption(QStringLiteral("专利情况")), list),
                 ChildList::Mode::Other);

        // Another caption stores nothing.
        dialog().setWindowTitle(QStringLiteral("Finto11"));
        dialog().show();
        enter({QStringLiteral("张三")});
        dialog().Button1Click();
        QVERIFY(leaders().isEmpty());
        QVERIFY(f.boxes.isEmpty());
        dialog().hide();

        // "修改" on an empty list opens the add mode.
        ModalHelper helper([](QWidget *modal) { ModalHelper::click(modal, QStringLiteral("退出")); });
        m_list->modifyClick();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), ChildList::addCaption(list));
    }

    void addingStaysOpenForTheNextLeader()
    {
        m_list->show();
        QVERIFY(!m_list->deleteButton->isEnabled() && !m_list->modifyButton->isEnabled());
        openAdd();
        enter({QStringLiteral("  张三  "), QStringLiteral("1"), QStringLiteral("1965"),
               QStringLiteral("3"), QStringLiteral("博士生导师"), QStringLiteral("05")});
        QVERIFY(dialog().Button1Click());
        QCOMPARE(f.boxTexts(), QStringList{Stored});
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialog().edtry_180->text(), QString());
        QCOMPARE(dialog().edtry_186->text(), QString());
        QCOMPARE(dialog().Edt_both_1->text(), QStringLiteral("1965"));
        QCOMPARE(CodeOfItem(dialog().cbry_124_1->currentText()), QStringLiteral("05"));
        QVERIFY(m_list->deleteButton->isEnabled() && m_list->modifyButton->isEnabled());

        QCOMPARE(f.stored("unitexpert.dbf", "item_180"), QStringLiteral("张三"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_181"), QStringLiteral("1"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), QStringLiteral("1965.03"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_186"), QStringLiteral("博士生导师"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_124_1"), QStringLiteral("05"));
        QCOMPARE(f.stored("unitexpert.dbf", "unitcode"), QStringLiteral("9990001000"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_187"), QStringLiteral("1"));

        enter({QStringLiteral("李四")});
        QVERIFY(dialog().Button1Click());
        QCOMPARE(column(QStringLiteral("item_187")), serials(2));
        QCOMPARE(leaders().recNo(), 1);  // the new leader is current

        // A list opened again with rows offers "删除" and "修改".
        m_list->hide();
        m_list->setRowCommandsEnabled(false);
        m_list->show();
        QVERIFY(m_list->deleteButton->isEnabled() && m_list->modifyButton->isEnabled());
        m_list->hide();
    }

    void serialsStayDenseAfterEveryChange()
    {
        addLeaders({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
        QCOMPARE(column(QStringLiteral("item_187")), serials(3));

        openModify(1);
        QCOMPARE(dialog().edtry_180->text(), QStringLiteral("乙"));
        QCOMPARE(dialog().edt_both_2->text(), QStringLiteral("05"));
        dialog().edtry_180->setText(QStringLiteral(" 乙改"));
        QVERIFY(dialog().Button1Click());
        QVERIFY(!dialog().isVisible());
        QCOMPARE(column(QStringLiteral("item_180")),
                 (QStringList{QStringLiteral("甲"), QStringLiteral(" 乙改"), QStringLiteral("丙")}));
        QCOMPARE(column(QStringLiteral("item_187")), serials(3));
        QCOMPARE(leaders().recNo(), 1);

        f.answer = QMessageBox::No;
        leaders().moveTo(0);
        m_list->deleteClick();
        QCOMPARE(leaders().recordCount(), 3);
        QCOMPARE(f.boxes.last().text, QStringLiteral("是否删除该项目？!"));
        QCOMPARE(f.boxes.last().caption, QStringLiteral("提示信息"));

        f.answer = QMessageBox::Yes;
        m_list->deleteClick();
        QCOMPARE(column(QStringLiteral("item_180")),
                 (QStringList{QStringLiteral(" 乙改"), QStringLiteral("丙")}));
        QCOMPARE(column(QStringLiteral("item_187")), serials(2));
        QCOMPARE(leaders().asString(QStringLiteral("item_180")), QStringLiteral(" 乙改"));

        leaders().moveTo(1);
        m_list->deleteClick();
        QCOMPARE(column(QStringLiteral("item_187")), serials(1));
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
        list.setDialog(m_dialog.get());
        const QString failure = QStringLiteral("无法写入表文件“unitexpert.dbf”");

        openAdd();
        enter({QStringLiteral("张三")});
        list.failNext = true;
        QVERIFY(dialog().Button1Click());
        QCOMPARE(f.boxTexts(), (QStringList{failure, Stored}));
        QCOMPARE(f.boxes.first().caption, QStringLiteral("提示"));
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialog().edtry_180->text(), QString());
        QCOMPARE(leaders().recordCount(), 1);
        QVERIFY(list.deleteButton->isEnabled() && list.modifyButton->isEnabled());

        f.boxes.clear();
        openModify(0);
        dialog().edtry_180->setText(QStringLiteral("张三改"));
        list.failNext = true;
        QVERIFY(dialog().Button1Click());
        QCOMPARE(f.boxTexts(), (QStringList{failure, Stored}));
        QVERIFY(!dialog().isVisible());
        QCOMPARE(column(QStringLiteral("item_180")), QStringList{QStringLiteral("张三改")});
    }

    void importedSerialsAreMadeDense()
    {
        for (const char *serial : {"3", "7", "9", "12"})
            appendRow(f.db(), QStringLiteral("unitexpert.dbf"),
                      {{QStringLiteral("unitcode"), QStringLiteral("9990001000")},
                       {QStringLiteral("item_187"), QString::fromLatin1(serial)},
                       {QStringLiteral("item_180"), QStringLiteral("导入") + QString::fromLatin1(serial)}});
        // Another unit's leader is not in this list and keeps its serial.
        appendRow(f.db(), QStringLiteral("unitexpert.dbf"),
                  {{QStringLiteral("unitcode"), QStringLiteral("9990001010")},
                   {QStringLiteral("item_187"), QStringLiteral("5")}});
        leaders().refresh();
        leaders().moveTo(1);
        m_list->deleteClick();
        QCOMPARE(column(QStringLiteral("item_187")), serials(3));
        QCOMPARE(leaders().asString(QStringLiteral("item_180")), QStringLiteral("导入9"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_187", 3), QStringLiteral("5"));
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
            {{QString(), QStringLiteral("0"), QStringLiteral("1965"), QStringLiteral("05"),
              QStringLiteral("有说明")},
             QStringLiteral("姓名不能为空！")},
            {{QStringLiteral("张三"), QStringLiteral(" ")}, QStringLiteral("性别不能为空！")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("1899")},
             QStringLiteral("年份不合法！")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("2051")},
             QStringLiteral("年份不合法！")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QString()}, QStringLiteral("年份不合法！")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("19a5")},
             QStringLiteral("年份不合法！")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("1965"), QStringLiteral("13")},
             QStringLiteral("月份不合法")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("1965"), QString()},
             QStringLiteral("月份不合法")},
            {{QStringLiteral("张三"), QStringLiteral("0"), QStringLiteral("1965"), QStringLiteral("x")},
             QStringLiteral("月份不合法")},
        };
        for (const Case &c : cases) {
            f.boxes.clear();
            enter(c.input);
            if (c.input.sex == QLatin1String(" "))
                dialog().cbry_181->setCurrentIndex(dialog().cbry_181->count() - 1);
            QVERIFY(!dialog().Button1Click());
            QCOMPARE(f.boxTexts(), QStringList{c.message});
            QCOMPARE(f.boxes.first().caption, QStringLiteral("Dravik"));
            QVERIFY(dialog().isVisible());
        }
        QVERIFY(leaders().isEmpty());

        // Name and note both blank: the dialog closes and stores nothing.
        f.boxes.clear();
        enter({QStringLiteral("  ")});
        QVERIFY(dialog().Button1Click());
        QVERIFY(!dialog().isVisible());
        QVERIFY(f.boxes.isEmpty() && leaders().isEmpty());
    }

    void leavingTheBirthEdits()
    {
        openAdd();
        const auto yearExit = [&](const QString &text) {
            f.boxes.clear();
            dialog().Edt_both_1->setText(text);
            dialog().Edt_both_1Exit();
            return f.boxTexts();
        };
        QCOMPARE(yearExit(QStringLiteral("1899")), QStringList{QStringLiteral("非法年份")});
        QCOMPARE(f.boxes.first().icon, QMessageBox::NoIcon);
        QCOMPARE(yearExit(QString()), QStringList{QStringLiteral("非法年份")});
        QCOMPARE(yearExit(QStringLiteral("1970")), QStringList());

        const auto monthExit = [&](const QString &text) {
            f.boxes.clear();
            dialog().edt_both_2->setText(text);
            dialog().edt_both_2Exit();
            return f.boxTexts();
        };
        QCOMPARE(monthExit(QStringLiteral("3")), QStringList());
        QCOMPARE(dialog().edt_both_2->text(), QStringLiteral("03"));
        QCOMPARE(monthExit(QStringLiteral("12")), QStringList());
        QCOMPARE(monthExit(QStringLiteral("13")), QStringList{QStringLiteral("不是合法时间!")});
        QCOMPARE(monthExit(QStringLiteral("0")), QStringList{QStringLiteral("不是合法时间!")});
        QCOMPARE(dialog().edt_both_2->text(), QStringLiteral("00"));
        QCOMPARE(monthExit(QString()), QStringList{QStringLiteral("不是合法时间!")});
    }

    void leavingAsksOnlyAfterAChange()
    {
        addLeaders({QStringLiteral("甲")});
        const auto leave = [&](QMessageBox::StandardButton answer) {
            f.boxes.clear();
            f.answer = answer;
            dialog().Button2Click();
            return f.boxTexts();
        };
        const QString question = QStringLiteral("记录已更改，是否保存后退出？");

        openModify(0);
        QCOMPARE(leave(QMessageBox::Yes), QStringList());
        QVERIFY(!dialog().isVisible());

        // Only the birth year changed: asked, and "No" stores nothing.
        openModify(0);
        dialog().Edt_both_1->setText(QStringLiteral("1970"));
        QCOMPARE(leave(QMessageBox::No), QStringList{question});
        QCOMPARE(f.boxes.first().caption, QStringLiteral("请注意！"));
        QVERIFY(!dialog().isVisible());
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), QStringLiteral("1965.05"));

        // "Yes" with an entry that fails its check keeps the dialog open.
        openModify(0);
        dialog().Edt_both_1->setText(QStringLiteral("1800"));
        QCOMPARE(leave(QMessageBox::Yes), (QStringList{question, QStringLiteral("年份不合法！")}));
        QVERIFY(dialog().isVisible());

        // The research field changed: asked, stored, closed.
        dialog().Edt_both_1->setText(QStringLiteral("1970"));
        SelectComboByCode(QStringLiteral("11"), dialog().cbry_124_1);
        QCOMPARE(leave(QMessageBox::Yes), (QStringList{question, Stored}));
        QVERIFY(!dialog().isVisible());
        QCOMPARE(f.stored("unitexpert.dbf", "item_182"), QStringLiteral("1970.05"));
        QCOMPARE(f.stored("unitexpert.dbf", "item_124_1"), QStringLiteral("11"));

        // An empty add dialog closes without a question.
        openAdd();
        QCOMPARE(leave(QMessageBox::Yes), QStringList());
        QVERIFY(!dialog().isVisible());
    }

    void screenshots()
    {
        addLeaders({QStringLiteral("王建国"), QStringLiteral("刘丽华")});
        m_list->show();
        UnitFixture::shoot(m_list.get(), QStringLiteral("04-leaders-list"));
        openModify(1);
        UnitFixture::shoot(&dialog(), QStringLiteral("05-leader-dialog"));
        dialog().hide();
        m_list->hide();
    }

    // Another dBase reader sees what the unit page and the dialog wrote.
    void anotherReaderSeesTheRows()
    {
        TFpage4a page;
        page.LoadUnitPage();
        page.edt_9->setText(QStringLiteral("华北材料研究所"));
        page.Edt_37->setText(QStringLiteral("北京市海淀区学院路1号"));
        page.Edt_41->setText(QStringLiteral("科技处"));
        page.Memo3->setPlainText(QStringLiteral("第一行\n第二行"));
        page.findChild<QLineEdit *>(QStringLiteral("edt_124_2_1"))
            ->setText(QStringLiteral("0101  微电子技术"));
        page.Button2Click();
        openAdd();
        enter({QStringLiteral("王建国"), QStringLiteral("0"), QStringLiteral("1962"),
               QStringLiteral("7"), QStringLiteral("长江学者，材料学")});
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
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"), script, f.dataPath()});
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        const QJsonObject out = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        const QJsonObject unit = out.value(QStringLiteral("unit.dbf")).toArray().at(0).toObject();
        QCOMPARE(unit.value(QStringLiteral("unitcode")).toString(), QStringLiteral("9990001000"));
        QCOMPARE(unit.value(QStringLiteral("item_9")).toString(), QStringLiteral("华北材料研究所"));
        QCOMPARE(unit.value(QStringLiteral("item_37")).toString(),
                 QStringLiteral("北京市海淀区学院路1号"));
        QCOMPARE(unit.value(QStringLiteral("item_124_2")).toString(), QStringLiteral("0101 ;"));
        QCOMPARE(unit.value(QStringLiteral("chiefexper")).toString(), QStringLiteral("   9999999999"));
        QCOMPARE(unit.value(QStringLiteral("unitintrod")).toString(),
                 QStringLiteral("第一行\r\n第二行"));
        QCOMPARE(unit.value(QStringLiteral("endlevel")).toInt(), 1);
        const QJsonObject leader =
            out.value(QStringLiteral("unitexpert.dbf")).toArray().at(0).toObject();
        QCOMPARE(leader.value(QStringLiteral("unitcode")).toString(), QStringLiteral("9990001000"));
        QCOMPARE(leader.value(QStringLiteral("item_187")).toString(), QStringLiteral("1"));
        QCOMPARE(leader.value(QStringLiteral("item_180")).toString(), QStringLiteral("王建国"));
        QCOMPARE(leader.value(QStringLiteral("item_181")).toString(), QStringLiteral("0"));
        QCOMPARE(leader.value(QStringLiteral("item_182")).toString(), QStringLiteral("1962.07"));
        QCOMPARE(leader.value(QStringLiteral("item_186")).toString(),
                 QStringLiteral("长江学者，材料学"));
    }
};

QTEST_MAIN(TestLeaders)
#include "tst_leaders.moc"
