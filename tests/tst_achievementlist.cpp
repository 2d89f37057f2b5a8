// The rules of the achievement list and of the completeness lock, without
// windows.
#include "records/data/AchievementList.h"
#include "support/DbfFixture.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/TableSource.h"

#include <QTemporaryDir>

#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

using namespace AchievementList;

namespace {

// Every field the completeness rules require, and the section a record
// shows not done while that field is empty, by category: 应用技术 ('1'),
// 软科学 ('2'), 基础理论 ('3'); "" where the category does not require it.
struct Required
{
    const char *field;
    const char *applied;
    const char *soft;
    const char *basic;
};
const Required RequiredFields[] = {
    {"ITEM_8", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_1", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_201", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_125", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_13_1", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_13", "btn_page01", "btn_page01", "btn_page01"},
    {"ITEM_16", "btn_page01", "", ""},
    {"ITEM_33", "btn_page01", "", ""},
    {"ITEM_123", "btn_page01", "", ""},
    {"ITEM_125_1", "btn_page01", "", ""},
    {"ITEM_210", "", "btn_page01", "btn_page01"},
    {"ITEM_200", "", "btn_page01", "btn_page01"},
    {"ITEM_32", "btn_page02", "", ""},
    {"ITEM_161", "btn_page02", "", ""},
    {"ITEM_21", "btn_page03", "btn_page03", "btn_page03"},
    {"ITEM_126", "btn_page03", "btn_page03", "btn_page03"},
    {"ITEM_9", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_37", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_38", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_62", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_64", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_41", "btn_page04", "btn_page04", "btn_page04"},
    {"ITEM_41_2", "btn_page04", "btn_page04", "btn_page04"},
};

QStringList sectionList(const char *button)
{
    return *button ? QStringList{QString::fromLatin1(button)} : QStringList();
}

} // namespace

class TestAchievementList : public QObject
{
    Q_OBJECT

    // The shipped tables (rules, records, persons), built once; each record
    // of a test has a number of its own.
    QTemporaryDir m_tables;
    std::unique_ptr<Database> m_db;
    int m_records = 0;

    // A record of the category whose required fields are all filled, but
    // `empty`, which are left out or hold `blanks`.
    QString addRecord(const QString &category, const QStringList &empty, const QString &blanks = {})
    {
        const QString number = u"2006%1"_s.arg(++m_records, 6, 10, QLatin1Char('0'));
        Table kjcg(m_db.get(), u"kjcg.DBF"_s);
        kjcg.open();
        kjcg.append();
        kjcg.setString(u"ITEM_4"_s, number);
        kjcg.setString(u"ITEM_DQDM"_s, u"."_s);
        kjcg.setString(u"ITEM_CGLB"_s, category);
        kjcg.setString(u"ITEM_3"_s, u"成果"_s);
        for (const Required &r : RequiredFields) {
            const QString field = QString::fromLatin1(r.field);
            kjcg.setString(field, empty.contains(field) ? blanks : u"1"_s);
        }
        kjcg.post();
        return number;
    }

    void addPerson(const QString &number, const QString &region = u"."_s)
    {
        Table persons(m_db.get(), u"cgwcr.DBF"_s);
        persons.open();
        persons.append();
        persons.setString(u"ITEM_4"_s, number);
        persons.setString(u"ITEM_DQDM"_s, region);
        persons.setString(u"ITEM_180"_s, u"张三"_s);
        persons.post();
    }

    // The sections not done of the record, listed under its category.
    QStringList notDone(const QString &number, const QString &category)
    {
        Query record(m_db.get());
        record.setSql(u"select * from kjcg where item_4='%1'"_s.arg(number));
        record.open();
        Query rules(m_db.get());
        return sectionsNotDone(rules, record, category.toInt() - 1);
    }

private slots:
    void initTestCase()
    {
        TableSource::buildAll(QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables"), m_tables.path());
        m_db = std::make_unique<Database>(m_tables.path());
    }

    void aRequiredFieldLeftEmpty_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("expected");
        for (const Required &r : RequiredFields) {
            QTest::addRow("%s 应用技术", r.field) << QString::fromLatin1(r.field) << u"1"_s << sectionList(r.applied);
            QTest::addRow("%s 软科学", r.field) << QString::fromLatin1(r.field) << u"2"_s << sectionList(r.soft);
            QTest::addRow("%s 基础理论", r.field) << QString::fromLatin1(r.field) << u"3"_s << sectionList(r.basic);
        }
    }

    // One field empty in a record that has a completing person: only its
    // section, and only where the category requires the field.
    void aRequiredFieldLeftEmpty()
    {
        QFETCH(QString, field);
        QFETCH(QString, category);
        QFETCH(QStringList, expected);
        const QString number = addRecord(category, {field});
        addPerson(number);
        QCOMPARE(notDone(number, category), expected);
    }

    // At least one completing person of the record itself (number and
    // region), in every category.
    void thePersonsSection()
    {
        for (const QString &category : {u"1"_s, u"2"_s, u"3"_s}) {
            const QString complete = addRecord(category, {});
            addPerson(complete);
            QVERIFY2(notDone(complete, category).isEmpty(), qPrintable(category));

            const QString withoutPersons = addRecord(category, {});
            QCOMPARE(notDone(withoutPersons, category), QStringList{u"btn_page08"_s});

            // A person of the same number in another region is not the record's.
            const QString otherRegion = addRecord(category, {});
            addPerson(otherRegion, u"X01"_s);
            QCOMPARE(notDone(otherRegion, category), QStringList{u"btn_page08"_s});
        }
    }

    // Several sections at once, the persons' among them, come in the
    // panel's order; a field of blanks is empty; an empty list has nothing
    // not done.
    void severalSectionsAndAnEmptyList()
    {
        const QString number
            = addRecord(u"1"_s, {u"ITEM_41_2"_s, u"ITEM_161"_s, u"ITEM_126"_s, u"ITEM_8"_s}, u"   "_s);
        QCOMPARE(notDone(number, u"1"_s), QStringList({u"btn_page01"_s, u"btn_page02"_s, u"btn_page03"_s,
                                                     u"btn_page04"_s, u"btn_page08"_s}));
        QVERIFY(notDone(u"1999000001"_s, u"2"_s).isEmpty());
    }

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
