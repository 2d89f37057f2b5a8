// The rules of the achievement list and of the completeness lock, without
// windows.
#include "records/AchievementList.h"

#include <QTest>

using namespace AchievementList;

class TestAchievementList : public QObject
{
    Q_OBJECT

private slots:
    void listSqlByCategoryAndYear()
    {
        QCOMPARE(listSql(0, QStringLiteral("2006")),
                 QStringLiteral("select * from kjcg where item_cglb='1' and item_4 like '2006%'"));
        QCOMPARE(listSql(2, QStringLiteral("2005 ")),
                 QStringLiteral("select * from kjcg where item_cglb='3' and item_4 like '2005%'"));
        QVERIFY(listSql(-1, QStringLiteral("2006")).isEmpty());
        // Whatever reaches the year, it stays inside its quotes.
        QCOMPARE(listSql(1, QStringLiteral("2'or")),
                 QStringLiteral("select * from kjcg where item_cglb='2' and item_4 like '2''or%'"));
    }

    void ruleFilterIsSharedByTheOtherCategories()
    {
        QCOMPARE(ruleFilter(0), QStringLiteral("lb='a' or lb='1'"));
        QCOMPARE(ruleFilter(1), QStringLiteral("lb='a' or lb='2'"));
        QCOMPARE(ruleFilter(2), ruleFilter(1));
    }

    void yearsOfRegistrationNumbers()
    {
        QCOMPARE(yearsOf({QStringLiteral("2006000002"), QStringLiteral("2006000001"),
                          QStringLiteral("2005000001")}),
                 QStringList({QStringLiteral("2006"), QStringLiteral("2005")}));
        QVERIFY(yearsOf({}).isEmpty());
        // Short or non-numeric years are not offered; the years after them are.
        QCOMPARE(yearsOf({QStringLiteral("abcd000001"), QStringLiteral("20"),
                          QStringLiteral(" 2004000003")}),
                 QStringList({QStringLiteral("2004")}));
    }

    void rulesMarkTheFourSectionsOnly()
    {
        QCOMPARE(buttonOfRule(QStringLiteral("01")), QStringLiteral("btn_page01"));
        QCOMPARE(buttonOfRule(QStringLiteral("04")), QStringLiteral("btn_page04"));
        QVERIFY(buttonOfRule(QStringLiteral("05")).isEmpty());
        QVERIFY(buttonOfRule(QStringLiteral("08")).isEmpty());
        QVERIFY(buttonOfRule(QString()).isEmpty());
    }

    void requiredSectionsByCategory()
    {
        QHash<QString, bool> done;
        for (const Section &s : sections())
            done.insert(s.button, true);
        QVERIFY(isComplete(QStringLiteral("1"), done));

        done[QStringLiteral("btn_page02")] = false;
        QVERIFY(!isComplete(QStringLiteral("1"), done));
        QVERIFY(isComplete(QStringLiteral("2"), done));
        QVERIFY(isComplete(QStringLiteral("3"), done));
        // An empty list has no category and needs no page 2 either.
        QVERIFY(isComplete(QString(), done));

        done[QStringLiteral("btn_page02")] = true;
        // Optional sections never lock.
        for (const char *optional : {"btn_page05", "btn_page07", "btn_page09"})
            done[QString::fromLatin1(optional)] = false;
        QVERIFY(isComplete(QStringLiteral("1"), done));
        done[QStringLiteral("btn_page08")] = false;
        QVERIFY(!isComplete(QStringLiteral("2"), done));
    }

    void closeQuestionAsksAtTheFirstIncompleteSection()
    {
        QHash<QString, bool> done;
        for (const Section &s : sections())
            done.insert(s.button, true);
        QVERIFY(closeQuestion(QStringLiteral("1"), done).isEmpty());

        done[QStringLiteral("btn_page08")] = false;
        QCOMPARE(closeQuestion(QStringLiteral("1"), done),
                 QStringLiteral("成果完成人员名单没有填完,是否以后再填写该项目？？"));
        done[QStringLiteral("btn_page04")] = false;
        QCOMPARE(closeQuestion(QStringLiteral("1"), done),
                 QStringLiteral("第一完成单位情况没有填完,是否以后再填写该项目？"));
        done[QStringLiteral("btn_page03")] = false;
        QCOMPARE(closeQuestion(QStringLiteral("1"), done),
                 QStringLiteral("课题立项，评价没有填完,是否以后再填写该项目？"));
        done[QStringLiteral("btn_page02")] = false;
        QCOMPARE(closeQuestion(QStringLiteral("1"), done),
                 QStringLiteral("知识产权，成果应用情况没有填完,是否以后再填写该项目？"));
        // Page 2 is passed over for the other categories.
        QCOMPARE(closeQuestion(QStringLiteral("2"), done),
                 QStringLiteral("课题立项，评价没有填完,是否以后再填写该项目？"));
        done[QStringLiteral("btn_page01")] = false;
        QCOMPARE(closeQuestion(QStringLiteral("3"), done),
                 QStringLiteral("成果概况没有填完,是否以后再填写该项目？"));
    }

    void recordKeyFilterQuotesTheKey()
    {
        QCOMPARE(recordKeyFilter(QStringLiteral("2006000001"), QStringLiteral(".")),
                 QStringLiteral("item_4='2006000001' and item_dqdm='.'"));
        QCOMPARE(recordKeyFilter(QStringLiteral("2006'00001"), QStringLiteral("a'b")),
                 QStringLiteral("item_4='2006''00001' and item_dqdm='a''b'"));
    }
};

QTEST_GUILESS_MAIN(TestAchievementList)
#include "tst_achievementlist.moc"
