// The rules of the achievement list and of the completeness lock, without
// windows.
#include "records/data/AchievementList.h"
#include "support/DbfFixture.h"

#include "engine/DataSet.h"
#include "engine/Database.h"

#include <QTemporaryDir>

#include <QTest>

using namespace Qt::StringLiterals;

using namespace AchievementList;

class TestAchievementList : public QObject
{
    Q_OBJECT

private slots:
    void listSqlByCategoryAndYear()
    {
        QCOMPARE(listSql(0, u"2006"_s), u"select * from kjcg where item_cglb='1' and item_4 like '2006%'"_s);
        QCOMPARE(listSql(2, u"2005 "_s), u"select * from kjcg where item_cglb='3' and item_4 like '2005%'"_s);
        QVERIFY(listSql(-1, u"2006"_s).isEmpty());
        // Whatever reaches the year, it stays inside its quotes.
        QCOMPARE(listSql(1, u"2'or"_s), u"select * from kjcg where item_cglb='2' and item_4 like '2''or%'"_s);
    }

    void yearsOfRegistrationNumbers()
    {
        QCOMPARE(yearsOf({u"2006000002"_s, u"2006000001"_s, u"2005000001"_s}),
                 QStringList({u"2006"_s, u"2005"_s}));
        QVERIFY(yearsOf({}).isEmpty());
        // Short or non-numeric years are not offered; the years after them are.
        QCOMPARE(yearsOf({u"abcd000001"_s, u"20"_s, u" 2004000003"_s}), QStringList({u"2004"_s}));
    }

    void rulesMarkTheFourSectionsOnly()
    {
        QCOMPARE(buttonOfRule(u"01"_s) + buttonOfRule(u"04"_s), u"btn_page01btn_page04"_s);
        QVERIFY((buttonOfRule(u"05"_s) + buttonOfRule(u"08"_s) + buttonOfRule({})).isEmpty());
    }

    void requiredSectionsByCategory()
    {
        QCOMPARE(requiredButtons(u"1"_s), QStringList({u"btn_page01"_s, u"btn_page02"_s, u"btn_page03"_s,
                                                      u"btn_page04"_s, u"btn_page08"_s}));
        for (const QString &category : {u"2"_s, u"3"_s, QString()})
            QCOMPARE(requiredButtons(category),
                     QStringList({u"btn_page01"_s, u"btn_page03"_s, u"btn_page04"_s, u"btn_page08"_s}));

        QHash<QString, bool> done;
        for (const Section &s : sections())
            done.insert(s.button, true);
        QVERIFY(isComplete(u"1"_s, done));

        done[u"btn_page02"_s] = false;
        QVERIFY(!isComplete(u"1"_s, done));
        QVERIFY(isComplete(u"2"_s, done));
        QVERIFY(isComplete(u"3"_s, done));
        // An empty list has no category and needs no page 2 either.
        QVERIFY(isComplete(QString(), done));

        done[u"btn_page02"_s] = true;
        // Optional sections never lock.
        for (const char *optional : {"btn_page05", "btn_page07", "btn_page09"})
            done[QString::fromLatin1(optional)] = false;
        QVERIFY(isComplete(u"1"_s, done));
        done[u"btn_page08"_s] = false;
        QVERIFY(!isComplete(u"2"_s, done));
    }

    void closeQuestionAsksAtTheFirstIncompleteSection()
    {
        QHash<QString, bool> done;
        for (const Section &s : sections())
            done.insert(s.button, true);
        QVERIFY(closeQuestion(u"1"_s, done).isEmpty());

        done[u"btn_page08"_s] = false;
        QCOMPARE(closeQuestion(u"1"_s, done), u"成果完成人员名单没有填完,是否以后再填写该项目？？"_s);
        done[u"btn_page04"_s] = false;
        QCOMPARE(closeQuestion(u"1"_s, done), u"第一完成单位情况没有填完,是否以后再填写该项目？"_s);
        done[u"btn_page03"_s] = false;
        QCOMPARE(closeQuestion(u"1"_s, done), u"课题立项，评价没有填完,是否以后再填写该项目？"_s);
        done[u"btn_page02"_s] = false;
        QCOMPARE(closeQuestion(u"1"_s, done), u"知识产权，成果应用情况没有填完,是否以后再填写该项目？"_s);
        // Page 2 is passed over for the other categories.
        QCOMPARE(closeQuestion(u"2"_s, done), u"课题立项，评价没有填完,是否以后再填写该项目？"_s);
        done[u"btn_page01"_s] = false;
        QCOMPARE(closeQuestion(u"3"_s, done), u"成果概况没有填完,是否以后再填写该项目？"_s);
    }

    // The key compares exactly, quotes and a trailing "*" included: the
    // child-row delete goes through this filter.
    void recordKeyFilterComparesExactly()
    {
        QTemporaryDir dir;
        makeTable(dir.path(), u"zlqk.dbf"_s, {dbfField(u"ITEM_4"_s, 'C', 10), dbfField(u"ITEM_DQDM"_s, 'C', 3)},
                  {{u"2006000001"_s, u"1"_s}, {u"2006000001"_s, u"12"_s}, {u"2006000001"_s, u"1*"_s},
                   {u"2006000001"_s, u"1A"_s}, {u"2006'00001"_s, u"a'b"_s}, {u"2006000002"_s, u"1*"_s}});
        Database db(dir.path());
        Table patents(&db, u"zlqk"_s);
        patents.setFilter(recordKeyFilter(u"2006000001"_s, u"1*"_s));
        patents.setFiltered(true);
        patents.open();
        QCOMPARE(patents.recordCount(), 1);
        QCOMPARE(patents.asString(u"ITEM_DQDM"_s), u"1*"_s);
        patents.close();
        patents.setFilter(recordKeyFilter(u"2006'00001"_s, u"a'b"_s));
        patents.open();
        QCOMPARE(patents.recordCount(), 1);
        QCOMPARE(patents.filter(), u"item_4='2006''00001' and item_dqdm='a''b'"_s);
        // Set again from its rule (not its text), it stays exact.
        patents.setFilter(recordKeyFilter(u"2006000001"_s, u"1*"_s));
        const Filter rule = patents.filterRule();
        patents.setFilter(u"item_4='2006000002'"_s);
        patents.setFilter(rule);
        QCOMPARE(patents.recordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAchievementList)
#include "tst_achievementlist.moc"
