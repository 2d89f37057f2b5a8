// The import without its window: loading a package's text files into the
// staging tables, the commands on staged records, and storing them in the
// main tables under new numbers, record by record.
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/GbkText.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/ImportStaging.h"
#include "exchange/ImportStore.h"
#include "engine/TableJournal.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"
#include "support/ImportData.h"
#include "support/SmallDisk.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStorageInfo>
#include <QtTest>

namespace {

const QString Kjcg = u"kjcg.DBF"_s;

QStringList column(Database *db, const QString &table, const QString &field, const QString &filter = {})
{
    Table t(db, table);
    if (!filter.isEmpty()) {
        t.setFilter(filter);
        t.setFiltered(true);
    }
    t.open();
    QStringList values;
    for (t.first(); !t.eof(); t.next())
        values << t.asString(field);
    return values;
}

// The fields the kill test reads of each table, by another dBase reader,
// for many data folders in one run: {folder: {table: [[values]]}}.
const char *const KilledFoldersReader = R"(
import dbf, json, os, sys
tables = {'kjcg': ['item_4', 'item_dqdm', 'item_3'], 'kjcgtemp': ['item_4', 'item_dqdm', 'item_3'],
          'cgwcr': ['item_4', 'item_dqdm', 'item_180'], 'cgwcrtemp': ['item_4', 'item_dqdm', 'item_180'],
          'cgwcrnew': ['item_180', 'item_185']}
for child in ['zlqk', 'jdwyhmd', 'cgwcdw']:
    tables[child] = tables[child + 'temp'] = ['item_4', 'item_dqdm']
out = {}
for folder in sys.argv[1:]:
    names = {f.lower(): f for f in os.listdir(folder)}
    out[folder] = {}
    for table, fields in tables.items():
        t = dbf.Table(os.path.join(folder, names[table + '.dbf']))
        t.open(dbf.READ_ONLY)
        out[folder][table] = [[r[f].rstrip() for f in fields] for r in t if not dbf.is_deleted(r)]
        t.close()
print(json.dumps(out))
)";

// Runs the store in a child process, killed before write killAt (0: not
// killed). Returns its output; crashed tells whether it was killed.
QString runStoreChild(const QString &folder, const QString &mode, int killAt, bool *crashed)
{
    return runImportStoreChild({folder, mode}, killAt, crashed);
}

} // namespace

class TestImportStore : public QObject
{
    Q_OBJECT

    DataFixture f;
    BoxLog m_log;

    Database *db() const { return f.db(); }

    // One data folder after a killed store and the start-up: returns the
    // records stored (QVERIFY failures name the folder).
    int checkKilledFolder(const QJsonObject &tables, bool overwrite, const QString &context)
    {
        const auto rows = [&](const QString &table) {
            QList<QStringList> list;
            for (const QJsonValue &row : tables.value(table).toArray())
                list << row.toVariant().toStringList();
            return list;
        };
        const auto keyOf = [](const QStringList &row) { return row[0] + u'|' + row[1]; };
        const QStringList children = {u"zlqk"_s, u"jdwyhmd"_s, u"cgwcdw"_s, u"cgwcr"_s};
        // Rows of each key in each child table, main and staged.
        QHash<QString, QHash<QString, int>> childRows;
        for (const QString &child : children) {
            for (const QString &table : {child, child + u"temp"_s}) {
                for (const QStringList &row : rows(table))
                    ++childRows[table][keyOf(row)];
            }
        }
        const auto wholeIn = [&](const QString &suffix, const QString &key, int persons) {
            for (const QString &child : children) {
                const int expected = child == u"cgwcr"_s ? persons : 1;
                if (childRows[child + suffix].value(key) != expected)
                    return false;
            }
            return true;
        };
        const auto goneFrom = [&](const QString &suffix, const QString &key) {
            for (const QString &child : children) {
                if (childRows[child + suffix].contains(key))
                    return false;
            }
            return true;
        };

        // The main records by key; every child row belongs to one.
        QHash<QString, QString> mainTitles;
        for (const QStringList &row : rows(u"kjcg"_s)) {
            if (mainTitles.contains(keyOf(row))) {
                QTest::qVerify(false, "two main records of one key", qPrintable(context + u" "_s + keyOf(row)), __FILE__, __LINE__);
                return -1;
            }
            mainTitles.insert(keyOf(row), row[2]);
        }
        for (const QString &child : children) {
            for (auto it = childRows[child].cbegin(); it != childRows[child].cend(); ++it) {
                if (!mainTitles.contains(it.key())) {
                    QTest::qVerify(false, "orphan child row", qPrintable(context + u" "_s + child + u" "_s + it.key()),
                                   __FILE__, __LINE__);
                    return -1;
                }
            }
        }
        const auto check = [&](bool condition, const QString &what) {
            if (!condition)
                QTest::qVerify(false, "record whole", qPrintable(context + u": "_s + what), __FILE__, __LINE__);
            return condition;
        };

        // The record of the same number in another region is never touched.
        if (!check(mainTitles.value(u"2018000001|110"_s) == u"别处的"_s && wholeIn({}, u"2018000001|110"_s, 1),
                   u"the record of region 110"_s))
            return -1;

        struct Sent { QString title; QString item4; int persons; };
        const QList<Sent> sent = {{u"旧甲"_s, u"2018000009"_s, 2}, {u"新乙"_s, u"2019000001"_s, 1}};
        QHash<QString, QStringList> stagedTitles;
        for (const QStringList &row : rows(u"kjcgtemp"_s))
            stagedTitles[row[2]] << keyOf(row);
        int stored = 0;
        bool firstStored = false;
        for (const Sent &record : sent) {
            QStringList keys;
            for (auto it = mainTitles.cbegin(); it != mainTitles.cend(); ++it) {
                if (it.value() == record.title && !it.key().startsWith(u"2018000001|"_s))
                    keys << it.key();
            }
            const QString stagedKey = record.item4 + u"|110"_s;
            if (keys.isEmpty()) {
                if (!check(stagedTitles.value(record.title) == QStringList{stagedKey}
                               && wholeIn(u"temp"_s, stagedKey, record.persons),
                           record.title + u" neither stored nor staged whole"_s))
                    return -1;
                continue;
            }
            if (!check(keys.size() == 1 && wholeIn({}, keys.first(), record.persons)
                           && !stagedTitles.contains(record.title) && goneFrom(u"temp"_s, stagedKey),
                       record.title + u" stored, but not whole or still staged"_s))
                return -1;
            ++stored;
            firstStored = firstStored || record.title == u"旧甲"_s;
        }

        // The record of the same title: replaced whole or there whole.
        const bool oldThere = mainTitles.value(u"2018000001|."_s) == u"旧甲"_s;
        if (oldThere) {
            if (!check(wholeIn({}, u"2018000001|."_s, 1) && !(overwrite && firstStored),
                       u"the record of the same title"_s))
                return -1;
        } else if (!check(overwrite && firstStored && goneFrom({}, u"2018000001|."_s),
                          u"the record of the same title half gone"_s)) {
            return -1;
        }

        // The person list: one entry per name, written over as sent or not.
        QHash<QString, QStringList> persons;
        for (const QStringList &row : rows(u"cgwcrnew"_s))
            persons[row[0]] << row[1];
        if (!check(persons.value(u"李四"_s) == QStringList{firstStored ? u"单位"_s : u"旧单位"_s}
                       && persons.contains(u"甲"_s) == firstStored,
                   u"the person list"_s))
            return -1;
        return stored;
    }

    Table &staged() const
    {
        Table &t = *f.dm()->T_temp_in;
        if (!t.isOpen()) {
            t.setTableName(ImportStaging::kjcgTable());
            t.open();
        }
        return t;
    }

    // Loads the package's files, unpacked by the archiver.
    ImportStaging::LoadResult stage(const QString &package)
    {
        QTemporaryDir unpacked;
        unpackFiles(package, unpacked.path());
        return ImportStaging::load(db(), unpacked.path());
    }

    int stagedRows(const QString &name) const
    {
        return countRows(db(), ExchangeNames::stagingTable(name));
    }

private slots:
    void initTestCase() { f.buildOnce(); }
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void packageNames()
    {
        QVERIFY(ImportStaging::isPackageName(u"/a/b/cgsbqy.arj"_s));
        QVERIFY(ImportStaging::isPackageName(u"/a/CGSBQY.ARJ"_s));
        QVERIFY(!ImportStaging::isPackageName(u"/a/XCGSBQY.ARJ"_s));
        QVERIFY(!ImportStaging::isPackageName(u"/a/CGSBQY.ARJ.bak"_s));
        QString code;
        QVERIFY(ImportStaging::isOldPackageName(u"/x/cgsb12.arj"_s, &code));
        QCOMPARE(code, u"12"_s);
        QVERIFY(!ImportStaging::isOldPackageName(u"/x/CGSB1234.ARJ"_s));
        QVERIFY(!ImportStaging::isOldPackageName(u"/x/XCGSB1.ARJ"_s));
        QVERIFY(!ImportStaging::isOldPackageName(u"/x/CGSB.ARJ"_s));
    }

    // Files written by hand as older installations write them: lines with
    // fewer values, a value that begins with a quote.
    void goldenFilesWithShortLines()
    {
        QTemporaryDir folder;
        QStringList full(102);
        full[0] = u"1"_s;
        full[2] = u"\"\"\"引号\"\"开头\""_s;   // a quoted value: "引号"开头
        full[5] = u"2019-5-6"_s;
        full[22] = u"2019000005"_s;
        full[77] = u"110"_s;
        full[78] = u"2"_s;
        QStringList shortLine = {u"1"_s, {}, u"短行"_s, {}, {}, u"不是日期"_s};
        putBytes(folder.filePath(u"KJCG.TXT"_s), GbkText::encode(full.join('\t') + u"\t\r\n"_s
                                                                   + shortLine.join('\t') + u"\r\n"_s));
        putBytes(folder.filePath(u"CGWCR.TXT"_s), GbkText::encode(u"2019000005\t110\t1\t张三\r\n"_s));
        for (const QString &name : {u"CGWCDW.TXT"_s, u"jdwyhmd.txt"_s, u"UNIT.TXT"_s})
            putBytes(folder.filePath(name), {});

        const ImportStaging::LoadResult result = ImportStaging::load(db(), folder.path());
        QCOMPARE(result.rows, 3);
        QCOMPARE(result.shortLines, 2);
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_12"_s), QStringList({"\"引号\"开头", "短行"}));
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_4"_s), QStringList({"2019000005", ""}));
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"NO"_s), QStringList({"1", "2"}));
        // An unreadable registration date is the day of the import.
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_121"_s)[1].isEmpty(), false);
        QCOMPARE(tableRows(db(), u"CGWCRtemp.dbf"_s)[0].mid(3), QStringList({"张三", "", "", "", "", "", "", ""}));
        const ImportStaging::CategoryCounts counts = ImportStaging::countCategories(db());
        QCOMPARE(counts.totalText(), u"记录条数:2条；"_s);
        QCOMPARE(counts.detailText(), u"其中：应用技术0条，基础理论0条，软科学1条。"_s);
    }

    // Child rows of no achievement in the package, and a package without
    // its main file, would be dropped at the store: the load says how many
    // rows of which file.
    void orphansAndAMissingMainFileAreNamed()
    {
        QTemporaryDir folder;
        QStringList full(102);
        full[22] = u"2019000005"_s;
        full[77] = u"110"_s;
        putBytes(folder.filePath(u"KJCG.TXT"_s), GbkText::encode(full.join('\t') + u"\t\r\n"_s));
        putBytes(folder.filePath(u"CGWCR.TXT"_s),
                 GbkText::encode(u"2019000005\t110\t1\t张三\r\n2019000009\t110\t1\t李四\r\n"
                                 u"2019000005\t111\t2\t王五\r\n"_s));
        putBytes(folder.filePath(u"CGWCDW.TXT"_s), GbkText::encode(u"2019000005\t110\t单位\r\n"_s));
        putBytes(folder.filePath(u"ZLQK.TXT"_s), GbkText::encode(u"2018000001\t110\t1\r\n"_s));
        putBytes(folder.filePath(u"UNIT.TXT"_s), {});
        ImportStaging::LoadResult result = ImportStaging::load(db(), folder.path());
        QVERIFY(!result.mainFileMissing);
        QCOMPARE(result.notes(), u"CGWCR.TXT中有2行数据不属于导入的任何成果，不会入库。\n"
                                 u"ZLQK.TXT中有1行数据不属于导入的任何成果，不会入库。"_s);

        QFile::remove(folder.filePath(u"KJCG.TXT"_s));
        putBytes(folder.filePath(u"JDWYHMD.TXT"_s), {});
        result = ImportStaging::load(db(), folder.path());
        QVERIFY(result.mainFileMissing);
        QVERIFY2(result.notes().startsWith(u"导入包中没有KJCG.TXT"_s), qPrintable(result.notes()));
        // The record staged before still owns its rows.
        QVERIFY2(result.notes().contains(u"CGWCR.TXT中有2行"_s), qPrintable(result.notes()));
        QVERIFY2(result.notes().contains(u"CGWCDW.TXT"_s) == false, qPrintable(result.notes()));
    }

    // A registration year outside 1900-2050 is refused by the year
    // change's rule; the record stays staged for the year to be changed.
    void yearsOutsideTheRuleStayStaged()
    {
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"1899000001"_s, u"1"_s, u"成果旧"_s, {u"张三"_s});
        addSentRecord(source.db(), u"2051000001"_s, u"1"_s, u"成果新"_s, {});
        addSentRecord(source.db(), u"2019000001"_s, u"1"_s, u"成果好"_s, {});
        stage(source.package());
        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Save);
        QCOMPARE(result.stored, 1);
        QCOMPARE(result.failed, 2);
        QVERIFY2(result.firstError().contains(u"成果旧"_s) && result.firstError().contains(u"不能输入1900到2050外的年份！"_s),
                 qPrintable(result.firstError()));
        QCOMPARE(column(db(), Kjcg, u"ITEM_4"_s), QStringList({"2019000001"}));
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_4"_s), QStringList({"1899000001", "2051000001"}));
        QCOMPARE(stagedRows(ExchangeNames::Cgwcr), 1);
    }

    // A damaged file stages nothing of its package; four files are no package.
    void damagedPackagesStageNothing()
    {
        QTemporaryDir folder;
        appendRow(db(), ImportStaging::kjcgTable(), {{u"ITEM_3"_s, u"已在暂存"_s}});
        const QString good = u"\t"_s.repeated(102);
        putBytes(folder.filePath(u"KJCG.TXT"_s),
                 GbkText::encode(good + u"\r\n1\t\"断开的引号\r\n"_s + good + u"\r\n"_s));
        for (const QString &name : {u"CGWCR.TXT"_s, u"CGWCDW.TXT"_s, u"JDWYHMD.TXT"_s})
            putBytes(folder.filePath(name), GbkText::encode(u"2019000001\t110\r\n"_s));
        QCOMPARE(errorOf([&] { ImportStaging::load(db(), folder.path()); }), u"文件的格式不正确"_s);

        putBytes(folder.filePath(u"ZLQK.TXT"_s), {});
        const QString error = errorOf([&] { ImportStaging::load(db(), folder.path()); });
        QVERIFY2(error.contains(u"KJCG.TXT"_s) && error.contains(u"第 2 行"_s), qPrintable(error));
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_3"_s), QStringList({"已在暂存"}));
        for (const QString &name : {ExchangeNames::Cgwcr, ExchangeNames::Cgwcdw, ExchangeNames::Jdwyhmd})
            QCOMPARE(stagedRows(name), 0);
    }

    // A package that does not fit on the disk: the load is taken back with
    // the space it took, the memo texts among it, so that the disk is as
    // free as before and the rows staged before keep their texts.
    void aLoadThatDoesNotFitGivesItsSpaceBack()
    {
        SmallDisk disk(3 << 20);
        if (!disk.mounted())
            QSKIP("no disk of its own can be mounted here");
        const QString data = QDir(disk.path()).filePath(u"data"_s);
        QVERIFY(QDir().mkpath(data));
        for (const QString &entry : QDir(f.dataPath()).entryList({u"*temp.*"_s}, QDir::Files))
            QVERIFY(QFile::copy(QDir(f.dataPath()).filePath(entry), QDir(data).filePath(entry)));
        Database staging(data);
        appendRow(&staging, ImportStaging::kjcgTable(), {{u"ITEM_3"_s, u"已在暂存"_s}, {u"ITEM_13"_s, u"旧的简介"_s}});
        QHash<QString, qint64> sizes;
        for (const QFileInfo &file : QDir(data).entryInfoList(QDir::Files))
            sizes.insert(file.fileName(), file.size());
        QVERIFY(sizes.size() >= 7);
        const qint64 freeBefore = QStorageInfo(data).bytesAvailable();

        const auto package = [](const QString &folder, int records) {
            QStringList line(103);
            line[11] = QString(u'长').repeated(50 * 1024);   // 100 KiB of memo text
            QString lines;
            for (int n = 1; n <= records; ++n) {
                line[20] = u"成果%1"_s.arg(n);   // ITEM_3
                lines += line.join('\t') + u"\r\n"_s;
            }
            putBytes(QDir(folder).filePath(u"KJCG.TXT"_s), GbkText::encode(lines));
            for (const QString &name : {u"CGWCR.TXT"_s, u"CGWCDW.TXT"_s, u"JDWYHMD.TXT"_s, u"ZLQK.TXT"_s})
                putBytes(QDir(folder).filePath(name), {});
        };
        QTemporaryDir tooLarge;
        package(tooLarge.path(), 40);
        const QString error = errorOf([&] { ImportStaging::load(&staging, tooLarge.path()); });
        QVERIFY2(error.contains(u"磁盘已满"_s), qPrintable(error));
        for (const QFileInfo &file : QDir(data).entryInfoList(QDir::Files))
            QCOMPARE(std::pair(file.fileName(), file.size()), std::pair(file.fileName(), sizes.value(file.fileName())));
        QVERIFY2(QStorageInfo(data).bytesAvailable() >= freeBefore - 16 * 1024,
                 qPrintable(u"%1 bytes free, %2 before"_s.arg(QStorageInfo(data).bytesAvailable()).arg(freeBefore)));
        QCOMPARE(column(&staging, ImportStaging::kjcgTable(), u"ITEM_13"_s), QStringList{u"旧的简介"_s});

        // The space is there again for a package that fits.
        QTemporaryDir fits;
        package(fits.path(), 5);
        QCOMPARE(ImportStaging::load(&staging, fits.path()).rows, 5);
        QCOMPARE(column(&staging, ImportStaging::kjcgTable(), u"ITEM_3"_s),
                 QStringList({"已在暂存", "成果1", "成果2", "成果3", "成果4", "成果5"}));
    }

    // New numbers follow the largest of each year in the main table; a year
    // it lacks keeps the sent number; children and register follow.
    void storedRecordsAreRenumberedWithTheirChildren()
    {
        addAchievement(db(), u"2019000003"_s, u"1"_s, u"本地一"_s);
        addAchievement(db(), u"2019000007"_s, u"1"_s, u"本地二"_s);
        appendRow(db(), u"cgwcrNew.dbf"_s, {{u"ITEM_180"_s, u"李四"_s}, {u"ITEM_185"_s, u"旧单位"_s}});
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2019000001"_s, u"1"_s, u"成果'甲'"_s, {u"王\"小\"二"_s, u"李四"_s});
        addSentRecord(source.db(), u"2019000002"_s, u"2"_s, u"成果乙"_s, {u"李四"_s});
        addSentRecord(source.db(), u"2031000042"_s, u"3"_s, u"成果丙"_s, {});
        addSentRecord(source.db(), u"2031000010"_s, u"3"_s, u"成果丁"_s, {});
        appendRow(source.db(), u"unit.dbf"_s, {{u"unitcode"_s, u"9990001000"_s}, {u"item_9"_s, u"发送单位"_s}});
        stage(source.package());
        QCOMPARE(stagedRows(ExchangeNames::Unit), 1);

        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Save);
        QCOMPARE(result.stored, 4);
        QCOMPARE(result.failed, 0);
        QCOMPARE(ImportStore::resultMessage(ImportStore::Mode::Save, result), u"入库完毕!"_s);
        QCOMPARE(column(db(), Kjcg, u"ITEM_4"_s),
                 QStringList({"2019000003", "2019000007", "2019000008", "2019000009", "2031000042", "2031000043"}));
        QCOMPARE(column(db(), Kjcg, u"ITEM_DQDM"_s).mid(2), QStringList(4, u"."_s));
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_4"_s),
                 QStringList({"2019000008", "2019000008", "2019000009"}));
        for (const QString &child : {u"zlqk.dbf"_s, u"jdwyhmd.DBF"_s, u"cgwcdw.DBF"_s}) {
            QCOMPARE(column(db(), child, u"ITEM_4"_s),
                     QStringList({"2019000008", "2019000009", "2031000042", "2031000043"}));
            QCOMPARE(column(db(), child, u"ITEM_DQDM"_s), QStringList(4, u"."_s));
        }
        QCOMPARE(column(db(), u"cgwcrNew.dbf"_s, u"ITEM_180"_s), QStringList({"李四", "王\"小\"二"}));
        QCOMPARE(column(db(), u"cgwcrNew.dbf"_s, u"ITEM_185"_s), QStringList({"单位", "单位"}));
        for (const QString &name : ExchangeNames::records())
            QCOMPARE(stagedRows(name), 0);
        QCOMPARE(stagedRows(ExchangeNames::Unit), 1);

        // Every sent value arrives, but the key, the export mark and what
        // the exchange does not carry.
        const QList<QStringList> sent = tableRows(source.db(), Kjcg);
        const QList<QStringList> arrived = tableRows(db(), Kjcg).mid(2);
        Table kjcg(db(), Kjcg);
        kjcg.open();
        const QStringList names = kjcg.fieldNames();
        for (int row = 0; row < sent.size(); ++row) {
            for (int i = 0; i < names.size(); ++i) {
                if (QStringList({"ITEM_4", "ITEM_DQDM", "ITEM_SJDC", "NO", "patent_ty"}).contains(names[i], Qt::CaseInsensitive))
                    continue;
                QVERIFY2(sent[row][i] == arrived[row][i], qPrintable(names[i] + ": " + sent[row][i]));
            }
        }
        QCOMPARE(tableRows(db(), u"cgwcr.DBF"_s)[1].mid(2), tableRows(source.db(), u"cgwcr.DBF"_s)[1].mid(2));

        // Another dBase reader sees the stored rows.
        QProcess python;
        python.start(u"/usr/bin/python3"_s,
                     {u"-c"_s, u"import dbf,sys\nt=dbf.Table(sys.argv[1]);t.open(dbf.READ_ONLY)\n"
                               "print(','.join(r['item_4'].strip() for r in t if not dbf.is_deleted(r)))"_s,
                      db()->resolvePath(Kjcg)});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
                 u"2019000003,2019000007,2019000008,2019000009,2031000042,2031000043"_s);
    }

    // Same title: the old record (the first of that title) goes only once
    // the new one is stored; an empty title is stored as a new record, and
    // the user is told so.
    void overwriteReplacesTheFirstRecordOfTheTitle()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"同名"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000002"_s, u"1"_s, u"同名"_s);
        // Another region's record of the same number is another record.
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"别处的"_s, u"110"_s);
        addChildren(db(), u"2018000001"_s, u"110"_s);
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2018000009"_s, u"1"_s, u"同名"_s, {u"甲"_s});
        addSentRecord(source.db(), u"2018000010"_s, u"1"_s, u"新的"_s, {});
        addSentRecord(source.db(), u"2018000011"_s, u"1"_s, QString(), {});
        stage(source.package());

        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Overwrite);
        QCOMPARE(ImportStore::resultMessage(ImportStore::Mode::Overwrite, result),
                 u"入库完毕！新增2条,覆盖1条。\n其中1条成果名称为空，无法按名称比较，已作为新增入库。"_s);
        QCOMPARE(column(db(), Kjcg, u"ITEM_4"_s),
                 QStringList({"2018000002", "2018000001", "2018000003", "2018000004", "2018000005"}));
        QCOMPARE(column(db(), Kjcg, u"ITEM_3"_s), QStringList({"同名", "别处的", "同名", "新的", ""}));
        for (const QString &child : ChildFiles) {
            QCOMPARE(countRows(db(), child, keyFilter(u"2018000001"_s, u"."_s)), 0);
            QCOMPARE(countRows(db(), child, keyFilter(u"2018000001"_s, u"110"_s)), 1);
        }
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, u"item_4='2018000003'"_s), 1);
    }

    // The store is killed before each of its writes in turn, then the
    // program starts again: every record is in the main tables whole or not
    // at all (then staged whole), a replaced record is gone whole or there
    // whole, the record of another region with the same number stays, and a
    // person list entry written over is as before or as sent.
    void killedAtEveryWriteLeavesRecordsWhole_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("保存") << u"save"_s;
        QTest::newRow("同名覆盖") << u"overwrite"_s;
    }

    void killedAtEveryWriteLeavesRecordsWhole()
    {
        QFETCH(QString, mode);
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"旧甲"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"别处的"_s, u"110"_s);
        addChildren(db(), u"2018000001"_s, u"110"_s);
        appendRow(db(), u"cgwcrNew.dbf"_s, {{u"ITEM_180"_s, u"李四"_s}, {u"ITEM_185"_s, u"旧单位"_s}});
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2018000009"_s, u"1"_s, u"旧甲"_s, {u"甲"_s, u"李四"_s});
        addSentRecord(source.db(), u"2019000001"_s, u"3"_s, u"新乙"_s, {u"乙"_s});
        stage(source.package());
        f.stop();

        QTemporaryDir runs;
        const QString prepared = f.dataPath();
        const QString whole = runs.filePath(u"whole"_s);
        QVERIFY(copyFolder(prepared, whole));
        bool crashed = false;
        const QString output = runStoreChild(whole, mode, 0, &crashed);
        QVERIFY2(!crashed && output.endsWith(u" 2 0"_s), qPrintable(output));
        const int writes = output.section(u' ', 0, 0).toInt();
        QVERIFY2(writes > 20, qPrintable(output));

        QStringList folders = {whole};
        QStringList problems;
        for (int killAt = 1; killAt <= writes; ++killAt) {
            const QString folder = runs.filePath(u"kill%1"_s.arg(killAt));
            QVERIFY(copyFolder(prepared, folder));
            const QString said = runStoreChild(folder, mode, killAt, &crashed);
            QVERIFY2(crashed, qPrintable(u"write %1: %2"_s.arg(killAt).arg(said)));
            // The next start-up.
            TDM startUp(folder, [&](const QString &message) { problems << message; });
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
            QVERIFY(!QFile::exists(QDir(folder).filePath(TableJournal::fileName())));
            folders << folder;
        }

        QProcess python;
        python.start(u"/usr/bin/python3"_s, QStringList{u"-c"_s, QString::fromUtf8(KilledFoldersReader)} + folders);
        QVERIFY(python.waitForFinished(600000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        int storedSomewhere = 0;
        for (const QString &folder : folders) {
            const QString context = QFileInfo(folder).fileName();
            const int stored = checkKilledFolder(read.value(folder).toObject(), mode == u"overwrite"_s, context);
            if (QTest::currentTestFailed())
                return;
            if (folder == whole)
                QCOMPARE(stored, 2);
            else if (stored > 0)   // the records of one change stand together
                ++storedSomewhere;
        }
        QVERIFY(storedSomewhere > 0);
    }

    // A record whose persons cannot be written leaves no row behind and
    // stays staged with its children; the others are stored.
    void aFailedRecordStaysStagedWhole()
    {
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2020000001"_s, u"1"_s, u"有完成人"_s, {u"甲"_s});
        addSentRecord(source.db(), u"2020000002"_s, u"1"_s, u"无完成人"_s, {});
        stage(source.package());
        // The person table lies wholly beyond the limit, the others below.
        const auto persons = db()->file(u"cgwcr.DBF"_s);
        {
            DbfBulkAppend bulk(persons);
            for (int i = 0; i < 4000; ++i)
                persons->append({{0, u"1900000001"_s}, {3, u"填充"_s}});
            bulk.finish();
        }
        for (int i = 0; i < persons->recordCount(); ++i)
            persons->setDeleted(i, true);
        const qint64 limit = QFileInfo(db()->resolvePath(u"cgwcr.DBF"_s)).size() - 1;
        for (const QString &file : {u"kjcg.DBF"_s, u"kjcg.dbt"_s, u"zlqk.dbf"_s, u"cgwcrNew.dbf"_s})
            QVERIFY2(QFileInfo(db()->resolvePath(file)).size() < limit - 100000, qPrintable(file));

        ImportStore::Result result;
        {
            FileSizeLimit sizeLimit(limit);
            QVERIFY(sizeLimit.active());
            result = ImportStore(db()).storeAll(ImportStore::Mode::Save);
        }
        QCOMPARE(result.stored, 1);
        QCOMPARE(result.failed, 1);
        const QString message = ImportStore::resultMessage(ImportStore::Mode::Save, result);
        QVERIFY2(message.contains(u"已入库1条，1条未能入库"_s) && message.contains(u"有完成人"_s), qPrintable(message));
        QCOMPARE(column(db(), Kjcg, u"ITEM_3"_s), QStringList({"无完成人"}));
        QCOMPARE(countRows(db(), u"zlqk.dbf"_s), 1);
        QCOMPARE(countRows(db(), u"cgwcrNew.dbf"_s), 0);
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_3"_s), QStringList({"有完成人"}));
        for (const QString &name : ExchangeNames::records())
            QCOMPARE(stagedRows(name), 1);

        // Once the disk takes it, the record is stored.
        result = ImportStore(db()).storeAll(ImportStore::Mode::Save);
        QCOMPARE(result.stored, 1);
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_180"_s), QStringList({"甲"}));
    }

    // A main table that start-up found damaged (cut short by another
    // program) takes no stored record: each is refused and stays staged,
    // and the table keeps its bytes, so that it still says it is damaged.
    void damagedMainTableTakesNoRecord()
    {
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2020000001"_s, u"1"_s, u"甲"_s, {u"甲"_s});
        addSentRecord(source.db(), u"2020000002"_s, u"1"_s, u"乙"_s, {});
        const QString package = source.package();
        for (const QString &number : {u"2019000001"_s, u"2019000002"_s, u"2019000003"_s})
            addAchievement(db(), number, u"1"_s, u"本地"_s);
        const QString kjcgPath = db()->resolvePath(Kjcg);
        f.stop();
        QFile cut(kjcgPath);
        QVERIFY(cut.open(QIODevice::ReadWrite));
        QVERIFY(cut.resize(cut.size() - 200));
        cut.close();

        QStringList problems;
        TDM startUp(f.dataPath(), [&](const QString &message) { problems << message; });
        QVERIFY2(problems.join(u'\n').contains(u"kjcg.dbf"_s, Qt::CaseInsensitive) && problems.join('\n').contains(u"已损坏"_s),
                 qPrintable(problems.join('\n')));
        QTemporaryDir unpacked;
        unpackFiles(package, unpacked.path());
        ImportStaging::load(startUp.database(), unpacked.path());
        const QByteArray before = fileBytes(kjcgPath);

        const ImportStore::Result result = ImportStore(startUp.database()).storeAll(ImportStore::Mode::Save);
        QCOMPARE(result.stored, 0);
        QCOMPARE(result.failed, 2);
        QVERIFY2(result.firstError().contains(u"已损坏"_s), qPrintable(result.firstError()));
        QCOMPARE(fileBytes(kjcgPath), before);
        for (const QString &child : ChildFiles)
            QCOMPARE(countRows(startUp.database(), child), 0);
        QCOMPARE(countRows(startUp.database(), ImportStaging::kjcgTable()), 2);
        QVERIFY(!DbfFile::open(kjcgPath, true)->damage().isEmpty());
    }

    // A staging table whose fields differ from its main table's (an older
    // installation's file) is copied column by column by position.
    void stagingOfOtherWidthsIsCopiedByPosition()
    {
        const QString staging = u"CGWCDWtemp.dbf"_s;
        db()->release(staging);
        QList<DbfField> fields = DbfFile::open(db()->resolvePath(u"cgwcdw.DBF"_s), true)->fields();
        fields[2].width = 200;   // ITEM_170
        QFile::remove(db()->resolvePath(staging));
        DbfFile::create(db()->resolvePath(staging), fields);
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2021000001"_s, u"1"_s, u"宽度不同"_s, {});
        stage(source.package());
        QCOMPARE(ImportStore(db()).storeAll(ImportStore::Mode::Save).stored, 1);
        QCOMPARE(tableRows(db(), u"cgwcdw.DBF"_s),
                 QList<QStringList>({{"2021000001", ".", "协作单位", "", "", "", "", "1", ""}}));
    }

    // Each category counted under its own name: 基础理论 is category 3 and
    // 软科学 category 2, each with a count no other category has.
    void stagedRecordsCountedByCategory()
    {
        SourceFolder source(f.shippedPath());
        const QStringList categories = {u"1"_s, u"3"_s, u"1"_s, u"2"_s, u"3"_s, u"1"_s};
        for (int i = 0; i < categories.size(); ++i)
            addSentRecord(source.db(), u"201900002%1"_s.arg(i), categories[i], u"成果%1"_s.arg(i), {});
        stage(source.package());
        const ImportStaging::CategoryCounts counts = ImportStaging::countCategories(db());
        QCOMPARE(counts.totalText(), u"记录条数:6条；"_s);
        QCOMPARE(counts.detailText(), u"其中：应用技术3条，基础理论2条，软科学1条。"_s);
    }

    // 排重 looks a staged title up trimmed of the blanks around it, half or
    // full width; blanks inside a title and a main title's leading blank
    // still make another title.
    void duplicatesIgnoreBlanksAroundStagedTitles()
    {
        addAchievement(db(), u"2019000001"_s, u"1"_s, u"本地已有"_s);
        addAchievement(db(), u"2019000002"_s, u"1"_s, u" 前有空格"_s);
        SourceFolder source(f.shippedPath());
        const QStringList titles = {u"本地 已有"_s, u" 本地已有"_s,  u"本地已有  "_s,
                                    u"前有空格"_s,  u"\u3000本地已有\u3000"_s, u"本地已有的"_s};
        for (int i = 0; i < titles.size(); ++i)
            addSentRecord(source.db(), u"201900001%1"_s.arg(i), u"1"_s, titles[i], {});
        stage(source.package());
        Table &list = staged();
        list.refresh();
        // The blanks arrived with the titles.
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_3"_s),
                 QStringList({u"本地 已有"_s, u" 本地已有"_s, u"本地已有"_s, u"前有空格"_s,
                              u"\u3000本地已有\u3000"_s, u"本地已有的"_s}));
        QList<int> duplicates;
        for (int row = ImportStaging::nextDuplicate(list, 0); row >= 0;
             row = ImportStaging::nextDuplicate(list, row + 1))
            duplicates << row;
        QCOMPARE(duplicates, QList<int>({1, 2, 4}));
        list.moveTo(1);
        QCOMPARE(list.asString(u"ITEM_3"_s), u" 本地已有"_s);
    }

    // 同名覆盖 likewise: a staged title with blanks around it replaces the
    // main record of the bare title, children and all.
    void overwriteIgnoresBlanksAroundStagedTitles()
    {
        addAchievement(db(), u"2018000001"_s, u"1"_s, u"同名"_s);
        addChildren(db(), u"2018000001"_s, u"."_s);
        addAchievement(db(), u"2018000002"_s, u"3"_s, u"基础同名"_s);
        addChildren(db(), u"2018000002"_s, u"."_s);
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2018000009"_s, u"1"_s, u"  同名 "_s, {u"甲"_s});
        addSentRecord(source.db(), u"2018000010"_s, u"3"_s, u"\u3000基础同名\u3000"_s, {u"乙"_s});
        addSentRecord(source.db(), u"2018000011"_s, u"1"_s, u"同 名"_s, {});
        stage(source.package());

        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Overwrite);
        QCOMPARE(ImportStore::resultMessage(ImportStore::Mode::Overwrite, result),
                 u"入库完毕！新增1条,覆盖2条。"_s);
        QCOMPARE(column(db(), Kjcg, u"ITEM_4"_s), QStringList({"2018000003", "2018000004", "2018000005"}));
        for (const QString &old : {u"2018000001"_s, u"2018000002"_s}) {
            for (const QString &child : ChildFiles)
                QCOMPARE(countRows(db(), child, keyFilter(old, u"."_s)), 0);
        }
        QCOMPARE(column(db(), Kjcg, u"ITEM_CGLB"_s), QStringList({"1", "3", "1"}));
        QCOMPARE(countRows(db(), u"cgwcr.DBF"_s, u"item_4='2018000004'"_s), 1);
    }

    // Duplicates by title, delete, rename and the move to another year, each
    // seen in the staging tables.
    void commandsOnStagedRecords()
    {
        addAchievement(db(), u"2019000001"_s, u"1"_s, u"本地'已有'"_s);
        SourceFolder source(f.shippedPath());
        addSentRecord(source.db(), u"2019000001"_s, u"1"_s, u"第一"_s, {u"甲"_s});
        addSentRecord(source.db(), u"2019000002"_s, u"1"_s, u"本地'已有'"_s, {u"乙"_s});
        addSentRecord(source.db(), u"2019000003"_s, u"1"_s, u"第三"_s, {u"丙"_s, u"丁"_s, u"戊"_s});
        stage(source.package());
        Table &list = staged();
        list.refresh();

        QCOMPARE(ImportStaging::nextDuplicate(list, 0), 1);
        ImportStaging::deleteCurrent(list);
        QCOMPARE(list.asString(u"ITEM_3"_s), u"第三"_s);
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"NO"_s), QStringList({"1", "2"}));
        QCOMPARE(countRows(db(), u"CGWCRtemp.dbf"_s, u"item_4='2019000002'"_s), 0);
        QCOMPARE(ImportStaging::nextDuplicate(list, 0), -1);

        ImportStaging::renameCurrent(list, u"第三（改）"_s);
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_3"_s), QStringList({"第一", "第三（改）"}));

        QCOMPARE(errorOf([&] { ImportStaging::changeYear(list, u"19"_s); }), u"不能输入1900到2050外的年份！"_s);
        QCOMPARE(ImportStaging::changeYear(list, u"2024"_s), u"2024000001"_s);
        QCOMPARE(countRows(db(), u"CGWCRtemp.dbf"_s, u"item_4='2024000001' and item_dqdm='110'"_s), 3);
        for (const QString &name : {ExchangeNames::Zlqk, ExchangeNames::Jdwyhmd, ExchangeNames::Cgwcdw})
            QCOMPARE(countRows(db(), ExchangeNames::stagingTable(name), u"item_4='2024000001'"_s), 1);
        list.first();
        QCOMPARE(ImportStaging::changeYear(list, u"2024"_s), u"2024000002"_s);
        QCOMPARE(column(db(), ImportStaging::kjcgTable(), u"ITEM_4"_s), QStringList({"2024000002", "2024000001"}));
    }
};

QTEST_GUILESS_MAIN(TestImportStore)
#include "tst_importstore.moc"
