// The shared entry routines: pick lists from the code tables, option groups,
// the multi-code text and the splitting of stored texts.

#include "engine/DataSet.h"
#include "support/BoxLog.h"
#include "engine/Database.h"
#include "engine/DbfFile.h"
#include "records/widgets/Abort.h"
#include "records/forms/EntryRoutines.h"
#include "records/widgets/Messages.h"
#include "support/DbfFixture.h"
#include "support/StandingClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QStringList itemsOf(const QComboBox &combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QCheckBox *checkBox(QWidget *panel, const QString &name, bool ticked = false)
{
    auto *box = new QCheckBox(name, panel);
    box->setObjectName(name);
    box->setChecked(ticked);
    return box;
}

QRadioButton *radio(QWidget *panel, const QString &name, bool ticked = false)
{
    auto *button = new QRadioButton(name, panel);
    button->setObjectName(name);
    button->setChecked(ticked);
    return button;
}

QStringList tickedNames(QWidget *panel)
{
    QStringList names;
    for (auto *b : panel->findChildren<QAbstractButton *>()) {
        if (b->isChecked())
            names << b->objectName();
    }
    return names;
}

} // namespace

class TestEntryRoutines : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    BoxLog m_log;
    QList<Messages::Request> &m_boxes = m_log.boxes;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeTable(m_dir.path(), "zdxx.dbf",
                  {dbfField("zddm", 'C', 10), dbfField("xxdm", 'C', 3), dbfField("xxmc", 'C', 40)},
                  {{"item_183", "1", "院士"},
                   {"item_181", "0", "男"},
                   {"item_183", "2", "正高"},
                   {"item_183", "3", ""},
                   {"item_183", "", "无代码"},
                   {"item_183", "4", "**旧版职称"},
                   {"item_183", "9", "其他"},
                   {"it'em", "7", "带引号的组"}});
        makeTable(m_dir.path(), "province.dbf",
                  {dbfField("Province_i", 'C', 3), dbfField("Province_n", 'C', 20)},
                  {{"110", "北京市"}, {"120", ""}, {"130", "河北省"}});
        makeTable(m_dir.path(), "xkfl.dbf",
                  {dbfField("jb", 'C', 2), dbfField("xxdm", 'C', 10), dbfField("xxmc", 'C', 60)},
                  {{"1", "110", "数学"}, {"2", "11010", "数学史"}, {"1", "O'1", "引号代码"}});
        m_db = std::make_unique<Database>(m_dir.path());
    }

    void init() { m_log.clear(); m_log.answer = QMessageBox::Ok; }

    void cleanupTestCase()
    {
        m_db.reset();
    }

    void dictionaryListsHideOldAndIncompleteRows()
    {
        Table dict(m_db.get(), "zdxx.dbf");
        QComboBox combo;
        combo.addItem("stale");
        FillComboFromDict(dict, "item_183", false, &combo);
        QCOMPARE(itemsOf(combo), QStringList({"1  院士", "2  正高", "9  其他", " "}));
        QVERIFY(dict.filtered()); // left filtered on the group

        FillComboFromDict(dict, "item_183", true, &combo);
        QCOMPARE(itemsOf(combo), QStringList({"1  院士", "2  正高", "9  其他"}));

        FillComboFromDictAll(dict, "item_183", true, &combo);
        QCOMPARE(itemsOf(combo), QStringList({"1  院士", "2  正高", "4  **旧版职称", "9  其他"}));

        // A group key holding a quote is a value, not filter text.
        FillComboFromDict(dict, "it'em", true, &combo);
        QCOMPARE(itemsOf(combo), QStringList({"7  带引号的组"}));
    }

    void codeNameTableListIgnoresFilterAndNullNames()
    {
        Table province(m_db.get(), "province.dbf");
        province.setFilter("Province_i='110'");
        province.setFiltered(true);
        province.open();
        QComboBox combo;
        FillComboFromTable(province, &combo, false, "Province_n", "Province_i");
        QCOMPARE(itemsOf(combo), QStringList({"110  (北京市)", "130  (河北省)", " "}));
        QVERIFY(!province.filtered());

        QComboBox names;
        FillComboFromField(province, &names, "Province_n");
        QCOMPARE(itemsOf(names), QStringList({"北京市", "河北省"}));
    }

    void selectByCodeTakesLastMatchNeverTheBlank()
    {
        QComboBox combo;
        combo.addItems({"1  院士", "2  正高", " ", "2  另一个正高", "12  十二"});
        combo.setCurrentIndex(0);
        SelectComboByCode("2", &combo);
        QCOMPARE(combo.currentIndex(), 3);
        SelectComboByCode("", &combo); // the blank item stands for no value
        QCOMPARE(combo.currentIndex(), 3);
        SelectComboByCode(" ", &combo);
        QCOMPARE(combo.currentIndex(), 3);
        SelectComboByCode("5", &combo); // no match: selection kept
        QCOMPARE(combo.currentIndex(), 3);
        SelectComboByCode("1", &combo); // "12" is not "1"
        QCOMPARE(combo.currentIndex(), 0);

        QCOMPARE(CodeOfItem(" 05  名称  附注"), QString("05"));
        QCOMPARE(CodeOfItem("无分隔"), QString());
    }

    void dictCodeShowsCodeAndNameOrNothing()
    {
        Table xkfl(m_db.get(), "xkfl.dbf");
        QLineEdit edit;
        ShowDictCode(xkfl, "11010", &edit);
        QCOMPARE(edit.text(), QString("11010  数学史"));
        ShowDictCode(xkfl, "O'1", &edit);
        QCOMPARE(edit.text(), QString("O'1  引号代码"));
        ShowDictCode(xkfl, "999", &edit);
        QCOMPARE(edit.text(), QString());
    }

    // Boxes named "cb_<item>_<code>" ("rb_" a radio), ticked when marked "+";
    // codes "!" when the collection is refused.
    void collectCheckedCodes()
    {
        const struct
        {
            QStringList boxes;
            QString label;
            int width;
            QString codes, message;
        } cases[] = {
            {{"+cb_200_12", "cb_200_03", "+cb_200_05"}, "社会经济目标", 2, "05;12;", {}},
            {{"+cb_125_01", "+cb_125_20"}, "成果应用行业", 2, "01;20;", {}},
            {{"+cb_161_3", "+cb_161_1", "cb_161_2"}, "推广形式", 1, "3;1;", {}}, // component order
            {{"rb_140_1", "+rb_140_7"}, "", 1, "7", {}},
            {{"cb_161_9"}, "推广形式", 1, "", {}},
            {{"+cb_51_1", "+cb_51_3", "+cb_51_9"}, "知识产权形式", 1, "1;3;9;", {}},
            {{"+cb_51_1", "+cb_51_3", "+cb_51_9"},
             "推广形式",
             1,
             "!",
             "'推广形式'项目为复选项目，但至多选择二项！"},
            {{"+cb_x_1A", "+cb_x_05"}, "label", 2, "1A;05;", "'1A'不是数字格式！"},
        };
        for (const auto &c : cases) {
            m_boxes.clear();
            QWidget panel;
            for (QString name : c.boxes) {
                const bool ticked = name.startsWith('+');
                name.remove('+');
                if (name.startsWith("rb"))
                    radio(&panel, name, ticked);
                else
                    checkBox(&panel, name, ticked);
            }
            try {
                QCOMPARE(CollectCheckedCodes(nullptr, &panel, c.label, c.width), c.codes);
            } catch (const Abort &) {
                QCOMPARE(c.codes, u"!"_s);
                QCOMPARE(m_boxes.at(0).caption, u"提示"_s);
            }
            QCOMPARE(m_boxes.isEmpty() ? QString() : m_boxes.at(0).text, c.message);
        }
    }

    void checkOptionsTicksTheStoredCodes()
    {
        QWidget panel;
        for (const char *name : {"cb_161_1", "cb_161_2", "cb_161_3", "cb_161_4"})
            checkBox(&panel, name);
        const QList<QPair<QString, QStringList>> cases
            = {{"1;3;", {"cb_161_1", "cb_161_3"}},
               {"1;2;3;4;", {"cb_161_1", "cb_161_2", "cb_161_3"}}, // the first three only
               {"2;4", {"cb_161_2"}}, // the unterminated part is not used
               {"", {}}};
        for (const auto &[codes, ticked] : cases) {
            ClearOptionBoxes(&panel);
            CheckOptionsByCodes(&panel, codes, 1);
            QCOMPARE(tickedNames(&panel), ticked);
        }

        QWidget radios;
        radio(&radios, "rb_123_1");
        radio(&radios, "rb_123_3");
        radio(&radios, "rb_123_A");
        CheckOptionsByCodes(&radios, "3", 1);
        QCOMPARE(tickedNames(&radios), QStringList({"rb_123_3"}));
        CheckOptionsByCodes(&radios, "A", 1);
        QCOMPARE(tickedNames(&radios), QStringList({"rb_123_A"}));
    }

    void clearUnticksEveryBoxAndRadioOfTheWindow()
    {
        QWidget window;
        auto *inner = new QWidget(&window);
        checkBox(&window, "cb_1", true);
        radio(inner, "rb_1", true); // an exclusive radio Qt would keep ticked
        ClearOptionBoxes(&window);
        QVERIFY(tickedNames(&window).isEmpty());
    }

    void researchPeriodSplitsIntoYearsAndMonths()
    {
        QLineEdit ys, ms, ye, me;
        SplitStartEndTime(QString("2005.03   至2006.12"), &ys, &ms, &ye, &me);
        QCOMPARE(QStringList({ys.text(), ms.text(), ye.text(), me.text()}),
                 QStringList({"2005", "03", "2006", "12"}));

        // No period: this month, from the program's clock.
        {
            const StandingClock clock(QDate(2026, 12, 31));
            SplitStartEndTime(QString(), &ys, &ms, &ye, &me);
            QCOMPARE(QStringList({ys.text(), ms.text(), ye.text(), me.text()}),
                     QStringList({"2026", "12", "2026", "12"}));
        }
        const StandingClock clock(QDate(2027, 3, 1));
        SplitStartEndTime(QString(), &ys, &ms, &ye, &me);
        QCOMPARE(QStringList({ys.text(), ms.text(), ye.text(), me.text()}),
                 QStringList({"2027", "03", "2027", "03"}));
    }

    void keyWordsSplitIntoThreeEdits_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("edits");
        QTest::newRow("one") << "甲" << QStringList({"甲", "", ""});
        QTest::newRow("two") << "甲;乙" << QStringList({"甲", "乙", ""});
        QTest::newRow("three") << "甲;乙;丙" << QStringList({"甲", "乙", "丙"});
        QTest::newRow("four") << "甲;乙;丙;丁" << QStringList({"甲", "乙", "丙"});
        QTest::newRow("trailing") << "甲;" << QStringList({"甲", "", ""});
        QTest::newRow("empty") << "" << QStringList({"", "", ""});
    }
    void keyWordsSplitIntoThreeEdits()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, edits);
        QLineEdit a, b, c;
        a.setText("old");
        b.setText("old");
        c.setText("old");
        SplitCodesToEdits(stored, &a, &b, &c);
        QCOMPARE(QStringList({a.text(), b.text(), c.text()}), edits);
    }

    void textHelpers()
    {
        QCOMPARE(DotDateToDashDate("2006.05.17"), QString("2006-05-17"));
        QCOMPARE(TabsToSpaces("a\tb\tc"), QString("a b c"));
        QCOMPARE(EscapeSqlQuotes("O'Neil's"), QString("O''Neil''s"));
    }

    void requireTextAbortsWithTheLabelMessage()
    {
        QCOMPARE(RequireText(nullptr, "  名称  ", "成果名称不能为空！"), QString("名称"));
        QVERIFY(m_boxes.isEmpty());
        bool aborted = false;
        try {
            RequireText(nullptr, "   ", "成果名称不能为空！");
        } catch (const Abort &) {
            aborted = true;
        }
        QVERIFY(aborted);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).text, QString("成果名称不能为空！"));
        QCOMPARE(m_boxes.at(0).icon, QMessageBox::Warning);
    }

    // No exception leaves a handler: a check ends it silently, anything
    // else is told in a box captioned "提示" and the program goes on.
    void guardedHandlersCatchEveryException()
    {
        QVERIFY(runGuarded(nullptr, [] {}));
        QVERIFY(!runGuarded(nullptr, [] { throw Abort{}; }));
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(!runGuarded(nullptr, [] { throw DbError(u"表文件损坏"_s); }));
        QVERIFY(!runGuarded(nullptr, [] { throw std::runtime_error("bad state"); }));
        QVERIFY(!runGuarded(nullptr, [] { throw 42; }));
        QCOMPARE(m_boxes.size(), 3);
        for (const Messages::Request &box : std::as_const(m_boxes))
            QCOMPARE(box.caption, u"提示"_s);
        QCOMPARE(m_boxes.at(0).text, u"表文件损坏"_s);
        QVERIFY(m_boxes.at(1).text.contains(u"bad state"_s));
        QVERIFY(!m_boxes.at(2).text.isEmpty());
    }
};

QTEST_MAIN(TestEntryRoutines)
#include "tst_entryroutines.moc"
