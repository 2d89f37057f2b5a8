// The main window's query panel: the rules that build and check a condition,
// and searches run through the panel's controls over about fifty records of
// two years and three categories, each checked by the records listed.
#include "app/QueryBuilder.h"
#include "app/QueryBuilderPanel.h"
#include "records/widgets/DropDownCombo.h"
#include "support/ModalHelper.h"
#include "support/PagesFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

using QueryBuilder::Input;

namespace {

// One achievement of the fixture, with the fields the searches look at.
struct Record
{
    QString item4;
    QString category;
    QString name;
    QString secrecy;   // ITEM_1, a dictionary code
    QString ministry;  // ITEM_63
    QString province;  // ITEM_64
    QString library;   // ITEM_12
    QString subject;   // ITEM_15
};

// Names that the searches single out; every other record is "成果N".
QString nameOf(int i)
{
    switch (i) {
    case 3: return u"O'Neil传感器"_s;
    case 6: return u"产量增长50%的方法"_s;
    case 9: return u"产量增长500吨的方法"_s;
    case 12: return u"智能控制系统"_s;
    case 15: return u"智能控制(二期)"_s;
    case 4: return u"智能决策研究"_s;   // 软科学 2006
    case 31: return u"智能管理研究"_s;  // 软科学 2005
    case 30: return u"O'Neil检测"_s;    // 应用技术 2005
    default: return u"成果%1"_s.arg(i);
    }
}

// Thirty records of 2006 and twenty of 2005, the categories in turn.
QList<Record> fixtureRecords()
{
    QList<Record> records;
    for (int i = 0; i < 50; ++i) {
        const bool recent = i < 30;
        const int serial = recent ? i + 1 : i - 29;
        records << Record{(recent ? u"2006"_s : u"2005"_s) + u"%1"_s.arg(serial, 6, 10, QChar('0')),
                          QString::number(i % 3 + 1),
                          nameOf(i),
                          QString::number(i % 4 + 1),
                          i % 5 == 0 ? u"100"_s : u"110"_s,
                          i % 2 == 0 ? u"11"_s : u"12"_s,
                          i % 6 == 0 ? u"A1"_s : u"B0"_s,
                          i % 7 == 0 ? u"11010"_s : u"110"_s};
    }
    return records;
}

QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

ModalHelper::Action confirmNode(const QString &text)
{
    return [text](QWidget *modal) {
        auto *tree = modal->findChild<QTreeWidget *>("TreeView1");
        tree->setCurrentItem(findNode(tree, text));
        ModalHelper::click(modal, "确认");
    };
}

} // namespace

class TestQueryBuilder : public QObject
{
    Q_OBJECT

    PagesFixture f;
    BoxLog m_log;
    QList<Record> m_records;

    TMainForm *form() const { return f.main(); }
    Query &list() const { return f.list(); }
    QueryBuilderPanel *panel() const { return form()->queryBuilder; }

    QStringList listed(const QString &field = u"ITEM_4"_s) const
    {
        QStringList values;
        for (int row = 0; row < list().recordCount(); ++row)
            values << list().textAt(row, list().fieldIndex(field)).trimmed();
        return values;
    }

    // The numbers of the fixture's records of a category and year that match.
    QStringList expected(const QString &category, const QString &year,
                         const std::function<bool(const Record &)> &match) const
    {
        QStringList numbers;
        for (const Record &r : m_records) {
            if (r.category == category && r.item4.startsWith(year) && match(r))
                numbers << r.item4;
        }
        return numbers;
    }

    void addFixture()
    {
        m_records = fixtureRecords();
        for (const Record &r : m_records) {
            addComplete(f.db(), r.item4, r.category, r.name);
            Table kjcg(f.db(), u"kjcg.DBF"_s);
            kjcg.open();
            kjcg.last();
            kjcg.edit();
            const FieldValues values = {{u"ITEM_1"_s, r.secrecy}, {u"ITEM_63"_s, r.ministry},
                                        {u"ITEM_64"_s, r.province}, {u"ITEM_12"_s, r.library},
                                        {u"ITEM_15"_s, r.subject}};
            for (const auto &[field, value] : values)
                kjcg.setString(field, value);
            kjcg.post();
        }
    }

    void chooseItem(const QString &name)
    {
        const int index = form()->ComboBox2->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        form()->ComboBox2->setCurrentIndex(index);
        panel()->ComboBox2Change();
    }

    // "加入" for an item, an operator and a typed value or a listed code.
    void add(const QString &item, const QString &op, const QString &value)
    {
        chooseItem(item);
        form()->ComboBox4->setCurrentIndex(form()->ComboBox4->findText(op));
        if (panel()->input() == Input::CodeList) {
            const int at = form()->Combobox3->findText(value + u"  "_s, Qt::MatchStartsWith);
            QVERIFY2(at >= 0, qPrintable(value));
            form()->Combobox3->setCurrentIndex(at);
        } else {
            form()->Edit2->setText(value);
        }
        form()->SpeedButton24->click();
    }

    void search() { form()->SpeedButton16->click(); }
    QString condition() const { return form()->MMSysV->toPlainText(); }

    void showYear(int category, const QString &year)
    {
        form()->ComboBox1->setCurrentIndex(category);
        form()->cbYear->setCurrentIndex(form()->cbYear->findText(year));
        form()->ComboBox1Change();
    }

    // The listed rows are numbered 1..N in list order.
    void verifyNumbered()
    {
        QStringList numbers;
        for (int i = 1; i <= list().recordCount(); ++i)
            numbers << QString::number(i);
        QCOMPARE(listed(u"NO"_s), numbers);
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init()
    {
        m_log.clear();
        f.open();
        addFixture();
        f.showList();
    }
    void cleanup() { f.stop(); }

    // ---- rules without a window -------------------------------------------

    void valueAndPiece_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("piece");
        QTest::newRow("contains") << u"成果名称"_s << true << u"abc"_s << u"包含"_s
                                  << u" item_3 like '%abc%'"_s;
        QTest::newRow("ministry code") << u"隶属部委"_s << false << u"100  (中共中央直属机构)"_s
                                       << u"="_s << u" item_63 ='100'"_s;
        QTest::newRow("one-letter code") << u"成果密级"_s << false << u"5  **内部"_s << u"<>"_s
                                         << u" item_1 <>'5'"_s;
        QTest::newRow("quote") << u"成果名称"_s << true << u"O'Neil"_s << u"="_s
                               << u" item_3 ='O''Neil'"_s;
        QTest::newRow("wildcards") << u"成果名称"_s << true << u"5_0%\\"_s << u"包含"_s
                                   << u" item_3 like '%5\\_0\\%\\\\%' escape '\\'"_s;
        QTest::newRow("chosen node") << u"中图分类号"_s << true << u"A1  马克思、恩格斯著作"_s
                                     << u"="_s << u" item_12 ='A1'"_s;
        QTest::newRow("typed class code") << u"学科分类号"_s << true << u" 110 "_s << u"="_s
                                          << u" item_15 ='110'"_s;
        QTest::newRow("no operator") << u"成果名称"_s << true << u"x"_s << QString()
                                     << u" item_3 'x'"_s;
    }
    void valueAndPiece()
    {
        QFETCH(QString, item);
        QFETCH(bool, typed);
        QFETCH(QString, text);
        QFETCH(QString, op);
        QFETCH(QString, piece);
        static const QHash<QString, QString> fields = {
            {u"成果名称"_s, u"item_3"_s}, {u"隶属部委"_s, u"item_63"_s}, {u"成果密级"_s, u"item_1"_s},
            {u"中图分类号"_s, u"item_12"_s}, {u"学科分类号"_s, u"item_15"_s}};
        const QString value = QueryBuilder::conditionValue(item, typed, typed ? text : QString(),
                                                           typed ? QString() : text);
        QCOMPARE(QueryBuilder::conditionPiece(fields.value(item), op, value), piece);
    }

    void conditionChecks_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("inOrder");
        QTest::addColumn<bool>("fromPieces");
        QTest::newRow("two parts") << u"( item_1 ='1') and ( item_2 ='2')"_s << true << true;
        QTest::newRow("close first") << u" item_1 ='1') and ( item_2 ='2'"_s << false << true;
        QTest::newRow("nested") << u"(( item_1 ='1') or item_2 ='2')"_s << true << true;
        QTest::newRow("parenthesis in a value") << u" item_3 like '%)(%'"_s << true << true;
        QTest::newRow("doubled quote") << u" item_3 ='a'')'"_s << true << true;
        QTest::newRow("open quote") << u" item_3 ='a"_s << true << false;
        QTest::newRow("comment") << u" item_3 ='a' /*"_s << true << false;
        QTest::newRow("second statement") << u" item_3 ='a'; delete from kjcg"_s << true << false;
    }
    void conditionChecks()
    {
        QFETCH(QString, condition);
        QFETCH(bool, inOrder);
        QFETCH(bool, fromPieces);
        QCOMPARE(QueryBuilder::parenthesesInOrder(condition), inOrder);
        QCOMPARE(QueryBuilder::isBuiltFromPieces(condition), fromPieces);
    }

    // ---- searches through the panel ---------------------------------------

    void eachKindOfItem()
    {
        QCOMPARE(list().recordCount(), 10);  // 应用技术 2006

        add(u"成果密级"_s, u"="_s, u"2"_s);
        QCOMPARE(panel()->input(), Input::CodeList);
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) { return r.secrecy == "2"; }));
        verifyNumbered();
        QCOMPARE(list().recNo(), 0);
        form()->SpeedButton26->click();

        add(u"隶属部委"_s, u"="_s, u"100"_s);
        QVERIFY(form()->Combobox3->itemText(0).startsWith(u"100  ("_s));
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) { return r.ministry == "100"; }));
        form()->SpeedButton26->click();

        add(u"单位所在省市"_s, u"="_s, u"12"_s);
        QCOMPARE(panel()->input(), Input::CodeList);
        QCOMPARE(form()->Combobox3->itemText(0), u"11  (北京市)"_s);
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) { return r.province == "12"; }));
        form()->SpeedButton26->click();

        add(u"成果名称"_s, u"="_s, u"智能控制系统"_s);
        QCOMPARE(panel()->input(), Input::FreeText);
        search();
        QCOMPARE(listed(), QStringList({"2006000013"}));
        form()->SpeedButton26->click();

        add(u"成果名称"_s, u"包含"_s, u"智能控制"_s);
        search();
        QCOMPARE(listed(), QStringList({"2006000013", "2006000016"}));
        QVERIFY(m_log.boxes.isEmpty());
    }

    void classificationsThroughTheTree()
    {
        chooseItem(u"中图分类号"_s);
        QCOMPARE(panel()->input(), Input::LibraryTree);
        QVERIFY(!form()->ComboBox5->isHidden());
        QVERIFY(form()->ComboBox6->isHidden());
        {
            ModalHelper helper(confirmNode(u"A1  马克思、恩格斯著作"_s));
            form()->ComboBox5->showPopup();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
        }
        QCOMPARE(form()->Edit2->text(), u"A1  马克思、恩格斯著作"_s);
        form()->ComboBox4->setCurrentIndex(form()->ComboBox4->findText(u"="_s));
        form()->SpeedButton24->click();
        form()->SpeedButton15->click();  // and

        chooseItem(u"学科分类号"_s);
        QCOMPARE(panel()->input(), Input::SubjectTree);
        {
            ModalHelper helper(confirmNode(u"11010  数学史"_s));
            form()->ComboBox6->showPopup();
            QVERIFY2(helper.ok(), qPrintable(helper.error()));
        }
        QCOMPARE(f.tree()->targetTable(), u"xkfl.dbf"_s);
        form()->SpeedButton24->click();
        QCOMPARE(condition(), u" item_12 ='A1'and  item_15 ='11010'"_s);
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) {
                     return r.library == "A1" && r.subject == "11010";
                 }));
        QVERIFY(!listed().isEmpty());
    }

    void classificationWithoutItsTable()
    {
        f.open({u"ztflh.dbf"_s});
        addFixture();
        f.showList();
        add(u"中图分类号"_s, u"="_s, u" B0 "_s);
        QCOMPARE(panel()->input(), Input::FreeText);
        QVERIFY(form()->ComboBox5->isHidden());
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) { return r.library == "B0"; }));
    }

    void joinersAndParentheses()
    {
        form()->SpeedButton20->click();  // (
        add(u"成果密级"_s, u"="_s, u"1"_s);
        form()->SpeedButton18->click();  // or
        add(u"成果密级"_s, u"="_s, u"3"_s);
        form()->SpeedButton21->click();  // )
        form()->SpeedButton15->click();  // and
        form()->SpeedButton17->click();  // not
        form()->SpeedButton20->click();
        add(u"隶属部委"_s, u"="_s, u"100"_s);
        form()->SpeedButton21->click();
        QCOMPARE(form()->MMUserV->toPlainText(), u" 成果密级 成果密级 隶属部委"_s);
        search();
        QCOMPARE(listed(), expected("1", "2006", [](const Record &r) {
                     return (r.secrecy == "1" || r.secrecy == "3") && r.ministry != "100";
                 }));
        QVERIFY(!listed().isEmpty());
        QVERIFY(m_log.boxes.isEmpty());
    }

    // Every failed search tells why and leaves the list it found.
    void failedSearchesKeepThePreviousList()
    {
        add(u"成果名称"_s, u"包含"_s, u"O'Neil"_s);
        search();
        const QStringList previous = listed();
        QCOMPARE(previous, QStringList({"2006000004"}));

        // A ")" before the first "(".
        form()->SpeedButton21->click();
        form()->SpeedButton20->click();
        search();
        QCOMPARE(m_log.lastCaption(), u"Dravik"_s);
        QCOMPARE(m_log.last(), u"您的查询语句含有不正确的的“（”“）”,请修改！"_s);
        QCOMPARE(listed(), previous);

        form()->SpeedButton26->click();
        QVERIFY(condition().isEmpty());
        search();
        QCOMPARE(m_log.boxes.last().caption, u"信息"_s);
        QCOMPARE(m_log.boxes.last().icon, QMessageBox::Information);
        QCOMPARE(m_log.last(), u"没有条件无法查询!"_s);
        QCOMPARE(list().recordCount(), 10);

        add(u"成果名称"_s, u"="_s, u"不存在的成果"_s);
        search();
        QCOMPARE(m_log.last(), u"没找到符合条件的条目,请再输入合适语句!"_s);
        QCOMPARE(list().recordCount(), 10);

        // SQLite refuses a joiner with nothing after it.
        form()->SpeedButton15->click();
        search();
        QCOMPARE(m_log.lastCaption(), u"请注意！"_s);
        QCOMPARE(m_log.boxes.last().icon, QMessageBox::Question);
        QCOMPARE(m_log.last(), u"条件输入有误，请检查"_s);
        QCOMPARE(list().recordCount(), 10);
        QCOMPARE(list().sql(), form()->CurrentListSql);
    }

    // A cut that breaks a quoted value apart is refused before it runs.
    void cutPieces()
    {
        add(u"成果名称"_s, u"包含"_s, u"a' or 'x'='x"_s);
        search();
        QVERIFY(m_log.last().startsWith(u"没找到"_s));
        QTextCursor cursor = form()->MMSysV->textCursor();
        const int quote = condition().indexOf(u"''"_s);
        cursor.setPosition(quote);
        cursor.setPosition(quote + 1, QTextCursor::KeepAnchor);
        form()->MMSysV->setTextCursor(cursor);
        form()->SpeedButton23->click();
        QCOMPARE(QApplication::clipboard()->text(), u"'"_s);
        QVERIFY(form()->MMSysV->isReadOnly());
        search();
        QCOMPARE(m_log.last(), u"条件输入有误，请检查"_s);
        QCOMPARE(list().recordCount(), 10);
    }

    void typedTextIsFoundLiterally()
    {
        add(u"成果名称"_s, u"包含"_s, u"50%"_s);
        search();
        QCOMPARE(listed(u"ITEM_3"_s), QStringList({u"产量增长50%的方法"_s}));

        form()->SpeedButton26->click();
        add(u"成果名称"_s, u"="_s, u"O'Neil传感器"_s);
        search();
        QCOMPARE(listed(), QStringList({"2006000004"}));
    }

    void restrictedToCategoryAndYear()
    {
        showYear(1, u"2006"_s);  // 软科学
        add(u"成果名称"_s, u"包含"_s, u"智能"_s);
        search();
        QCOMPARE(listed(), QStringList({"2006000005"}));
        QVERIFY(list().sql().endsWith(u" ) and (item_cglb='2' and item_4 like '2006%')"_s));

        form()->SpeedButton26->click();
        QCOMPARE(listed(), expected("2", "2006", [](const Record &) { return true; }));
        verifyNumbered();
        QVERIFY(condition().isEmpty());
        QCOMPARE(form()->MMUserV->toPlainText(), u" 成果名称"_s);
    }

    // A result's first record is not judged until the user clicks a row; an
    // incomplete one then locks the search as well.
    void lockOnAResult()
    {
        addAchievement(f.db(), u"2006000099"_s, u"1"_s, u"未完成的智能成果"_s);
        form()->ComboBox1Change();
        add(u"成果名称"_s, u"包含"_s, u"智能"_s);
        search();
        QCOMPARE(listed(), QStringList({"2006000013", "2006000016", "2006000099"}));
        QVERIFY(form()->SpeedButton16->isEnabled());

        form()->DBGrid1->selectionModel()->setCurrentIndex(
            form()->DBGrid1->model()->index(2, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        form()->DBGrid1CellClick();
        QCOMPARE(list().asString(u"ITEM_4"_s), u"2006000099"_s);
        QVERIFY(!form()->SpeedButton16->isEnabled());
        QVERIFY(!form()->SpeedButton26->isEnabled());
        QVERIFY(!form()->DBGrid1->isEnabled());
        QVERIFY(form()->SpeedButton24->isEnabled());
    }
};

QTEST_MAIN(TestQueryBuilder)
#include "tst_querybuilder.moc"
