// Packages as other programs of the authority send them: every line written
// here by hand from the exchange format (GBK by an outside encoder, TABs,
// CR LF, the last value by its file's rule), packed by the real arj, then
// unpacked, staged and stored as the import window does it. None of them
// comes from our own writer.
#include "support/ImportData.h"

#include "exchange/ImportStaging.h"
#include "exchange/ImportStore.h"
#include "exchange/core/Archiver.h"
#include "exchange/core/ExchangeNames.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QtTest>

namespace {

// Places of the kjcg columns in a KJCG.TXT line (0-based).
constexpr int DateAt = 5;
constexpr int MemoAt = 11;   // ITEM_13
constexpr int TitleAt = 20;
constexpr int NumberAt = 22;
constexpr int UnitAt = 40;   // ITEM_9
constexpr int RegionAt = 77;
constexpr int CategoryAt = 78;
constexpr int KjcgValues = 102;   // every column but the last

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder.encode(text);
    return encoder.hasError() ? QByteArray("<not GBK>") : bytes;
}

// One KJCG line: 102 values, each followed by its TAB; those not given empty.
QString kjcgLine(const QString &number, const QString &region, const QString &category, const QString &title,
                 const QMap<int, QString> &more = {})
{
    QStringList values(KjcgValues);
    values[DateAt] = u"2019-5-6"_s;
    values[TitleAt] = title;
    values[NumberAt] = number;
    values[UnitAt] = u"完成单位"_s;
    values[RegionAt] = region;
    values[CategoryAt] = category;
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        values[it.key()] = it.value();
    return values.join(u'\t') + u"\t\r\n"_s;
}

// A CGWCR line: 11 values, ITEM_188 last.
QString personLine(const QString &number, const QString &region, int serial, const QString &name)
{
    return u"%1\t%2\t%3\t%4\t1\t\t\t\t所在单位\t\t1\r\n"_s.arg(number, region).arg(serial).arg(name);
}

// A CGWCDW line (9 values), JDWYHMD (12), ZLQK (7).
QString coUnitLine(const QString &number, const QString &region)
{
    return u"%1\t%2\t协作单位\t\t\t\t\t1\t\r\n"_s.arg(number, region);
}
QString committeeLine(const QString &number, const QString &region)
{
    return u"%1\t%2\t1\t\t评委\t\t\t\t\t\t\t\r\n"_s.arg(number, region);
}
QString patentLine(const QString &number, const QString &region)
{
    return u"%1\t%2\t1\tZL01\t专利名称\t1\t1\r\n"_s.arg(number, region);
}

// A UNIT line: 26 values, the last one always quoted.
const QString UnitLine = u"9990001000\t\t1\t0\t发送单位\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\"研究方向\"\r\n"_s;
const QString ExpertLine = u"9990001000\t1\t李四\t1\t\t\t\r\n"_s;

struct PackageFiles
{
    QString kjcg;
    QString persons;
    QString coUnits;
    QString committee;
    QString patents;
    QString unit = UnitLine;
    QString expert = ExpertLine;
};

// The package "CGSBQY.ARJ" made by arj of the files (and any others given)
// in a folder of its own.
QString packByHand(const QString &folder, const PackageFiles &files, const QMap<QString, QByteArray> &others = {})
{
    QDir().mkpath(folder);
    const QList<QPair<QString, QString>> texts = {
        {u"KJCG.TXT"_s, files.kjcg},       {u"CGWCDW.TXT"_s, files.coUnits}, {u"CGWCR.TXT"_s, files.persons},
        {u"JDWYHMD.TXT"_s, files.committee}, {u"ZLQK.TXT"_s, files.patents}, {u"UNIT.TXT"_s, files.unit},
        {u"EXPERT.TXT"_s, files.expert}};
    QStringList members;
    for (const auto &[name, text] : texts) {
        putBytes(QDir(folder).filePath(name), gbk(text));
        members << name;
    }
    for (auto it = others.cbegin(); it != others.cend(); ++it) {
        putBytes(QDir(folder).filePath(it.key()), it.value());
        members << it.key();
    }
    QProcess arj;
    arj.setWorkingDirectory(folder);
    arj.start(QStandardPaths::findExecutable(u"arj"_s), QStringList{u"a"_s, u"-y"_s, u"CGSBQY.ARJ"_s} + members);
    if (!arj.waitForFinished(60000) || arj.exitCode() != 0)
        return u"<arj failed>"_s;
    return QDir(folder).filePath(u"CGSBQY.ARJ"_s);
}

QStringList column(Database *db, const QString &table, const QString &field)
{
    Table t(db, table);
    t.open();
    QStringList values;
    for (t.first(); !t.eof(); t.next())
        values << t.asString(field);
    return values;
}

} // namespace

class TestHandPackages : public QObject
{
    Q_OBJECT

    DataFixture f;
    BoxLog m_log;
    QTemporaryDir m_dir;
    int m_packages = 0;

    Database *db() const { return f.db(); }

    // Unpacked as the import window does it, then staged.
    ImportStaging::LoadResult stage(const QString &package, QStringList *skipped = nullptr)
    {
        const QString unpacked = m_dir.filePath(u"解压%1"_s.arg(++m_packages));
        QDir().mkpath(unpacked);
        Archiver().unpack(package, unpacked, {}, ExchangeNames::allFiles(), skipped);
        return ImportStaging::load(db(), unpacked);
    }

    QString package(const PackageFiles &files, const QMap<QString, QByteArray> &others = {})
    {
        return packByHand(m_dir.filePath(u"包%1"_s.arg(++m_packages)), files, others);
    }

    QString storeMessage(ImportStore::Mode mode)
    {
        return ImportStore::resultMessage(mode, ImportStore(db()).storeAll(mode));
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(u"arj"_s).isEmpty())
            QSKIP("arj is not installed");
        QVERIFY(QStringEncoder("GBK").isValid());
        f.buildOnce();
    }
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // A vertical tab (a line break pasted from a word processor) and other
    // control characters in a title, a memo and a person's name: the
    // package is staged with blanks in their place, and the user is told
    // how many there were.
    void controlCharactersArriveAsBlanks()
    {
        PackageFiles files;
        files.kjcg = kjcgLine(u"2019000001"_s, u"110"_s, u"1"_s, u"垂直\v制表"_s,
                              {{MemoAt, u"\"第一行\v第二行\x01\r\n第三行\""_s}});
        files.persons = personLine(u"2019000001"_s, u"110"_s, 1, u"张\x1b三"_s);
        files.coUnits = coUnitLine(u"2019000001"_s, u"110"_s);
        files.committee = committeeLine(u"2019000001"_s, u"110"_s);
        files.patents = patentLine(u"2019000001"_s, u"110"_s);
        const ImportStaging::LoadResult result = stage(package(files));
        QCOMPARE(result.rows, 6);
        QCOMPARE(result.blankedControls, 4);
        QCOMPARE(result.notes(), u"导入的数据中有4个控制字符（如从Word粘贴带来的换行符），已换成空格。"_s);
        QCOMPARE(column(db(), u"KJCGtemp.dbf"_s, u"ITEM_13"_s), QStringList{u"第一行 第二行 \r\n第三行"_s});

        QCOMPARE(storeMessage(ImportStore::Mode::Save), u"入库完毕!"_s);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_3"_s), QStringList{u"垂直 制表"_s});
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_13"_s), QStringList{u"第一行 第二行 \r\n第三行"_s});
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_180"_s), QStringList{u"张 三"_s});
        QCOMPARE(column(db(), u"cgwcrNew.dbf"_s, u"ITEM_180"_s), QStringList{u"张 三"_s});
    }

    // The sender's unit table is of a version with more columns: the
    // values beyond the 26 of the unit staging table are left out, a
    // quoted one with a TAB among them, and a line of 26 values still reads.
    void aWiderUnitFileIsTaken()
    {
        PackageFiles files;
        files.kjcg = kjcgLine(u"2019000001"_s, u"110"_s, u"1"_s, u"甲"_s);
        files.unit = u"9990001000\t\t1\t0\t发送单位\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t研究方向\t"
                     u"多一\t\"带\tTAB\"\t\t\"最后\"\"一列\"\r\n"_s
                     + u"9990002000\t\t1\t0\t第二单位\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
                       u"\"研究\"\"方向\"\"\"\t多一\t\"最后\"\r\n"_s
                     + UnitLine;
        const ImportStaging::LoadResult result = stage(package(files));
        QCOMPARE(result.rows, 4);
        QCOMPARE(column(db(), u"UNITtemp.dbf"_s, u"item_9"_s),
                 QStringList({u"发送单位"_s, u"第二单位"_s, u"发送单位"_s}));
        QCOMPARE(column(db(), u"UNITtemp.dbf"_s, u"studydirec"_s),
                 QStringList({u"研究方向"_s, u"研究\"方向\""_s, u"研究方向"_s}));
        QCOMPARE(storeMessage(ImportStore::Mode::Save), u"入库完毕!"_s);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_3"_s), QStringList{u"甲"_s});
    }

    // Files beyond the package's own (a read-me, a document) are neither
    // unpacked nor a reason to refuse the package; the user is told.
    void extraMembersAreSkipped()
    {
        PackageFiles files;
        files.kjcg = kjcgLine(u"2019000001"_s, u"110"_s, u"1"_s, u"甲"_s);
        files.persons = personLine(u"2019000001"_s, u"110"_s, 1, u"张三"_s);
        const QString archive = package(files, {{u"README.TXT"_s, "read me\r\n"}, {u"NOTES.DOC"_s, "doc"}});
        QStringList skipped;
        const ImportStaging::LoadResult result = stage(archive, &skipped);
        QCOMPARE(skipped, QStringList({u"NOTES.DOC"_s, u"README.TXT"_s}));
        QCOMPARE(ImportStaging::skippedMembersNote(skipped),
                 u"导入包中的文件“NOTES.DOC”、“README.TXT”不是导入包应有的文件，没有解压。"_s);
        const QStringList unpacked = QDir(m_dir.filePath(u"解压%1"_s.arg(m_packages))).entryList(QDir::Files);
        QCOMPARE(unpacked, QStringList({u"CGWCDW.TXT"_s, u"CGWCR.TXT"_s, u"EXPERT.TXT"_s, u"JDWYHMD.TXT"_s,
                                        u"KJCG.TXT"_s, u"UNIT.TXT"_s, u"ZLQK.TXT"_s}));
        QCOMPARE(result.rows, 3);
        QCOMPARE(column(db(), u"CGWCRtemp.dbf"_s, u"ITEM_180"_s), QStringList{u"张三"_s});
    }

    // Records of the three categories and of two other regions, two of them
    // with the same number: the counts by category, and each record stored
    // under a number of its own with exactly its children.
    void categoriesAndRegionsKeepTheirChildren()
    {
        addAchievement(db(), u"2019000005"_s, u"1"_s, u"本地"_s);
        PackageFiles files;
        files.kjcg = kjcgLine(u"2019000001"_s, u"110"_s, u"1"_s, u"应用甲"_s)
                     + kjcgLine(u"2019000001"_s, u"320"_s, u"3"_s, u"基础乙"_s)
                     + kjcgLine(u"2019000002"_s, u"320"_s, u"2"_s, u"软科学丙"_s);
        files.persons = personLine(u"2019000001"_s, u"110"_s, 1, u"甲一"_s)
                        + personLine(u"2019000001"_s, u"110"_s, 2, u"甲二"_s)
                        + personLine(u"2019000001"_s, u"320"_s, 1, u"乙一"_s);
        files.patents = patentLine(u"2019000001"_s, u"320"_s);
        files.coUnits = coUnitLine(u"2019000002"_s, u"320"_s);
        files.committee = committeeLine(u"2019000001"_s, u"110"_s);
        stage(package(files));
        const ImportStaging::CategoryCounts counts = ImportStaging::countCategories(db());
        QCOMPARE(counts.totalText(), u"记录条数:3条；"_s);
        QCOMPARE(counts.detailText(), u"其中：应用技术1条，基础理论1条，软科学1条。"_s);

        QCOMPARE(storeMessage(ImportStore::Mode::Save), u"入库完毕!"_s);
        QCOMPARE(tableRows(db(), u"kjcg.DBF"_s).size(), 4);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_4"_s),
                 QStringList({u"2019000005"_s, u"2019000006"_s, u"2019000007"_s, u"2019000008"_s}));
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_3"_s),
                 QStringList({u"本地"_s, u"应用甲"_s, u"基础乙"_s, u"软科学丙"_s}));
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_DQDM"_s), QStringList({u"."_s, u"."_s, u"."_s, u"."_s}));
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_4"_s),
                 QStringList({u"2019000006"_s, u"2019000006"_s, u"2019000007"_s}));
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_180"_s), QStringList({u"甲一"_s, u"甲二"_s, u"乙一"_s}));
        QCOMPARE(column(db(), u"zlqk.dbf"_s, u"ITEM_4"_s), QStringList{u"2019000007"_s});
        QCOMPARE(column(db(), u"cgwcdw.DBF"_s, u"ITEM_4"_s), QStringList{u"2019000008"_s});
        QCOMPARE(column(db(), u"jdwyhmd.DBF"_s, u"ITEM_4"_s), QStringList{u"2019000006"_s});
        QCOMPARE(tableRows(db(), u"KJCGtemp.dbf"_s).size(), 0);
    }

    // A store that stored nothing says so in its first line, and names
    // every year it refused.
    void aStoreOfNothingSaysItFailed()
    {
        PackageFiles files;
        files.kjcg = kjcgLine(u"1899000001"_s, u"110"_s, u"1"_s, u"旧一"_s)
                     + kjcgLine(u"2051000001"_s, u"110"_s, u"1"_s, u"新二"_s)
                     + kjcgLine(u"1850000003"_s, u"110"_s, u"1"_s, u"旧三"_s);
        stage(package(files));
        const QString yearLine = u"年份不对、未能入库的成果：1850年1条，1899年1条，2051年1条。"
                                 u"不能输入1900到2050外的年份！请用“修改成果年份”改正后再入库。"_s;
        const QString explained = u"成果“旧一”（登记号1899000001）未能入库：不能输入1900到2050外的年份！"
                                  u"请用“修改成果年份”改正后再入库。\n"
                                  u"全部未能入库的成果及原因请点“显示详情...”查看。"_s;
        QCOMPARE(storeMessage(ImportStore::Mode::Save),
                 u"入库失败！3条成果都未能入库，仍保留在导入数据中。\n"_s + yearLine + u"\n"_s + explained);
        QCOMPARE(storeMessage(ImportStore::Mode::Overwrite),
                 u"入库失败！3条成果都未能入库，仍保留在导入数据中。\n"_s + yearLine + u"\n"_s + explained);

        PackageFiles more;
        more.kjcg = kjcgLine(u"2020000001"_s, u"110"_s, u"1"_s, u"可入库"_s);
        stage(package(more));
        QCOMPARE(storeMessage(ImportStore::Mode::Save),
                 u"入库完毕!\n已入库1条，3条未能入库，仍保留在导入数据中。\n"_s + yearLine + u"\n"_s + explained);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_4"_s), QStringList{u"2020000001"_s});
    }

    // "同名覆盖" numbers a record after the one it replaces is gone: the only
    // record of its year leaves the year to the imported number, the
    // largest leaves the next largest. A record without a title replaces
    // nothing; it is stored as new and counted apart.
    void overwriteNumbersAfterTheReplacedRecord()
    {
        addAchievement(db(), u"2020000005"_s, u"1"_s, u"甲"_s);
        addChildren(db(), u"2020000005"_s, u"."_s);
        addAchievement(db(), u"2021000003"_s, u"1"_s, u"乙"_s);
        addAchievement(db(), u"2021000007"_s, u"1"_s, u"丙"_s);
        PackageFiles files;
        files.kjcg = kjcgLine(u"2020000042"_s, u"110"_s, u"1"_s, u"甲"_s)
                     + kjcgLine(u"2021000050"_s, u"110"_s, u"1"_s, u"丙"_s)
                     + kjcgLine(u"2022000009"_s, u"110"_s, u"1"_s, QString())
                     + kjcgLine(u"2021000051"_s, u"110"_s, u"1"_s, u"丁"_s);
        files.persons = personLine(u"2020000042"_s, u"110"_s, 1, u"甲一"_s);
        stage(package(files));
        const ImportStore::Result result = ImportStore(db()).storeAll(ImportStore::Mode::Overwrite);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_4"_s),
                 QStringList({u"2021000003"_s, u"2020000042"_s, u"2021000004"_s, u"2022000009"_s, u"2021000005"_s}));
        QCOMPARE(ImportStore::resultMessage(ImportStore::Mode::Overwrite, result),
                 u"入库完毕！新增2条,覆盖2条。\n其中1条成果名称为空，无法按名称比较，已作为新增入库。"_s);
        QCOMPARE(column(db(), u"kjcg.DBF"_s, u"ITEM_3"_s), QStringList({u"乙"_s, u"甲"_s, u"丙"_s, u""_s, u"丁"_s}));
        QCOMPARE(column(db(), u"cgwcr.DBF"_s, u"ITEM_4"_s), QStringList{u"2020000042"_s});
        for (const QString &child : ChildFiles)
            QCOMPARE(countRows(db(), child, u"item_4='2020000005'"_s), 0);
    }
};

QTEST_GUILESS_MAIN(TestHandPackages)
#include "tst_handpackages.moc"
