// Registration numbers, duplicate names and the re-keying of a record's
// child rows, over a data folder of the shipped tables (no windows).
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "records/data/Numbering.h"
#include "support/FileSizeLimit.h"
#include "support/RecordsData.h"

#include <QFileInfo>
#include <QTest>
#include <memory>

using Numbering::MainItems;
using Numbering::RecordKey;

namespace {
const QString Region = u"."_s;
const QString Kjcg = u"kjcg.DBF"_s;

MainItems items(int category, const QString &year, const QString &name)
{
    MainItems m;
    m.categoryIndex = category;
    m.year = year;
    m.name = name;
    m.firstUnit = u"第一单位"_s;
    m.managementNumber = u" M-1 "_s;
    return m;
}
} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

    DataFixture m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;

    Database *db() const { return m_db.get(); }

    void addRecord(const QString &item4, const QString &name, const FieldValues &more = {})
    {
        FieldValues values
            = {{u"ITEM_4"_s, item4}, {u"ITEM_DQDM"_s, Region}, {u"ITEM_CGLB"_s, u"1"_s}, {u"ITEM_3"_s, name}};
        values += more;
        appendRow(db(), Kjcg, values);
    }

    // The record's row, found by its key.
    std::unique_ptr<Table> row(const RecordKey &key)
    {
        auto table = std::make_unique<Table>(db(), Kjcg);
        table->setFilter(keyFilter(key.item4, key.region));
        table->setFiltered(true);
        table->open();
        return table;
    }

    int childRows(const QString &item4)
    {
        int rows = 0;
        for (const QString &file : Numbering::childTables())
            rows += countRows(db(), file, keyFilter(item4, Region));
        return rows;
    }

private slots:
    void initTestCase() { m_shipped.buildOnce(); }

    void init()
    {
        m_db.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.shippedPath(), m_dir->path()));
        m_db = std::make_unique<Database>(m_dir->path());
    }

    void cleanup() { m_db.reset(); }

    void yearsThatNumber_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<bool>("valid");
        QTest::newRow("first") << "1900" << true;
        QTest::newRow("last") << "2050" << true;
        QTest::newRow("too early") << "1899" << false;
        QTest::newRow("too late") << "2051" << false;
        QTest::newRow("short") << "20" << false;
        QTest::newRow("letter") << "20a3" << false;
        QTest::newRow("quote") << "20'3" << false;
        QTest::newRow("blank inside") << "2 23" << false;
    }
    void yearsThatNumber()
    {
        QFETCH(QString, year);
        QFETCH(bool, valid);
        QCOMPARE(Numbering::isValidYear(year), valid);
        if (!valid)
            QVERIFY_THROWS_EXCEPTION(DbError, Numbering::nextNumber(db(), year));
    }

    void firstAndNextOfAYearWhateverTheCategory()
    {
        QCOMPARE(Numbering::nextNumber(db(), u"2023"_s), u"2023000001"_s);
        const RecordKey first = Numbering::storeNewRecord(db(), items(0, "2023", "甲"), 1);
        const RecordKey second = Numbering::storeNewRecord(db(), items(2, "2023", "乙"), 2);
        QCOMPARE(first.item4, u"2023000001"_s);
        QCOMPARE(second.item4, u"2023000002"_s);
        QCOMPARE(second.region, Region);

        auto stored = row(second);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(stored->asString("item_cglb"), u"3"_s);
        QCOMPARE(stored->asString("no"), u"2"_s);
        QCOMPARE(stored->asString("item_3"), u"乙"_s);
        QCOMPARE(stored->asString("item_9"), u"第一单位"_s);
        // The management number of a new record is kept as typed.
        QCOMPARE(stored->asString("item_120"), u" M-1"_s);
        QVERIFY(stored->isNull("item_8"));
    }

    void largestPlusOneNeverFillsAGap()
    {
        for (const char *serial : {"000001", "000002", "000003", "000004", "000006", "000007"})
            addRecord(u"2023"_s + QLatin1String(serial), QLatin1String(serial));
        addRecord(u"2024000009"_s, u"next year"_s);
        addRecord(u"2023"_s, u"a year alone"_s);
        addRecord(u"2023ABCDEF"_s, u"not a number"_s);
        QCOMPARE(Numbering::largestNumber(db(), u"2023"_s), u"2023000007"_s);

        const RecordKey eighth = Numbering::storeNewRecord(db(), items(1, "2023", "新"), 1);
        QCOMPARE(eighth.item4, u"2023000008"_s);
        auto stored = row(eighth);
        stored->first();
        stored->remove();
        QCOMPARE(Numbering::nextNumber(db(), u"2023"_s), u"2023000008"_s);
        QCOMPARE(Numbering::nextNumber(db(), u"2024"_s), u"2024000010"_s);
    }

    // A delete that failed half way leaves child rows under a number that
    // kjcg no longer holds: a new record never receives that number, and
    // the list place of a new record counts only its own list.
    void numbersOfLeftChildRowsAreNotHandedOut()
    {
        addRecord(u"2023000007"_s, u"seven"_s);
        addChildren(db(), u"2023000009"_s, Region);
        appendRow(db(), u"cgwcr.DBF"_s, {{u"ITEM_4"_s, u"2023000011"_s}, {u"ITEM_DQDM"_s, u"X01"_s}});
        QCOMPARE(Numbering::nextNumber(db(), u"2023"_s), u"2023000012"_s);
        const RecordKey stored = Numbering::storeNewRecord(db(), items(0, "2023", "新"), 1);
        QCOMPARE(stored.item4, u"2023000012"_s);
        QCOMPARE(Numbering::nextNumber(db(), u"2024"_s), u"2024000001"_s);

        QCOMPARE(Numbering::newListPlace(db(), 0, u"2023"_s), 3);
        QCOMPARE(Numbering::newListPlace(db(), 1, u"2023"_s), 1);
        QCOMPARE(Numbering::newListPlace(db(), 0, u"2022"_s), 1);
    }

    void serialsOfAYearRunOut()
    {
        addRecord(u"2023999999"_s, u"last"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::nextNumber(db(), u"2023"_s));
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::storeNewRecord(db(), items(0, "2023", "one more"), 1));
        QCOMPARE(countRows(db(), Kjcg), 1);
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::numberAfter("2023", "2023999999"));
        QCOMPARE(Numbering::numberAfter("2023", "2023999998"), u"2023999999"_s);
    }

    void namesAreComparedExactlyAndSafely()
    {
        const QString quoted = u"O'Neil's 方法"_s;
        addRecord(u"2023000001"_s, quoted);
        addRecord(u"2023000002"_s, u"其他"_s);
        QVERIFY(Numbering::nameTaken(db(), quoted));
        QVERIFY(!Numbering::nameTaken(db(), u"O'Neil"_s));
        QVERIFY(!Numbering::nameTaken(db(), u"x' or '1'='1"_s));
        // The record's own row does not count; another record's does.
        QVERIFY(!Numbering::nameTaken(db(), quoted, {u"2023000001"_s, Region}));
        QVERIFY(Numbering::nameTaken(db(), quoted, {u"2023000002"_s, Region}));
        // The same number in another region is another record.
        QVERIFY(Numbering::nameTaken(db(), quoted, {u"2023000001"_s, u"B"_s}));
    }

    void aNewYearMovesTheRecordAndAllItsChildren()
    {
        const RecordKey old{u"2022000003"_s, Region};
        addRecord(old.item4, u"it's old"_s);
        addChildren(db(), old.item4, Region);
        addPerson(db(), old.item4, Region, u"王五"_s);
        addRecord(u"2023000004"_s, u"of the new year"_s);
        addChildren(db(), u"2023000004"_s, Region);
        // Another region's record that carries the same number keeps its rows.
        addChildren(db(), old.item4, u"B"_s);

        const RecordKey now = Numbering::storeModifiedRecord(db(), old, items(1, "2023", "it's renamed"));
        QCOMPARE(now, (RecordKey{u"2023000005"_s, Region}));
        QCOMPARE(childRows(now.item4), 5);
        QCOMPARE(childRows(old.item4), 0);
        QCOMPARE(childRows(u"2023000004"_s), 4);
        int otherRegion = 0;
        for (const QString &file : Numbering::childTables())
            otherRegion += countRows(db(), file, keyFilter(old.item4, u"B"_s));
        QCOMPARE(otherRegion, 4);

        auto stored = row(now);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(stored->asString("item_3"), u"it's renamed"_s);
        QCOMPARE(stored->asString("item_cglb"), u"2"_s);
        QCOMPARE(stored->asString("item_120"), u"M-1"_s);
        QCOMPARE(countRows(db(), Kjcg), 2);
    }

    void aNameChangeKeepsTheNumberAndTheChildren()
    {
        const RecordKey key{u"2023000002"_s, Region};
        addRecord(u"2023000001"_s, u"same"_s);
        addRecord(key.item4, u"same"_s); // an old name shared by two records
        addChildren(db(), key.item4, Region);
        QCOMPARE(Numbering::storeModifiedRecord(db(), key, items(0, "2023", "新名")), key);
        QCOMPARE(childRows(key.item4), 4);
        QCOMPARE(row(key)->asString("item_3"), u"新名"_s);
        // The record found is the one of that number, not the first of that name.
        QCOMPARE(row({u"2023000001"_s, Region})->asString("item_3"), u"same"_s);
    }

    void aRecordThatIsGoneIsReported()
    {
        QVERIFY_THROWS_EXCEPTION(
            DbError, Numbering::storeModifiedRecord(db(), {u"2023000001"_s, Region}, items(0, "2023", "x")));
    }

    void modifyingEmptiesTheOtherCategoryGroup_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("keptForm");
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QStringList>("kept");
        const QStringList appliedOnly
            = {"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33", "ITEM_32", "ITEM_32_1", "ITEM_125_1"};
        const QStringList othersOnly = {"ITEM_210", "ITEM_200"};
        QTest::newRow("applied, form 4") << 0 << "4"
                                         << "" << othersOnly << appliedOnly;
        QTest::newRow("applied, form 5") << 0 << "5"
                                         << "5" << othersOnly << appliedOnly;
        QTest::newRow("soft science, form 1") << 1 << "1"
                                              << "" << appliedOnly << othersOnly;
        QTest::newRow("basic theory, form 6") << 2 << "6"
                                              << "6" << appliedOnly << othersOnly;
    }
    void modifyingEmptiesTheOtherCategoryGroup()
    {
        QFETCH(int, category);
        QFETCH(QString, form);
        QFETCH(QString, keptForm);
        QFETCH(QStringList, emptied);
        QFETCH(QStringList, kept);
        FieldValues values = {{u"ITEM_21"_s, form}};
        for (const QString &field : emptied + kept)
            values.append({field, u"1"_s});
        const RecordKey key{u"2023000001"_s, Region};
        addRecord(key.item4, u"n"_s, values);
        Numbering::storeModifiedRecord(db(), key, items(category, "2023", "n"));
        auto stored = row(key);
        QCOMPARE(stored->asString("ITEM_21"), keptForm);
        for (const QString &field : emptied)
            QVERIFY2(stored->isNull(field), qPrintable(field));
        for (const QString &field : kept)
            QVERIFY2(!stored->isNull(field), qPrintable(field));
    }

    void aNewRowThatCannotBeWrittenLeavesNothing()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        addRecord(u"2023000001"_s, u"a"_s);
        const qint64 size = QFileInfo(db()->resolvePath(Kjcg)).size();
        {
            FileSizeLimit limit(size);
            QVERIFY(limit.active());
            QVERIFY_THROWS_EXCEPTION(DbError, Numbering::storeNewRecord(db(), items(0, "2023", "b"), 2));
        }
        QCOMPARE(countRows(db(), Kjcg), 1);
        QCOMPARE(Numbering::storeNewRecord(db(), items(0, "2023", "b"), 2).item4, u"2023000002"_s);
    }

    // The main row moves first; when the last child table cannot follow, the
    // children already moved and the main row go back to the old number.
    void childrenThatCannotFollowPutTheRecordBack()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        const RecordKey old{u"2022000001"_s, Region};
        addRecord(old.item4, u"moving"_s);
        addRecord(u"2023000001"_s, u"there"_s);
        // Rows of another record put this record's person far into its file.
        for (int i = 0; i < 60; ++i)
            addPerson(db(), u"2023000001"_s, Region, u"人%1"_s.arg(i));
        addChildren(db(), old.item4, Region);
        const qint64 kjcgEnd = QFileInfo(db()->resolvePath(Kjcg)).size();
        const qint64 personsEnd = QFileInfo(db()->resolvePath(u"cgwcr.DBF"_s)).size();
        QVERIFY(personsEnd - 400 > kjcgEnd);
        {
            FileSizeLimit limit(personsEnd - 400);
            QVERIFY(limit.active());
            QVERIFY_THROWS_EXCEPTION(DbError,
                                     Numbering::storeModifiedRecord(db(), old, items(0, "2023", "moved")));
        }
        QCOMPARE(childRows(old.item4), 4);
        QCOMPARE(childRows(u"2023000002"_s), 0);
        auto stored = row(old);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(Numbering::largestNumber(db(), u"2023"_s), u"2023000001"_s);
    }
};

QTEST_GUILESS_MAIN(TestNumbering)
#include "tst_numbering.moc"
