// The exchange text files: byte-exact lines of every file, what a write and
// a read keep, and a reader that survives damaged and random input.
#include "support/FileBytes.h"
#include "support/StandingClock.h"
#include "engine/TableSource.h"

#include "engine/DataSet.h"
#include "engine/Database.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "engine/GbkText.h"
#include "engine/IoFaults.h"
#include "engine/ValueText.h"
#include "exchange/core/ExchangeFile.h"
#include "exchange/core/ExchangeNames.h"
#include "exchange/core/ExchangeText.h"
#include "exchange/core/SafeCopy.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>

using ExchangeText::LastValue;
using ExchangeText::RecordLayout;
using ExchangeText::RecordScan;

namespace {

const QString SchemaDir = QStringLiteral(DRAVIK_SOURCE_DIR "/data/tables");
using Row = QList<QPair<QString, QString>>;

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const DbError &e) {
        return e.message();
    }
    return QString();
}

QStringList currentTexts(const DataSet &data)
{
    QStringList texts;
    for (const QString &name : data.fieldNames())
        texts << data.asString(name);
    return texts;
}

QList<QStringList> allTexts(DataSet &data)
{
    QList<QStringList> rows;
    for (data.first(); !data.eof(); data.next())
        rows << currentTexts(data);
    return rows;
}

// A line from the texts of every column, each followed by a TAB (KJCG) or
// joined by TABs, with CR LF.
QByteArray tabbed(const QStringList &values, bool trailingTab)
{
    return gbk(values.join(QLatin1Char('\t')) + (trailingTab ? "\t" : "") + "\r\n");
}

// That many empty values but those given.
QStringList valuesAt(int count, const QList<QPair<int, QString>> &given)
{
    QStringList values(count);
    for (const auto &[index, text] : given)
        values[index] = text;
    return values;
}

// Scans every record of the bytes at once, or revealing the bytes a few at
// a time the way the file reader gets them block by block.
QList<RecordScan> scanAll(const QByteArray &bytes, const RecordLayout &layout,
                          QRandomGenerator *reveal = nullptr)
{
    QList<RecordScan> scans;
    qsizetype pos = 0;
    qsizetype shown = reveal ? 0 : bytes.size();
    for (int guard = 0; guard <= bytes.size() + 1; ++guard) {
        const bool atEof = shown >= bytes.size();
        RecordScan scan = ExchangeText::scanRecord(bytes.constData(), shown, pos, layout, atEof, true);
        if (scan.status == RecordScan::NeedMore) {
            shown = qMin(bytes.size(), shown + 1 + reveal->bounded(4));
            --guard;
            continue;
        }
        if (scan.status == RecordScan::End)
            return scans;
        if (scan.next <= pos)
            break;
        pos = scan.next;
        scans << scan;
    }
    qFatal("the scan made no progress");
    return scans;
}

QString randomText(QRandomGenerator &random, int maxLength)
{
    static const QStringList pieces = {"a", "\"", "\t", "\r", "\n", " ", "中", "文", "x", "\"\"", "\r\n"};
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += pieces.at(random.bounded(int(pieces.size())));
    return text;
}

} // namespace

class TestExchangeFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }

    std::unique_ptr<Table> table(const QString &name)
    {
        auto t = std::make_unique<Table>(m_db.get(), name);
        t->open();
        return t;
    }

    void addRow(Table &t, const Row &row)
    {
        t.append();
        for (const auto &[field, text] : row)
            t.setString(field, text);
        t.post();
    }

    void writeKjcg(Table &kjcg)
    {
        ExchangeFileWriter writer(path("KJCG.TXT"));
        kjcg.first();
        writer.writeRow(kjcg, ExchangeLine::Kjcg);
        writer.commit();
    }

    // A 3-column table of the given types for the reader's own checks.
    std::unique_ptr<Table> smallTable(const QString &name, char middleType = 'C')
    {
        DbfFile::create(path(name), {{"A", 'C', 20}, {"B", middleType, middleType == 'M' ? 10 : 20, 0},
                                     {"C", 'C', 20}});
        return table(name);
    }

    // A new archive beside an old one under two spellings of its name.
    void putNewArchiveBesideOldOnes()
    {
        putFile(path("NEW.ARJ"), "new");
        putFile(path("cgsbqy.arj"), "older");
        putFile(path("CGSBQY.ARJ"), "old");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        for (const QString &schema : QDir(SchemaDir).entryList({"*.schema"}))
            TableSource::build(TableSource::read(QDir(SchemaDir).filePath(schema)), m_dir->path());
        m_db = std::make_unique<Database>(m_dir->path());
    }

    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void childLinesAreByteExact()
    {
        auto cgwcr = table("cgwcr.dbf");
        addRow(*cgwcr, {{"ITEM_4", "2023000001"}, {"ITEM_DQDM", "."}, {"ITEM_187", "1"},
                        {"ITEM_180", "\"王\"小明"}, {"ITEM_181", "1"}, {"ITEM_183", "2"},
                        {"ITEM_184", "3"}, {"ITEM_185", "清华\"大学"},
                        {"ITEM_186", "第一行\r\n第二行"}});
        addRow(*cgwcr, {{"ITEM_4", "2023000001"}, {"ITEM_187", "2"}, {"ITEM_188", "1"}});
        addRow(*cgwcr, {{"ITEM_4", "2023000001"}, {"ITEM_187", "3"}, {"ITEM_188", "2"}});
        Query query(m_db.get());
        query.setSql("select * from cgwcr where 1=0 or item_4='2023000001'");
        query.open();
        WriteExchangeFile(query, path("CGWCR.TXT"));
        const QByteArray cgwcrBytes = fileBytes(path("CGWCR.TXT"));
        QCOMPARE(cgwcrBytes,
                 gbk("2023000001\t.\t1\t\"\"\"王\"\"小明\"\t1\t\t2\t3\t清华\"大学\t\"第一行\r\n第二行\"\t0\r\n"
                     "2023000001\t\t2\t\t\t\t\t\t\t\t1\r\n"
                     "2023000001\t\t3\t\t\t\t\t\t\t\t0\r\n"));
        QVERIFY(cgwcrBytes.contains(QByteArray::fromHex("c7e5bbaa")));   // 清华 in GBK, no BOM
        QVERIFY(!cgwcrBytes.startsWith("\xEF\xBB\xBF"));

        auto zlqk = table("zlqk.dbf");
        addRow(*zlqk, {{"ITEM_4", "2023000001"}, {"ITEM_DQDM", "."}, {"ITEM_NO", "3"},
                       {"PATENT_NO", "ZL2023"}, {"PATENT_NAM", "专利\t名称"}, {"PATENT_ST", "2"},
                       {"PATENT_TY", "\""}});
        WriteExchangeFile(*zlqk, path("ZLQK.TXT"));
        QCOMPARE(fileBytes(path("ZLQK.TXT")), gbk("2023000001\t.\t3\tZL2023\t\"专利\t名称\"\t2\t\"\r\n"));
    }

    // Stored text is copied as it stands only when it is GBK text; damaged
    // bytes get what reading them as text gives: a cut-off character is
    // dropped, an impossible one refused.
    void damagedStoredTextIsWrittenAsItReads()
    {
        DbfFile::create(path("raw.dbf"), {{"A", 'C', 10}, {"B", 'C', 10}});
        addRow(*table("raw.dbf"), {{"A", "1"}, {"B", "abcd"}});
        QByteArray bytes = fileBytes(path("raw.dbf"));
        const qsizetype at = bytes.indexOf("abcd");
        const auto writeWithStored = [&](const QByteArray &stored) {
            m_db->release("raw.dbf");
            putFile(path("raw.dbf"), bytes.replace(at, 4, stored));
            WriteExchangeFile(*table("raw.dbf"), path("RAW.TXT"));
        };
        writeWithStored("ab\xb0 ");
        QCOMPARE(fileBytes(path("RAW.TXT")), QByteArray("1\tab\r\n"));
        try {
            writeWithStored("ab\xb0\x7f");
            QFAIL("an impossible character was written");
        } catch (const DbError &error) {
            QVERIFY2(error.message().contains("GBK"), qPrintable(error.message()));
        }
    }

    void writerRefusesWhatGbkLacks()
    {
        {
            ExchangeFileWriter unfinished(path("GONE.TXT"));
            unfinished.writeValues({"a"}, LastValue::Plain);
        }
        QVERIFY(!QFile::exists(path("GONE.TXT")));
        ExchangeFileWriter writer(path("ODD.TXT"));
        writer.writeValues({"a", "b"}, LastValue::Plain);
        try {
            writer.writeValues({"甲", "笑😀"}, LastValue::Plain);
            QFAIL("a character GBK lacks was written");
        } catch (const DbError &error) {
            QVERIFY2(error.message().contains("😀") && error.message().contains("第 2 条"),
                     qPrintable(error.message()));
        }
        writer.writeValues({"c", "d"}, LastValue::Quoted);
        writer.commit();
        QCOMPARE(fileBytes(path("ODD.TXT")), QByteArray("a\tb\r\nc\t\"d\"\r\n"));
    }

    void kjcgLineHas102ValuesAndEndsWithTab()
    {
        auto kjcg = table("kjcg.dbf");
        QCOMPARE(kjcg->fieldNames().size(), 103);
        const Row row = {{"ITEM_1", "1"}, {"ITEM_121", "2023-03-05"}, {"ITEM_13", "甲\r\n乙"},
                         {"ITEM_3", "成果\"名\""}, {"ITEM_4", "2023000001"}, {"ITEM_45", "12.5"},
                         {"ITEM_142", "0.30"}, {"ITEM_SJDC", "1"}, {"ITEM_DQDM", "."},
                         {"ITEM_51_2", "2"}, {"patent_ty", "12"}};
        addRow(*kjcg, row);
        const auto at = [&](const char *name) { return kjcg->fieldIndex(name); };
        const QStringList expected = valuesAt(
            102, {{5, "2023-3-5"}, {22, "2023000001"}, {77, "."}, {at("ITEM_1"), "1"},
                  {at("ITEM_13"), "\"甲\r\n乙\""}, {at("ITEM_3"), "成果\"名\""}, {at("ITEM_45"), "12.5"},
                  {at("ITEM_142"), "0.3"}, {at("ITEM_SJDC"), "0"}, {at("ITEM_51_2"), "2"}});
        writeKjcg(*kjcg);
        QCOMPARE(fileBytes(path("KJCG.TXT")), tabbed(expected, true));
    }

    // Long stored texts (memos) take a one-pass way of their own: each kind
    // of value gives the bytes the general way gives its text.
    void longStoredTextsAreWrittenAsShortOnes()
    {
        auto memos = smallTable("memos.dbf", 'M');
        const QString long64 = QString("长文本").repeated(12);
        const QStringList texts = {long64, "a" + long64, long64 + "\r\n" + long64, "\"" + long64,
                                   long64 + "\"引\"\r\n", long64 + "\t", "\"" + long64 + "\r\n"};
        for (const QString &text : texts)
            addRow(*memos, {{"A", "1"}, {"B", text}, {"C", text.left(5)}});
        WriteExchangeFile(*memos, path("MEMOS.TXT"));
        ExchangeFileWriter general(path("GENERAL.TXT"));
        for (const QString &text : texts)
            general.writeValues({"1", text, text.left(5)}, LastValue::Plain);
        general.commit();
        QCOMPARE(fileBytes(path("MEMOS.TXT")), fileBytes(path("GENERAL.TXT")));
    }

    // Many rows are put into lines by several threads at once: the same
    // bytes as row by row, in the order asked; a row that cannot be written
    // stops the file there with the line number row by row gives.
    void manyRowsAsOneByOne()
    {
        DbfFile::create(path("many.dbf"), {{"A", 'C', 10}, {"B", 'M', 10}, {"C", 'C', 10}});
        auto many = table("many.dbf");
        for (int i = 0; i < 300; ++i) {
            const QString memo = QString("第%1行\"引\"\r\n").arg(i).repeated(i % 7);
            addRow(*many, {{"A", QString::number(i)}, {"B", memo}, {"C", "abcd"}});
        }
        QList<int> rows;
        for (int i = 0; i < 300; ++i)
            rows << i * 7 % 300;   // every row, out of order
        // Row by row, then sliced: the message of each way, or both files.
        const auto writeBoth = [&] {
            QStringList errors;
            try {
                ExchangeFileWriter oneByOne(path("ONE.TXT"));
                for (const int row : rows) {
                    many->moveTo(row);
                    oneByOne.writeRow(*many, ExchangeLine::Child);
                }
                oneByOne.commit();
            } catch (const DbError &e) {
                errors << e.message();
            }
            try {
                ExchangeFileWriter sliced(path("SLICED.TXT"));
                sliced.writeRows(*many, ExchangeLine::Child, rows);
                sliced.commit();
            } catch (const DbError &e) {
                errors << e.message().replace("SLICED", "ONE");
            }
            return errors;
        };
        QCOMPARE(writeBoth(), QStringList());
        QCOMPARE(fileBytes(path("SLICED.TXT")), fileBytes(path("ONE.TXT")));
        // Row 200 holds a character GBK lacks.
        QByteArray bytes = fileBytes(path("many.dbf"));
        qsizetype at = -1;
        for (int i = 0; i <= 200; ++i)
            at = bytes.indexOf("abcd", at + 1);
        many.reset();
        m_db->release("many.dbf");
        putFile(path("many.dbf"), bytes.replace(at, 4, "ab\xb0\x7f"));
        many = table("many.dbf");
        const QStringList errors = writeBoth();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors.last(), errors.first());
        QVERIFY2(errors.first().contains(QString("第 %1 条").arg(rows.indexOf(200) + 1)), qPrintable(errors.first()));
    }

    void unitAndExpertLines()
    {
        auto unit = table("unit.dbf");
        addRow(*unit, {{"unitcode", "9990001000"}, {"unitlevel", "1"}, {"endlevel", "1"},
                       {"item_9", "测试单位"}, {"studydirec", "方向\"一\""}});
        addRow(*unit, {{"unitcode", "9990001001"}});
        WriteExchangeFile(*unit, path("UNIT.TXT"), ExchangeLine::Unit);
        // The last value is always quoted, empty or not.
        QCOMPARE(fileBytes(path("UNIT.TXT")),
                 tabbed(valuesAt(26, {{0, "9990001000"}, {2, "1"}, {3, "1"}, {4, "测试单位"},
                                      {25, "\"方向\"\"一\"\"\""}}), false)
                     + tabbed(valuesAt(26, {{0, "9990001001"}, {25, "\"\""}}), false));

        // The display columns that follow the stored ones are not written.
        DbfFile::create(path("sex.dbf"), {{"xxdm", 'C', 3}, {"xxmc", 'C', 20}});
        auto sex = table("sex.dbf");
        addRow(*sex, {{"xxdm", "1"}, {"xxmc", "男"}});
        Table expert(m_db.get(), "unitexpert.dbf");
        expert.addLookupField("V_181", "item_181", sex.get(), "xxdm", "xxmc");
        expert.open();
        addRow(expert, {{"unitcode", "9990001000"}, {"item_187", "1"}, {"item_180", "张三"},
                        {"item_181", "1"}, {"item_182", "1970.01"}, {"item_186", "贡献"},
                        {"item_124_1", "01;"}});
        QCOMPARE(expert.fieldNames().size(), 8);
        WriteExchangeFile(expert, path("EXPERT.TXT"), ExchangeLine::Expert);
        QCOMPARE(fileBytes(path("EXPERT.TXT")), gbk("9990001000\t1\t张三\t1\t1970.01\t贡献\t01;\r\n"));
    }

    void childRoundTripKeepsValues()
    {
        const QList<QPair<QString, Row>> sources = {
            {"cgwcdw", {{"ITEM_4", "2023000001"}, {"ITEM_DQDM", "."}, {"ITEM_170", "甲\t乙"},
                        {"ITEM_171", " 前导空格"}, {"ITEM_172", "\"100084"}, {"ITEM_176", "2"},
                        {"ITEM_175", "  末列 "}}},
            {"cgwcr", {{"ITEM_4", "2023000001"}, {"ITEM_180", "\""}, {"ITEM_185", "a\"b"},
                       {"ITEM_186", "一\r\n二\n三\r"}, {"ITEM_188", "1"}}},
            {"jdwyhmd", {{"ITEM_4", "2023000001"}, {"ITEM_190", "1"}, {"ITEM_191", "\"\"\t"},
                         {"ITEM_199", "\"引号"}}},
            {"zlqk", {{"ITEM_4", "2023000001"}, {"PATENT_NAM", "\t"}, {"PATENT_TY", "\""}}},
        };
        for (const auto &[name, row] : sources) {
            auto main = table(name + ".dbf");
            addRow(*main, row);
            addRow(*main, {{"ITEM_4", "2023000002"}});
            WriteExchangeFile(*main, path(name.toUpper() + ".TXT"));
            auto staging = table(name + "temp.dbf");
            QCOMPARE(LoadExchangeFile(*staging, path(name.toUpper() + ".TXT")), 2);
            QList<QStringList> expected = allTexts(*main);
            for (QStringList &values : expected)
                values.last() = values.last().trimmed();
            if (name == "cgwcr")
                expected[1].last() = "0";
            QCOMPARE(allTexts(*staging), expected);
        }
    }

    void kjcgAndUnitRoundTrip()
    {
        auto kjcg = table("kjcg.dbf");
        addRow(*kjcg, {{"ITEM_121", "2023-3-5"}, {"ITEM_13", "\"公报\"\r\n\t第二行 "}, {"ITEM_4", "2023000001"},
                       {"ITEM_45", "1E-5"}, {"ITEM_SJDC", "1"}, {"ITEM_CGLB", "1"}, {"patent_ty", "12"}});
        writeKjcg(*kjcg);
        auto staging = table(ExchangeNames::stagingTable(ExchangeNames::Kjcg));
        QCOMPARE(LoadExchangeFile(*staging, path("KJCG.TXT")), 1);
        QStringList expected = currentTexts(*kjcg);
        expected[kjcg->fieldIndex("ITEM_SJDC")] = "0";
        expected.last() = QString();   // patent_ty does not travel
        staging->first();
        QCOMPARE(currentTexts(*staging), expected);

        auto unit = table("unit.dbf");
        addRow(*unit, {{"unitcode", "9990001000"}, {"unitintrod", "介绍\r\n"},
                       {"studydirec", "\"方向\"\t一\r\n二  "}});
        WriteExchangeFile(*unit, path("UNIT.TXT"), ExchangeLine::Unit);
        auto unitStaging = table("UNITtemp.dbf");
        QCOMPARE(LoadExchangeFile(*unitStaging, path("UNIT.TXT")), 1);
        QCOMPARE(allTexts(*unitStaging), allTexts(*unit));
    }

    void registrationDate_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("stored");
        // The day of the import, on the program's clock.
        const QString today = "2027-1-30";
        QTest::newRow("short form") << "2023-3-5" << "2023-3-5";
        QTest::newRow("zero padded") << "2023-03-05" << "2023-3-5";
        QTest::newRow("slashes") << "2023/3/5" << "2023-3-5";
        QTest::newRow("dots") << "2023.03.05" << "2023-3-5";
        QTest::newRow("empty") << "" << today;
        QTest::newRow("words") << "2023年3月5日" << today;
        QTest::newRow("no such day") << "2023-13-45" << today;
    }

    void registrationDate()
    {
        const StandingClock clock(QDate(2027, 1, 30));
        QFETCH(QString, written);
        QFETCH(QString, stored);
        putFile(path("KJCG.TXT"), tabbed(valuesAt(102, {{5, written}, {22, "2023000001"}}), true));
        auto staging = table("kjcgtemp.dbf");
        LoadExchangeFile(*staging, path("KJCG.TXT"));
        staging->first();
        QCOMPARE(staging->asString("ITEM_121"), stored);
    }

    void readerAcceptsWhatOthersWrite()
    {
        auto t = smallTable("codes.dbf");
        putFile(path("X.TXT"), gbk("\r\n \t \r\n代码\t值\"在中间\"\t名称\n\n末行\t\"\"\"\"\t无换行"));
        QCOMPARE(LoadExchangeFile(*t, path("X.TXT"), SplitterVariant::CodeTable), 2);
        QCOMPARE(allTexts(*t), (QList<QStringList>{{"代码", "值\"在中间\"", "名称"}, {"末行", "\"", "无换行"}}));
        putFile(path("EMPTY.TXT"), QByteArray());
        QCOMPARE(LoadExchangeFile(*t, path("EMPTY.TXT")), 0);
        QVERIFY(!ExchangeNames::findFile(m_dir->path(), "x.txt").isEmpty());
    }

    // Older installations write fewer columns; the values they lack are empty.
    void shortLinesFillTheRestEmpty()
    {
        auto t = smallTable("short.dbf", 'M');
        putFile(path("SHORT.TXT"), gbk("1\t\"甲\r\n乙\"\r\n2\r\n3\tb\tc\r\n4\t\"\"\"引\"\r\n"));
        LoadCounts counts;
        QCOMPARE(LoadExchangeFile(*t, path("SHORT.TXT"), SplitterVariant::Import, {}, &counts), 4);
        QCOMPARE(counts.shortLines, 3);
        QCOMPARE(allTexts(*t), (QList<QStringList>{
                                   {"1", "甲\r\n乙", ""}, {"2", "", ""}, {"3", "b", "c"}, {"4", "\"引", ""}}));
    }

    void damagedFileStopsAtItsLine_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("says");
        QTest::newRow("open quote") << QByteArray("x\t\"open\tc\r\nd\te\tf\r\n") << "第 2 行：第 2 个数值的引号没有结束";
        QTest::newRow("too many") << QByteArray("x\tb\tc\td\r\n") << "第 2 行：数值多于 3 个";
        QTest::newRow("text after quote") << QByteArray("x\t\"b\"y\tc\r\n") << "第 2 行：第 2 个数值的结束引号后面";
        QTest::newRow("not gbk") << QByteArray("x\t\xfe\xff\tc\r\n") << "第 2 行：第 2 个数值含有不是 GBK";
        QTest::newRow("cut character") << QByteArray("x\t1\t\xd6\r\n") << "第 2 行：第 3 个数值含有不是 GBK";
        QTest::newRow("not a number") << QByteArray("x\t十二\tc\r\n") << "第 2 行：";
    }

    void damagedFileStopsAtItsLine()
    {
        QFETCH(QByteArray, bad);
        QFETCH(QString, says);
        auto t = smallTable("nums.dbf", 'F');
        putFile(path("BAD.TXT"), "1\t\"1\"\tz\r\n" + bad + "2\t2\t2\r\n");
        try {
            LoadExchangeFile(*t, path("BAD.TXT"));
            QFAIL("a damaged file was read without complaint");
        } catch (const DbError &error) {
            QVERIFY2(error.message().contains("BAD.TXT") && error.message().contains(says),
                     qPrintable(error.message()));
        }
        QCOMPARE(t->state(), DataSet::Browse);
        QCOMPARE(allTexts(*t), (QList<QStringList>{{"1", "1", "z"}}));
        QCOMPARE(DbfFile::open(path("nums.dbf"), true)->recordCount(), 1);   // on disk too
    }

    // A copy replaces its target whole and leaves no other spelling of the
    // name beside it; a copy or a removal that fails says which file and
    // leaves what was there.
    void copyReplacesTheTargetAndItsOtherSpellings()
    {
        putNewArchiveBesideOldOnes();
        IoFaults::failNth(1);
        const QString failedCopy = errorOf([&] { CopyFileReplacing(path("NEW.ARJ"), path("CGSBQY.ARJ")); });
        IoFaults::clear();
        QVERIFY2(failedCopy.contains("CGSBQY.ARJ"), qPrintable(failedCopy));
        QCOMPARE(fileBytes(path("CGSBQY.ARJ")), QByteArray("old"));

        // The block written, the copy synced, renamed, the folder synced:
        // then the removal of the other spelling.
        IoFaults::failNth(5);
        const QString failedRemoval = errorOf([&] { CopyFileReplacing(path("NEW.ARJ"), path("CGSBQY.ARJ")); });
        IoFaults::clear();
        QVERIFY2(failedRemoval.contains("无法删除文件") && failedRemoval.contains("cgsbqy.arj"),
                 qPrintable(failedRemoval));
        QCOMPARE(fileBytes(path("CGSBQY.ARJ")), QByteArray("new"));

        CopyFileReplacing(path("NEW.ARJ"), path("CGSBQY.ARJ"));
        QVERIFY(!QFile::exists(path("cgsbqy.arj")));
        QCOMPARE(fileBytes(path("CGSBQY.ARJ")), QByteArray("new"));
        const QString missing = errorOf([&] { CopyFileReplacing(path("NONE.ARJ"), path("CGSBQY.ARJ")); });
        QVERIFY2(missing.contains("NONE.ARJ"), qPrintable(missing));
    }

    // A work file moved onto a target replaces it whole, with its other
    // spellings; a move whose data cannot be made durable says which file
    // and leaves both where they were. A file put into a work folder reads
    // as its source.
    void moveReplacesTheTargetWhole()
    {
        putNewArchiveBesideOldOnes();
        IoFaults::failNth(1);
        const QString failedSync = errorOf([&] { MoveFileReplacing(path("NEW.ARJ"), path("CGSBQY.ARJ")); });
        IoFaults::clear();
        QVERIFY2(failedSync.contains("CGSBQY.ARJ"), qPrintable(failedSync));
        QCOMPARE(fileBytes(path("CGSBQY.ARJ")), QByteArray("old"));
        QCOMPARE(fileBytes(path("NEW.ARJ")), QByteArray("new"));

        MoveFileReplacing(path("NEW.ARJ"), path("CGSBQY.ARJ"));
        QVERIFY(!QFile::exists(path("NEW.ARJ")));
        QVERIFY(!QFile::exists(path("cgsbqy.arj")));
        QCOMPARE(fileBytes(path("CGSBQY.ARJ")), QByteArray("new"));
        QVERIFY(errorOf([&] { MoveFileReplacing(path("NONE.ARJ"), path("CGSBQY.ARJ")); }).contains("NONE.ARJ"));

        QVERIFY(QDir().mkpath(path("work")));
        PlaceInWorkFolder(path("CGSBQY.ARJ"), path("work/KJCG.TXT"));
        QCOMPARE(fileBytes(path("work/KJCG.TXT")), QByteArray("new"));
    }

    // A record longer than any the table can hold (a line of megabytes, a
    // quote never closed) is refused by its first line as soon as that
    // much is read, not after the whole file has been taken into memory.
    void overlongRecordsAreRefusedByTheirLine()
    {
        auto numbers = smallTable("nums.dbf", 'F');
        putFile(path("LONG.TXT"), "1\t1\tz\r\nx\t" + QByteArray(5000, 'a') + "\tc\r\n");
        QString error = errorOf([&] { LoadExchangeFile(*numbers, path("LONG.TXT")); });
        QVERIFY2(error.contains("LONG.TXT") && error.contains("第 2 行：这条记录超过了"), qPrintable(error));

        auto memo = smallTable("memo.dbf", 'M');
        QFile open(path("OPEN.TXT"));
        QVERIFY(open.open(QIODevice::WriteOnly));
        open.write("1\t\"");
        const QByteArray lines = QByteArray("abc\r\n").repeated(100000);
        for (int i = 0; i < 40; ++i)
            open.write(lines);
        open.close();
        error = errorOf([&] { LoadExchangeFile(*memo, path("OPEN.TXT")); });
        QVERIFY2(error.contains("OPEN.TXT") && error.contains("第 1 行：这条记录超过了"), qPrintable(error));
        QCOMPARE(allTexts(*memo), QList<QStringList>{});

        // The writer never makes what the reader refuses.
        auto source = smallTable("huge.dbf", 'M');
        addRow(*source, {{"A", "1"}, {"B", QString(9 << 20, 'a')}, {"C", "x"}});
        error = errorOf([&] { WriteExchangeFile(*source, path("HUGE.TXT")); });
        QVERIFY2(error.contains("HUGE.TXT") && error.contains("超过了"), qPrintable(error));
        QVERIFY(!QFile::exists(path("HUGE.TXT")));
    }

    // A control character in a value arrives as a blank, not stored cut at
    // it (0x1A ends a memo text); a write that fails, at any of its writes, leaves the file that was
    // there before.
    void controlCharactersAndFailedWrites()
    {
        auto memo = smallTable("memo.dbf", 'M');
        putFile(path("CTL.TXT"), gbk("1\t前\x1a后\x0b\tz\x7f\r\n"));
        LoadCounts counts;
        QCOMPARE(LoadExchangeFile(*memo, path("CTL.TXT"), SplitterVariant::Import, {}, &counts), 1);
        QCOMPARE(counts.blankedControls, 3);
        QCOMPARE(allTexts(*memo), (QList<QStringList>{{"1", "前 后 ", "z"}}));

        auto source = smallTable("src.dbf");
        addRow(*source, {{"A", "甲"}, {"B", "乙"}, {"C", "丙"}});
        putFile(path("OLD.TXT"), "old");
        for (int failing = 1; failing <= 2; ++failing) {
            IoFaults::failNth(failing);
            QString error;
            try {
                WriteExchangeFile(*source, path("OLD.TXT"));
            } catch (const DbError &e) {
                error = e.message();
            }
            IoFaults::clear();
            QVERIFY2(error.contains("OLD.TXT"), qPrintable(QString::number(failing)));
            QCOMPARE(fileBytes(path("OLD.TXT")), QByteArray("old"));
        }
        WriteExchangeFile(*source, path("OLD.TXT"));
        QCOMPARE(fileBytes(path("OLD.TXT")), gbk("甲\t乙\t丙\r\n"));
    }

    void recordsLargerThanABlock()
    {
        auto source = smallTable("big.dbf", 'M');
        QString memo;
        while (memo.size() < 1'500'000)
            memo += "第一行\t\"引号\"\r\nline two ";
        addRow(*source, {{"A", "1"}, {"B", memo}, {"C", "x"}});
        addRow(*source, {{"A", "2"}, {"B", "\"" + memo}, {"C", "y"}});
        addRow(*source, {{"A", "3"}});
        WriteExchangeFile(*source, path("BIG.TXT"));
        auto target = smallTable("big2.dbf", 'M');
        QCOMPARE(LoadExchangeFile(*target, path("BIG.TXT")), 3);
        QVERIFY(allTexts(*target) == allTexts(*source));
    }

    // Megabytes of records: those cut by the ends of the blocks read, and
    // read ahead while rows are stored, arrive whole; a damaged record far
    // in is named by its line, the rows before it stay.
    void recordsAcrossManyBlocks()
    {
        auto source = smallTable("many.dbf", 'M');
        for (int r = 0; r < 3000; ++r) {
            QString memo = QStringLiteral("第%1条\r\n").arg(r);
            while (memo.size() < 400 + r % 1500)
                memo += "\"引\"号\tline\r\n";
            addRow(*source, {{"A", QString::number(r)}, {"B", memo}, {"C", "末"}});
        }
        WriteExchangeFile(*source, path("MANY.TXT"));
        auto target = smallTable("many2.dbf", 'M');
        QCOMPARE(LoadExchangeFile(*target, path("MANY.TXT")), 3000);
        QVERIFY(allTexts(*target) == allTexts(*source));

        const QByteArray bytes = fileBytes(path("MANY.TXT"));
        QVERIFY(bytes.size() > 4'000'000);
        putFile(path("MANY.TXT"), bytes + "x\t\"open\r\n");
        auto damaged = smallTable("many3.dbf", 'M');
        try {
            LoadExchangeFile(*damaged, path("MANY.TXT"));
            QFAIL("a damaged file was read without complaint");
        } catch (const DbError &error) {
            const QString says = QStringLiteral("第 %1 行：第 2 个数值的引号没有结束").arg(bytes.count("\r\n") + 1);
            QVERIFY2(error.message().contains(says), qPrintable(error.message()));
        }
        QCOMPARE(allTexts(*damaged).size(), 3000);
        // Found while blocks are still being read ahead: the rest still loads.
        putFile(path("MANY.TXT"), gbk("1\t\x01\tz\r\n") + bytes);
        auto early = smallTable("many4.dbf", 'M');
        LoadCounts counts;
        QCOMPARE(LoadExchangeFile(*early, path("MANY.TXT"), SplitterVariant::Import, {}, &counts), 3001);
        QCOMPARE(counts.blankedControls, 1);
        QCOMPARE(allTexts(*early).first(), QStringList({"1", " ", "z"}));
    }

    // Lines written by the writer's rules from random values read back as
    // those values (the last value by its file's rule).
    void randomValuesSurviveWriteAndRead()
    {
        QRandomGenerator random(20240611);
        const LastValue rules[] = {LastValue::Plain, LastValue::Flag188, LastValue::TrailingTab,
                                   LastValue::Quoted};
        for (int round = 0; round < 4000; ++round) {
            const LastValue rule = rules[random.bounded(4)];
            QStringList values;
            for (int i = random.bounded(1, 7); i > 0; --i)
                values << randomText(random, 6);
            QStringList expected = values;
            QString &last = expected.last();
            if (rule == LastValue::Plain)
                last = GbkText::decode(gbk(ExchangeText::joinLine({last}, rule)).trimmed());
            else if (rule == LastValue::Flag188)
                last = last == "1" ? "1" : "0";
            else if (rule == LastValue::TrailingTab)
                expected << QString();
            const QByteArray line = gbk(ExchangeText::joinLine(values, rule) + "\r\n");
            const RecordLayout layout{int(expected.size()), rule == LastValue::Quoted};
            const QList<RecordScan> scans = scanAll(line + line, layout, &random);
            const bool blank = std::all_of(line.begin(), line.end(), [](char c) { return uchar(c) <= 0x20; });
            QCOMPARE(scans.size(), 2);
            for (const RecordScan &scan : scans) {
                QCOMPARE(scan.status, blank ? RecordScan::Blank : RecordScan::Values);
                if (blank)
                    continue;
                QStringList read;
                for (const QByteArray &value : scan.values)
                    read << GbkText::decode(value);
                QCOMPARE(read, expected);
            }
        }
    }

    // Random bytes: every record ends somewhere, block-wise reading finds the
    // same records as reading at once, and damage is reported, never fatal.
    void randomBytesNeverCrash()
    {
        QRandomGenerator random(77);
        const char alphabet[] = {'\t', '"', '\r', '\n', 'a', ' ', '\xd6', '\xd0', '\xff', '\x81', '\x80'};
        auto t = smallTable("fuzz.dbf");
        for (int round = 0; round < 6000; ++round) {
            QByteArray bytes;
            for (int i = random.bounded(120); i > 0; --i)
                bytes += alphabet[random.bounded(int(sizeof alphabet))];
            const RecordLayout layout{random.bounded(1, 6), random.bounded(2) == 1};
            const QList<RecordScan> whole = scanAll(bytes, layout);
            const QList<RecordScan> blockwise = scanAll(bytes, layout, &random);
            QCOMPARE(blockwise.size(), whole.size());
            for (int i = 0; i < whole.size(); ++i) {
                QCOMPARE(blockwise[i].next, whole[i].next);
                QCOMPARE(blockwise[i].status, whole[i].status);
                if (whole[i].status == RecordScan::Values)
                    QCOMPARE(whole[i].values.size(), layout.columns);
                const qsizetype start = i ? whole[i - 1].next : 0;
                try {
                    SplitExchangeRecord({bytes.mid(start, whole[i].next - start), "F.TXT", 1}, layout);
                } catch (const DbError &) {
                }
            }
            if (round % 20 == 0) {
                putFile(path("F.TXT"), bytes);
                try {
                    LoadExchangeFile(*t, path("F.TXT"));
                } catch (const DbError &) {
                    QCOMPARE(t->state(), DataSet::Browse);
                }
            }
        }
    }

    // Every cut of a good file: the records before the cut arrive unchanged.
    void truncatedFilesNeverCrash()
    {
        const QStringList lines = {"1\t\"甲\t\"\"乙\"\"\"\tz", "2\t\"多\r\n行\"\t末", "3\t\t\"", "4\tb\tc"};
        const QByteArray good = gbk(lines.join("\r\n") + "\r\n");
        const RecordLayout layout{3, false};
        const QList<RecordScan> complete = scanAll(good, layout);
        for (qsizetype cut = 0; cut <= good.size(); ++cut) {
            const QList<RecordScan> scans = scanAll(good.left(cut), layout);
            for (int i = 0; i + 1 < scans.size(); ++i) {
                QCOMPARE(scans[i].next, complete[i].next);
                QCOMPARE(scans[i].values, complete[i].values);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestExchangeFile)
#include "tst_exchangefile.moc"
