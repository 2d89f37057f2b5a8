// The classification chooser: the tree built from a pre-order table, the one
// target it writes into, and the help windows of the pages.

#include "engine/DataSet.h"
#include "support/BoxLog.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "records/widgets/Messages.h"
#include "records/forms/Unit2.h"
#include "records/forms/Unittree.h"
#include "records/widgets/DropDownCombo.h"
#include "records/forms/yyPrintUnit13.h"
#include "support/DbfFixture.h"
#include "support/ModalHelper.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

namespace {

// A classification table in `folder`: level, code, name in pre-order.
void makeClassTable(const QString &folder, const QString &file, const QList<QVariantList> &rows)
{
    makeTable(folder, file, {dbfField("jb", 'C', 2), dbfField("xxdm", 'C', 10), dbfField("xxmc", 'C', 60)},
              rows);
}

QTreeWidgetItem *findNode(QTreeWidget *tree, const QString &text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QString parentText(QTreeWidget *tree, const QString &text)
{
    QTreeWidgetItem *node = findNode(tree, text);
    return node && node->parent() ? node->parent()->text(0) : QString();
}

// Picks the node with that text and confirms ("" confirms the root).
ModalHelper::Action confirmNode(const QString &text)
{
    return [text](QWidget *modal) {
        auto *tree = modal->findChild<QTreeWidget *>("TreeView1");
        if (!text.isEmpty())
            tree->setCurrentItem(findNode(tree, text));
        ModalHelper::click(modal, "确认");
    };
}

} // namespace

class TestFormTree : public QObject
{
    Q_OBJECT

private:
    TFormTree *FormTree = nullptr;
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Table> m_table1;
    BoxLog m_log;
    QList<Messages::Request> &m_boxes = m_log.boxes;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeClassTable(m_dir.path(), "gxjs.dbf",
                       {{"1", "01", "电子信息"},
                        {"2", "0101", "微电子"},
                        {"3", "010101", "集成电路设计"},
                        {"2", "0102", "软件"},
                        {"0", "00", "不显示的行"},
                        {"1", "02", "生物医药"},
                        {"2", "0201", "生物技术"}});
        makeClassTable(m_dir.path(), "ztflh.dbf",
                       {{"1", "A", "马克思主义"}, {"1", "O", "数理科学和化学"}, {"2", "O1", "数学"}});
        m_db = std::make_unique<Database>(m_dir.path());
        m_table1 = std::make_unique<Table>(m_db.get(), "ztflh.dbf");
        FormTree = new TFormTree;
        FormTree->setTable(m_table1.get());
    }

    void init() { m_log.clear(); m_log.answer = QMessageBox::Ok; }

    void cleanupTestCase()
    {
        delete FormTree;
        FormTree = nullptr;
        m_table1.reset();
        m_db.reset();
    }

    void threeLevelTableBecomesATree()
    {
        Table gxjs(m_db.get(), "gxjs.dbf");
        QTreeWidget tree;
        FillClassTree(gxjs, &tree);
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), QString("详细分类"));
        QCOMPARE(root->childCount(), 2);
        QCOMPARE(parentText(&tree, "0101  微电子"), QString("01  电子信息"));
        QCOMPARE(parentText(&tree, "010101  集成电路设计"), QString("0101  微电子"));
        QCOMPARE(parentText(&tree, "0201  生物技术"), QString("02  生物医药"));
        QVERIFY(!findNode(&tree, "00  不显示的行"));
        QVERIFY(root->isExpanded());
        QVERIFY(!root->child(0)->isExpanded());
        QVERIFY(!root->icon(0).isNull());
        QVERIFY(!gxjs.isOpen());
    }

    void jumpsAndDeepLevelsFindAnAncestor()
    {
        makeClassTable(m_dir.path(), "odd.dbf",
                       {{"1", "A", "甲"},
                        {"3", "A11", "跳过第二级"}, // no level 2 yet: hangs on 甲
                        {"2", "A1", "乙"},
                        {"1", "B", "丙"},
                        {"3", "B11", "跳级"}, // the last level-2 node
                        {"4", "x4", "四"},
                        {"5", "x5", "五"},
                        {"6", "x6", "六"},
                        {"7", "x7", "七"},
                        {"2", "B2", "丁"}});
        Table odd(m_db.get(), "odd.dbf");
        QTreeWidget tree;
        FillClassTree(odd, &tree);
        QCOMPARE(parentText(&tree, "A11  跳过第二级"), QString("A  甲"));
        QCOMPARE(parentText(&tree, "B11  跳级"), QString("A1  乙"));
        QCOMPARE(parentText(&tree, "x5  五"), QString("x4  四"));
        QCOMPARE(parentText(&tree, "x7  七"), QString("x6  六"));
        QCOMPARE(parentText(&tree, "B2  丁"), QString("B  丙"));
    }

    // A bad level stops the fill: the error is told, and the chooser opens
    // on the nodes read before it.
    void badLevelStopsTheFillAndKeepsWhatWasRead()
    {
        makeClassTable(m_dir.path(), "bad.dbf", {{"1", "A", "甲"}, {"x", "B", "乙"}, {"1", "C", "丙"}});
        Table bad(m_db.get(), "bad.dbf");
        QTreeWidget tree;
        QVERIFY_THROWS_EXCEPTION(DbError, FillClassTree(bad, &tree));
        QVERIFY(findNode(&tree, "A  甲") && !findNode(&tree, "C  丙"));
        QVERIFY(!bad.isOpen());

        QLineEdit edit;
        edit.setText("保留");
        QStringList offered;
        ModalHelper helper([&](QWidget *modal) {
            auto *shown = modal->findChild<QTreeWidget *>("TreeView1");
            offered << (findNode(shown, "A  甲") ? "A" : "") << (findNode(shown, "C  丙") ? "C" : "");
            shown->setCurrentItem(findNode(shown, "A  甲"));
            ModalHelper::click(modal, "确认");
        });
        QVERIFY(FormTree->pick(&edit, "bad.dbf"));
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(offered, QStringList({"A", ""}));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).caption, QString("提示"));
        QVERIFY(m_boxes.at(0).text.contains("不是整数"));
        QCOMPARE(edit.text(), QString("A  甲"));
    }

    void confirmWritesIntoTheOneTarget()
    {
        QLineEdit unitEdit, pageEdit;
        pageEdit.setText("未动");
        ModalHelper helper(confirmNode("0102  软件"));
        QVERIFY(FormTree->pick(&unitEdit, "gxjs.dbf"));
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(helper.seenTitle(), QString("分类选择"));
        QCOMPARE(unitEdit.text(), QString("0102  软件"));
        QCOMPARE(pageEdit.text(), QString("未动"));
        QCOMPARE(m_table1->tableName(), QString("gxjs.dbf"));
        QCOMPARE(FormTree->TreeView1->topLevelItemCount(), 0); // emptied on close

        // The next opener names another table and another edit.
        ModalHelper second(confirmNode("O1  数学"));
        QVERIFY(FormTree->pick(&pageEdit, "ztflh.dbf"));
        QVERIFY2(second.ok(), qPrintable(second.error()));
        QCOMPARE(pageEdit.text(), QString("O1  数学"));
        QCOMPARE(unitEdit.text(), QString("0102  软件"));
        QCOMPARE(FormTree->target(), &pageEdit);
        QCOMPARE(FormTree->targetTable(), QString("ztflh.dbf"));
    }

    void rootConfirmEmptiesAndCancelLeaves()
    {
        QLineEdit edit;
        edit.setText("01  电子信息");
        ModalHelper root(confirmNode(QString()));
        QVERIFY(FormTree->pick(&edit, "gxjs.dbf"));
        QVERIFY2(root.ok(), qPrintable(root.error()));
        QCOMPARE(edit.text(), QString());

        edit.setText("01  电子信息");
        ModalHelper cancel([](QWidget *modal) {
            auto *tree = modal->findChild<QTreeWidget *>("TreeView1");
            tree->setCurrentItem(findNode(tree, "0201  生物技术"));
            ModalHelper::click(modal, "取消");
        });
        QVERIFY(!FormTree->pick(&edit, "gxjs.dbf"));
        QVERIFY2(cancel.ok(), qPrintable(cancel.error()));
        QCOMPARE(edit.text(), QString("01  电子信息"));
        QCOMPARE(FormTree->TreeView1->topLevelItemCount(), 0);
    }

    void comboDropDownOpensTheChooser()
    {
        QLineEdit edit;
        DropDownCombo combo;
        FormTree->attach(&combo, &edit, "ztflh.dbf");
        ModalHelper helper(confirmNode("A  马克思主义"));
        combo.showPopup();
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(edit.text(), QString("A  马克思主义"));
    }

    void missingTableIsReportedWithoutOpening()
    {
        QLineEdit edit;
        edit.setText("保留");
        QVERIFY(!FormTree->pick(&edit, "xkfl.dbf"));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).caption, QString("提示"));
        QCOMPARE(edit.text(), QString("保留"));
    }

    void helpFollowsTheCategoryList_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("window");
        QTest::newRow("应用技术") << 0 << "HelpForm";
        QTest::newRow("软科学") << 1 << "HelpForm_rj";
        QTest::newRow("基础理论") << 2 << "HelpForm_rj";
    }
    void helpFollowsTheCategoryList()
    {
        QFETCH(int, category);
        QFETCH(QString, window);
        QString seenName;
        QString text;
        ModalHelper helper([&](QWidget *modal) {
            seenName = modal->objectName();
            auto *memo = modal->findChild<QPlainTextEdit *>("Memo1");
            text = memo->toPlainText();
            QVERIFY(memo->isReadOnly());
            ModalHelper::click(modal, "返回");
        });
        ShowHelpFor(nullptr, category);
        QVERIFY2(helper.ok(), qPrintable(helper.error()));
        QCOMPARE(seenName, window);
        QCOMPARE(helper.seenTitle(), QString("帮助信息"));
        QVERIFY(text.contains("一、 操作说明") && text.contains("二、指标解释"));
    }
};

QTEST_MAIN(TestFormTree)
#include "tst_formtree.moc"
