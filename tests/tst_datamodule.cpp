// The data module over a data folder built from the shipped tables: packing
// at creation, the optional classification files, tables that cannot be
// opened, and the datasets it opens.
#include "engine/DataSet.h"
#include "engine/DbError.h"
#include "engine/DbfFile.h"
#include "records/widgets/Messages.h"
#include "records/forms/DictionaryService.h"
#include "records/data/UnitDM.h"
#include "support/RecordsData.h"
#include "support/SmallDisk.h"

#include <QProcess>
#include <QTest>
#include <memory>

class TestDataModule : public QObject
{
    Q_OBJECT

    DataFixture m_shipped;
    std::unique_ptr<QTemporaryDir> m_dir;
    BoxLog m_log;

    QString dataPath() const { return m_dir->filePath(u"data"_s); }
    // The table files keep the spelling they were shipped with.
    QString file(const QString &name) const
    {
        const QDir dir(dataPath());
        for (const QString &entry : dir.entryList(QDir::Files)) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return dir.filePath(entry);
        }
        return dir.filePath(name);
    }

    static QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static int fileRows(const QString &path, int *deleted = nullptr)
    {
        auto f = DbfFile::open(path, true);
        if (deleted) {
            *deleted = 0;
            for (int i = 0; i < f->recordCount(); ++i)
                *deleted += f->isDeleted(i) ? 1 : 0;
        }
        return f->recordCount();
    }

    // Marks the first row of each file deleted with another dBase reader.
    static void deleteFirstRowsWithPython(const QStringList &paths)
    {
        const QString script = QStringLiteral("import dbf, sys\n"
                                              "for path in sys.argv[1:]:\n"
                                              "    t = dbf.Table(path)\n"
                                              "    t.open(dbf.READ_WRITE)\n"
                                              "    dbf.delete(t[0])\n"
                                              "    t.close()\n");
        QProcess python;
        python.start(u"/usr/bin/python3"_s, QStringList{u"-c"_s, script} + paths);
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    }

private slots:
    void initTestCase() { m_shipped.buildOnce(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(copyFolder(m_shipped.shippedPath(), dataPath()));
        m_log.clear();
    }

    void cleanup() { m_dir.reset(); }

    void createsTheDatasetsOverTheFolder()
    {
        TDM dm(dataPath(), Messages::ShowErrorBox);
        QVERIFY(dm.ZtflhPresent && dm.XkflPresent);
        for (DataSet *opened : std::initializer_list<DataSet *>{
                 dm.Qrykjcg,    dm.tempquery,   dm.Query2,     dm.QryCgwcdw,    dm.QryCgwcr,    dm.QryJdwyhmd,
                 dm.QryCheckUp, dm.Qryunit,     dm.Qryexpert,  dm.Qrydwqk,      dm.T_temp_out,  dm.Tblkjcg,
                 dm.TblCgwcdw,  dm.TblCgwcr,    dm.Tbljdwyhmd, dm.tblzlqk,      dm.TblwcrNew,   dm.Tblzdxx,
                 dm.tblzdxx1,   dm.tblProvince, dm.tblLsbw,    dm.Tblgxjs,      dm.TblDFJHZDXX, dm.Tblunit,
                 dm.Tblexpert,  dm.Txkfl2,      dm.Tztflh2,    dm.TblCgwcr_181, dm.Tblzlqk_ty})
            QVERIFY(opened->isOpen());
        QVERIFY(!dm.T_temp_in->isOpen() && !dm.Table1->isOpen());
        QVERIFY(dm.QryCgwcr->cachedUpdates());
        QVERIFY(!dm.QryCheckUp->isEmpty());
        QVERIFY(m_log.boxes.isEmpty());
    }

    void lookupFieldsShowDictionaryTexts()
    {
        TDM dm(dataPath(), Messages::ShowErrorBox);
        addPerson(dm.database(), u"2006000001"_s, u"."_s, u"王五"_s);
        appendRow(dm.database(), u"jdwyhmd.DBF"_s,
                  {{u"ITEM_4"_s, u"2006000001"_s}, {u"ITEM_191"_s, u"委员"_s}});

        // The committee's role is stored as text and looked up by its name.
        Table roles(dm.database(), u"zdxx.dbf"_s);
        roles.setFilter(u"zddm='item_191' and xxmc='委员'"_s);
        roles.setFiltered(true);
        roles.open();
        QVERIFY2(!roles.isEmpty(), "the dictionary holds the role 委员");
        dm.Tbljdwyhmd->close();
        dm.Tbljdwyhmd->open();
        dm.Tbljdwyhmd->first();
        QCOMPARE(dm.Tbljdwyhmd->asString(u"V_191"_s), roles.asString(u"xxdm"_s));

        Table sexes(dm.database(), u"zdxx.dbf"_s);
        sexes.setFilter(u"zddm='item_181'"_s);
        sexes.setFiltered(true);
        sexes.open();
        QVERIFY(!sexes.isEmpty());
        dm.TblCgwcr->close();
        dm.TblCgwcr->open();
        dm.TblCgwcr->first();
        dm.TblCgwcr->edit();
        dm.TblCgwcr->setString(u"ITEM_181"_s, sexes.asString(u"xxdm"_s));
        dm.TblCgwcr->post();
        QCOMPARE(dm.TblCgwcr->asString(u"V_181"_s), sexes.asString(u"xxmc"_s));
    }

    void packsTheEighteenFilesAndNoOther()
    {
        {
            TDM dm(dataPath(), Messages::ShowErrorBox);
            addAchievement(dm.database(), u"2006000001"_s, u"1"_s, u"甲"_s);
            addAchievement(dm.database(), u"2006000002"_s, u"1"_s, u"乙"_s);
        }
        QStringList packed;
        for (const QString &name : TDM::packedFiles()) {
            packed << file(name);
            auto f = DbfFile::open(packed.last());
            while (f->recordCount() < 2)
                f->append({});
        }
        QCOMPARE(packed.size(), 18);
        const QString notPacked = file(u"zdxx.dbf"_s);
        QList<int> before;
        for (const QString &path : packed)
            before << fileRows(path);
        const int dictionaryRows = fileRows(notPacked);
        deleteFirstRowsWithPython(packed + QStringList{notPacked});

        TDM dm(dataPath(), Messages::ShowErrorBox);
        for (int i = 0; i < packed.size(); ++i) {
            int deleted = -1;
            QCOMPARE(fileRows(packed[i], &deleted), before[i] - 1);
            QCOMPARE(deleted, 0);
        }
        int deleted = 0;
        QCOMPARE(fileRows(notPacked, &deleted), dictionaryRows);
        QCOMPARE(deleted, 1);
        // What survived is the second row.
        dm.Tblkjcg->first();
        QCOMPARE(dm.Tblkjcg->recordCount(), 1);
        QCOMPARE(dm.Tblkjcg->asString(u"ITEM_3"_s), u"乙"_s);
        QVERIFY(m_log.boxes.isEmpty());
    }

    void optionalClassificationsMayBeAbsent()
    {
        QVERIFY(QFile::remove(file(u"xkfl.dbf"_s)));
        {
            TDM dm(dataPath(), Messages::ShowErrorBox);
            QVERIFY(!dm.XkflPresent && !dm.Txkfl2->isOpen());
            QVERIFY(dm.ZtflhPresent && dm.Tztflh2->isOpen());
        }
        QVERIFY(QFile::remove(file(u"ztflh.dbf"_s)));
        TDM dm(dataPath(), Messages::ShowErrorBox);
        QVERIFY(!dm.XkflPresent && !dm.ZtflhPresent && !dm.Tztflh2->isOpen());
        QVERIFY(dm.Tblgxjs->isOpen());
        QVERIFY2(m_log.boxes.isEmpty(), "absent optional files are not reported");
    }

    void aTableThatCannotBeOpenedEndsTheCreation()
    {
        QVERIFY(QFile::remove(file(u"zdxx1.dbf"_s)));
        try {
            TDM dm(dataPath(), Messages::ShowErrorBox);
            QFAIL("the data module was created without zdxx1.dbf");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(u"zdxx1"_s, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        // Nothing of the failed module is left holding the folder.
        QVERIFY(QFile::copy(QDir(m_shipped.shippedPath()).filePath(u"zdxx1.dbf"_s), file(u"zdxx1.dbf"_s)));
        TDM again(dataPath());
        QVERIFY(again.tblzdxx1->isOpen());
    }

    // The user reads which file is wrong and what is wrong with it, never
    // the statement that would have read it.
    void aTableThatCannotBeOpenedIsNamedInPlainWords_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("missing");
        QTest::newRow("unit missing") << u"unit.dbf"_s << true;
        QTest::newRow("checkup missing") << u"checkup.dbf"_s << true;
        QTest::newRow("kjcg not a table") << u"kjcg.dbf"_s << false;
        QTest::newRow("dwqk not a table") << u"dwqk.dbf"_s << false;
    }

    void aTableThatCannotBeOpenedIsNamedInPlainWords()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, missing);
        if (missing) {
            QVERIFY(QFile::remove(file(fileName)));
        } else {
            QFile garbage(file(fileName));
            QVERIFY(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
            garbage.write("not a table");
        }
        QString message;
        try {
            TDM dm(dataPath(), Messages::ShowErrorBox);
        } catch (const DbError &e) {
            message = e.message();
        }
        QVERIFY2(message.contains(fileName, Qt::CaseInsensitive), qPrintable(message));
        QVERIFY2(message.contains(missing ? u"不存在"_s : u"已损坏"_s), qPrintable(message));
        for (const QString &internal : {u"select"_s, u"__recno__"_s, u"SQL"_s})
            QVERIFY2(!message.contains(internal, Qt::CaseInsensitive), qPrintable(message));
    }

    void aFailedPackIsReportedAndTheStartGoesOn()
    {
        // A staging table that is not opened at creation, damaged.
        QFile damaged(file(u"kjcgtemp.dbf"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("not a table");
        damaged.close();

        TDM dm(dataPath(), Messages::ShowErrorBox);
        QCOMPARE(m_log.boxes.size(), 1);
        QCOMPARE(m_log.boxes[0].caption, u"提示"_s);
        QVERIFY2(m_log.boxes[0].text.contains(u"kjcgtemp"_s, Qt::CaseInsensitive),
                 qPrintable(m_log.boxes[0].text));
        QVERIFY(dm.Qrykjcg->isOpen() && dm.Tblunit->isOpen());
    }

    // A full disk fails the pack of every table that keeps deleted rows:
    // one message names the folder, not one box per table, and the start
    // goes on with the tables unpacked.
    void aFullDiskAtStartUpIsOneMessage()
    {
        SmallDisk disk(4 << 20);
        if (!disk.mounted())
            QSKIP("no disk of its own can be mounted here");
        const QString data = QDir(disk.path()).filePath(u"data"_s);
        QVERIFY(copyFolder(dataPath(), data));
        QStringList packed;
        for (const QString &name : TDM::packedFiles()) {
            for (const QString &entry : QDir(data).entryList(QDir::Files)) {
                if (entry.compare(name, Qt::CaseInsensitive) == 0)
                    packed << QDir(data).filePath(entry);
            }
            auto f = DbfFile::open(packed.last());
            while (f->recordCount() < 2)
                f->append({});
        }
        deleteFirstRowsWithPython(packed);
        disk.fill();

        TDM dm(data, Messages::ShowErrorBox);
        QCOMPARE(m_log.boxes.size(), 1);
        const QString text = m_log.boxes[0].text;
        QVERIFY2(text.contains(u"文件夹“"_s + QDir::toNativeSeparators(data) + u"”所在的磁盘已满"_s), qPrintable(text));
        QVERIFY2(text.contains(u"未整理"_s), qPrintable(text));
        QVERIFY(dm.Qrykjcg->isOpen() && dm.Tblunit->isOpen());
        int deleted = 0;
        fileRows(packed.first(), &deleted);
        QCOMPARE(deleted, 1);
    }

    // A table cut inside its rows and a memo file whose next-free pointer
    // lies beyond its end are named at start-up; their rows stay readable
    // and nothing is written to them, neither by the pack nor afterwards.
    void damagedTablesAreNamedAndLeftUnwritten()
    {
        {
            TDM dm(dataPath(), Messages::ShowErrorBox);
            addAchievement(dm.database(), u"2006000001"_s, u"1"_s, u"甲"_s);
            addAchievement(dm.database(), u"2006000002"_s, u"1"_s, u"乙"_s);
            dm.database()->execute(u"delete from kjcg where item_4 = '2006000002'"_s);
            addAchievement(dm.database(), u"2006000003"_s, u"1"_s, u"丙"_s);
        }
        const QString kjcg = file(u"kjcg.dbf"_s);
        const QString unitMemo = file(u"unit.dbt"_s);
        QVERIFY(QFile::resize(kjcg, QFileInfo(kjcg).size() - 100));
        QFile memo(unitMemo);
        QVERIFY(memo.open(QIODevice::ReadWrite));
        memo.write(QByteArray::fromHex("ffffffff"));
        memo.close();
        const QByteArray kjcgBytes = fileBytes(kjcg);
        const QByteArray memoBytes = fileBytes(unitMemo);
        {
            TDM dm(dataPath(), Messages::ShowErrorBox);
            QStringList texts;
            for (const auto &box : m_log.boxes)
                texts << box.text;
            QCOMPARE(texts.size(), 2);
            QVERIFY2(texts.filter(u"表文件“kjcg.dbf”已损坏："_s, Qt::CaseInsensitive).size() == 1, qPrintable(texts.join("\n")));
            QVERIFY2(texts.filter(u"unit.dbt"_s, Qt::CaseInsensitive).size() == 1, qPrintable(texts.join("\n")));
            // The complete rows, the deleted one among them, can still be read.
            QCOMPARE(dm.Tblkjcg->recordCount(), 1);
            dm.Tblkjcg->append();
            dm.Tblkjcg->setString(u"ITEM_3"_s, u"丁"_s);
            bool refused = false;
            try {
                dm.Tblkjcg->post();
            } catch (const DbError &e) {
                refused = e.message().contains(u"已损坏"_s);
            }
            QVERIFY(refused);
            dm.Tblkjcg->cancel();
        }
        QCOMPARE(fileBytes(kjcg), kjcgBytes);
        QCOMPARE(fileBytes(unitMemo), memoBytes);
    }

    void reopenWithSqlReplacesTheStatement()
    {
        TDM dm(dataPath(), Messages::ShowErrorBox);
        addAchievement(dm.database(), u"2006000001"_s, u"1"_s, u"甲"_s);
        dm.ReopenWithSql(*dm.tempquery, u"select item_4 from kjcg"_s);
        QCOMPARE(dm.tempquery->recordCount(), 1);
        QCOMPARE(dm.tempquery->fieldNames().size(), 1);
        QVERIFY(!dm.PackTable(*dm.T_temp_in));
    }

    // The dictionary answers from reads of its own: the datasets the windows
    // show keep their filter and their row.
    void theDictionaryLeavesNoDatasetFiltered()
    {
        TDM dm(dataPath(), Messages::ShowErrorBox);
        DictionaryService dictionary(dm);
        dm.Tblzdxx->setFilter(u"zddm='item_1'"_s);
        dm.Tblzdxx->setFiltered(true);
        dm.Tblgxjs->last();
        const int gxjsRow = dm.Tblgxjs->recNo();

        const QStringList titles = dictionary.items(u"item_183"_s, false);
        QCOMPARE(titles.first(), u"1  院士"_s);
        QCOMPARE(titles.last(), u" "_s);
        QCOMPARE(dictionary.name(u"item_183"_s, u"2"_s), u"正高"_s);
        QCOMPARE(dictionary.name(u"item_183"_s, u"99"_s), QString());
        // Texts of an earlier form version only where asked for.
        const auto hasEarlier = [](const QStringList &items) {
            return std::any_of(items.begin(), items.end(),
                               [](const QString &i) { return i.contains(u"**"_s); });
        };
        QVERIFY(!hasEarlier(dictionary.items(u"item_2"_s, true)));
        QVERIFY(hasEarlier(dictionary.items(u"item_2"_s, true, true)));
        // A group key holding a quote is a value, not SQL.
        QVERIFY(dictionary.group(u"x' or '1'='1"_s, true).isEmpty());
        QCOMPARE(dictionary.provinceItems(true).first(), u"11  (北京市)"_s);
        QCOMPARE(dictionary.classificationEntry(u"gxjs.dbf"_s, u"0101"_s), u"0101  微电子技术"_s);
        QCOMPARE(dictionary.classificationEntry(u"gxjs.dbf"_s, u"9999"_s), QString());

        QCOMPARE(dm.Tblzdxx->filter(), u"zddm='item_1'"_s);
        QCOMPARE(dm.Tblgxjs->recNo(), gxjsRow);
        QVERIFY(!dm.Tblgxjs->filtered());
    }

    void aMissingClassificationTableGivesNoEntries()
    {
        QVERIFY(QFile::remove(file(u"xkfl.dbf"_s)));
        TDM dm(dataPath(), Messages::ShowErrorBox);
        DictionaryService dictionary(dm);
        QVERIFY(!dictionary.hasClassification(u"xkfl.dbf"_s));
        QVERIFY(dictionary.hasClassification(u"gxjs.dbf"_s));
        QCOMPARE(dictionary.classificationEntry(u"xkfl.dbf"_s, u"110"_s), QString());
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
