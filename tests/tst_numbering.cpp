// Registration numbers, duplicate names and the re-keying of a record's
// child rows, over a data folder of the shipped tables (no windows).
#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "records/Numbering.h"
#include "support/FileSizeLimit.h"
#include "support/RecordsData.h"

#include <QFileInfo>
#include <QTest>
#include <memory>

using Numbering::MainItems;
using Numbering::RecordKey;

namespace {
const QString Region = QStringLiteral(".");
const QString Kjcg = QStringLiteral("kjcg.DBF");

MainItems items(int category, const QString &year, const QString &name)
{
    MainItems m;
    m.categoryIndex = category;
    m.year = year;
    m.name = name;
    m.firstUnit = QStringLiteral("第一单位");
    m.managementNumber = QStringLiteral(" M-1 ");
    return m;
}
} // namespace

class TestNumbering : public QObject
{
    Q_OBJECT

    QTemporaryDir m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;

    Database *db() const { return m_db.get(); }

    void addRecord(const QString &item4, const QString &name, const FieldValues &more = {})
    {
        FieldValues values = {{QStringLiteral("ITEM_4"), item4},
                              {QStringLiteral("ITEM_DQDM"), Region},
                              {QStringLiteral("ITEM_CGLB"), QStringLiteral("1")},
                              {QStringLiteral("ITEM_3"), name}};
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
    void initTestCase() { buildShippedTables(m_shipped.path()); }

    void init()
    {
        m_db.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.path(), m_dir->path()));
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
        QCOMPARE(Numbering::nextNumber(db(), QStringLiteral("2023")), QStringLiteral("2023000001"));
        const RecordKey first = Numbering::storeNewRecord(db(), items(0, "2023", "甲"), 1);
        const RecordKey second = Numbering::storeNewRecord(db(), items(2, "2023", "乙"), 2);
        QCOMPARE(first.item4, QStringLiteral("2023000001"));
        QCOMPARE(second.item4, QStringLiteral("2023000002"));
        QCOMPARE(second.region, Region);

        auto stored = row(second);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(stored->asString("item_cglb"), QStringLiteral("3"));
        QCOMPARE(stored->asString("no"), QStringLiteral("2"));
        QCOMPARE(stored->asString("item_3"), QStringLiteral("乙"));
        QCOMPARE(stored->asString("item_9"), QStringLiteral("第一单位"));
        // The management number of a new record is kept as typed.
        QCOMPARE(stored->asString("item_120"), QStringLiteral(" M-1"));
        QVERIFY(stored->isNull("item_8"));
    }

    void largestPlusOneNeverFillsAGap()
    {
        for (const char *serial : {"000001", "000002", "000003", "000004", "000006", "000007"})
            addRecord(QStringLiteral("2023") + QLatin1String(serial), QLatin1String(serial));
        addRecord(QStringLiteral("2024000009"), QStringLiteral("next year"));
        addRecord(QStringLiteral("2023"), QStringLiteral("a year alone"));
        addRecord(QStringLiteral("2023ABCDEF"), QStringLiteral("not a number"));
        QCOMPARE(Numbering::largestNumber(db(), QStringLiteral("2023")), QStringLiteral("2023000007"));

        const RecordKey eighth = Numbering::storeNewRecord(db(), items(1, "2023", "新"), 1);
        QCOMPARE(eighth.item4, QStringLiteral("2023000008"));
        auto stored = row(eighth);
        stored->first();
        stored->remove();
        QCOMPARE(Numbering::nextNumber(db(), QStringLiteral("2023")), QStringLiteral("2023000008"));
        QCOMPARE(Numbering::nextNumber(db(), QStringLiteral("2024")), QStringLiteral("2024000010"));
    }

    void serialsOfAYearRunOut()
    {
        addRecord(QStringLiteral("2023999999"), QStringLiteral("last"));
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::nextNumber(db(), QStringLiteral("2023")));
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 Numbering::storeNewRecord(db(), items(0, "2023", "one more"), 1));
        QCOMPARE(countRows(db(), Kjcg), 1);
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::numberAfter("2023", "2023999999"));
        QCOMPARE(Numbering::numberAfter("2023", "2023999998"), QStringLiteral("2023999999"));
    }

    void namesAreComparedExactlyAndSafely()
    {
        const QString quoted = QStringLiteral("O'Neil's 方法");
        addRecord(QStringLiteral("2023000001"), quoted);
        addRecord(QStringLiteral("2023000002"), QStringLiteral("其他"));
        QVERIFY(Numbering::nameTaken(db(), quoted));
        QVERIFY(!Numbering::nameTaken(db(), QStringLiteral("O'Neil")));
        QVERIFY(!Numbering::nameTaken(db(), QStringLiteral("x' or '1'='1")));
        // The record's own row does not count; another record's does.
        QVERIFY(!Numbering::nameTaken(db(), quoted, {QStringLiteral("2023000001"), Region}));
        QVERIFY(Numbering::nameTaken(db(), quoted, {QStringLiteral("2023000002"), Region}));
        // The same number in another region is another record.
        QVERIFY(Numbering::nameTaken(db(), quoted, {QStringLiteral("2023000001"), QStringLiteral("B")}));
    }

    void aNewYearMovesTheRecordAndAllItsChildren()
    {
        const RecordKey old{QStringLiteral("2022000003"), Region};
        addRecord(old.item4, QStringLiteral("it's old"));
        addChildren(db(), old.item4, Region);
        addPerson(db(), old.item4, Region, QStringLiteral("王五"));
        addRecord(QStringLiteral("2023000004"), QStringLiteral("of the new year"));
        addChildren(db(), QStringLiteral("2023000004"), Region);
        // Another region's record that carries the same number keeps its rows.
        addChildren(db(), old.item4, QStringLiteral("B"));

        const RecordKey now =
            Numbering::storeModifiedRecord(db(), old, items(1, "2023", "it's renamed"));
        QCOMPARE(now, (RecordKey{QStringLiteral("2023000005"), Region}));
        QCOMPARE(childRows(now.item4), 5);
        QCOMPARE(childRows(old.item4), 0);
        QCOMPARE(childRows(QStringLiteral("2023000004")), 4);
        int otherRegion = 0;
        for (const QString &file : Numbering::childTables())
            otherRegion += countRows(db(), file, keyFilter(old.item4, QStringLiteral("B")));
        QCOMPARE(otherRegion, 4);

        auto stored = row(now);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(stored->asString("item_3"), QStringLiteral("it's renamed"));
        QCOMPARE(stored->asString("item_cglb"), QStringLiteral("2"));
        QCOMPARE(stored->asString("item_120"), QStringLiteral("M-1"));
        QCOMPARE(countRows(db(), Kjcg), 2);
    }

    void aNameChangeKeepsTheNumberAndTheChildren()
    {
        const RecordKey key{QStringLiteral("2023000002"), Region};
        addRecord(QStringLiteral("2023000001"), QStringLiteral("same"));
        addRecord(key.item4, QStringLiteral("same"));  // an old name shared by two records
        addChildren(db(), key.item4, Region);
        QCOMPARE(Numbering::storeModifiedRecord(db(), key, items(0, "2023", "新名")), key);
        QCOMPARE(childRows(key.item4), 4);
        QCOMPARE(row(key)->asString("item_3"), QStringLiteral("新名"));
        // The record found is the one of that number, not the first of that name.
        QCOMPARE(row({QStringLiteral("2023000001"), Region})->asString("item_3"), QStringLiteral("same"));
    }

    void aRecordThatIsGoneIsReported()
    {
        QVERIFY_THROWS_EXCEPTION(DbError, Numbering::storeModifiedRecord(
                                              db(), {QStringLiteral("2023000001"), Region},
                                              items(0, "2023", "x")));
    }

    void modifyingEmptiesTheOtherCategoryGroup_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("keptForm");
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QStringList>("kept");
        const QStringList appliedOnly = {"ITEM_123", "ITEM_124_1", "ITEM_16", "ITEM_33",
                                         "ITEM_32",  "ITEM_32_1",  "ITEM_125_1"};
        const QStringList othersOnly = {"ITEM_210", "ITEM_200"};
        QTest::newRow("applied, form 4") << 0 << "4" << "" << othersOnly << appliedOnly;
        QTest::newRow("applied, form 5") << 0 << "5" << "5" << othersOnly << appliedOnly;
        QTest::newRow("soft science, form 1") << 1 << "1" << "" << appliedOnly << othersOnly;
        QTest::newRow("basic theory, form 6") << 2 << "6" << "6" << appliedOnly << othersOnly;
    }
    void modifyingEmptiesTheOtherCategoryGroup()
    {
        QFETCH(int, category);
        QFETCH(QString, form);
        QFETCH(QString, keptForm);
        QFETCH(QStringList, emptied);
        QFETCH(QStringList, kept);
        FieldValues values = {{QStringLiteral("ITEM_21"), form}};
        for (const QString &field : emptied + kept)
            values.append({field, QStringLiteral("1")});
        const RecordKey key{QStringLiteral("2023000001"), Region};
        addRecord(key.item4, QStringLiteral("n"), values);
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
        addRecord(QStringLiteral("2023000001"), QStringLiteral("a"));
        const qint64 size = QFileInfo(db()->resolvePath(Kjcg)).size();
        {
            FileSizeLimit limit(size);
            QVERIFY(limit.active());
            QVERIFY_THROWS_EXCEPTION(DbError,
                                     Numbering::storeNewRecord(db(), items(0, "2023", "b"), 2));
        }
        QCOMPARE(countRows(db(), Kjcg), 1);
        QCOMPARE(Numbering::storeNewRecord(db(), items(0, "2023", "b"), 2).item4,
                 QStringLiteral("2023000002"));
    }

    // The main row moves first; when the last child table cannot follow, the
    // children already moved and the main row go back to the old number.
    void childrenThatCannotFollowPutTheRecordBack()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no file size limit on this system");
        const RecordKey old{QStringLiteral("2022000001"), Region};
        addRecord(old.item4, QStringLiteral("moving"));
        addRecord(QStringLiteral("2023000001"), QStringLiteral("there"));
        // Rows of another record put this record's person far into its file.
        for (int i = 0; i < 60; ++i)
            addPerson(db(), QStringLiteral("2023000001"), Region, QStringLiteral("人%1").arg(i));
        addChildren(db(), old.item4, Region);
        const qint64 kjcgEnd = QFileInfo(db()->resolvePath(Kjcg)).size();
        const qint64 personsEnd = QFileInfo(db()->resolvePath(QStringLiteral("cgwcr.DBF"))).size();
        QVERIFY(personsEnd - 400 > kjcgEnd);
        {
            FileSizeLimit limit(personsEnd - 400);
            QVERIFY(limit.active());
            QVERIFY_THROWS_EXCEPTION(DbError, Numbering::storeModifiedRecord(
                                                  db(), old, items(0, "2023", "moved")));
        }
        QCOMPARE(childRows(old.item4), 4);
        QCOMPARE(childRows(QStringLiteral("2023000002")), 0);
        auto stored = row(old);
        QCOMPARE(stored->recordCount(), 1);
        QCOMPARE(Numbering::largestNumber(db(), QStringLiteral("2023")), QStringLiteral("2023000001"));
    }
};

QTEST_GUILESS_MAIN(TestNumbering)
#include "tst_numbering.moc"
